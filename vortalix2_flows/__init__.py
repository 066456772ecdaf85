"""vortalix2_flows: the NumPy-friendly toolkit beside the exact core ``vortalix2``.

Modules: :mod:`vortalix2_flows.isentropic`, :mod:`vortalix2_flows.normal_shock`,
:mod:`vortalix2_flows.oblique_shock`, :mod:`vortalix2_flows.fanno`,
:mod:`vortalix2_flows.rayleigh`, :mod:`vortalix2_flows.nozzle` and
:mod:`vortalix2_flows.shock_expansion`; :func:`table` returns their tables as float64 columns,
which ``python -m vortalix2_flows table KIND`` prints, and :func:`chart` draws their charts
(``python -m vortalix2_flows chart KIND -o FILE``). Every function
is a NumPy ufunc behind a Python function with the relation's parameter names: it broadcasts its
arguments (``ga`` and ``sup`` included), takes the ufunc keywords, and returns float64 (float32
for float32 values; a NumPy scalar when every argument is a scalar); ``ga`` defaults to 1.4.
Inside a relation's domain the core's relations keep the core's bits (but for Ma from Po/P and
rhoo/rho, which take a form that does not cancel near Ma = 0); outside it the result is NaN,
with NumPy's invalid status. Each family module's ``state`` returns every quantity of a state
from any one of them, and ``fanno`` and ``rayleigh`` have ``between`` and ``after`` for duct
segments. Angles are in degrees.
"""
from pkgutil import extend_path as _extend_path

# Imported from a source checkout (tests run from the repository's root), the package finds
# its compiled part, vortalix2_flows._core, where it was installed.
__path__ = _extend_path(__path__, __name__)

from . import isentropic, normal_shock, nozzle  # noqa: E402
from . import fanno, oblique_shock, rayleigh  # noqa: E402
from ._tables import table  # noqa: E402
from . import shock_expansion  # noqa: E402
from ._charts import chart  # noqa: E402

__version__ = "0.1.0"
__all__ = ["isentropic", "normal_shock", "nozzle", "__version__"]
__all__ += ["oblique_shock", "fanno", "rayleigh", "table"]
__all__ += ["shock_expansion", "chart"]
