from . import isentropic as isentropic, normal_shock as normal_shock, nozzle as nozzle
from . import fanno as fanno, oblique_shock as oblique_shock, rayleigh as rayleigh
from . import shock_expansion as shock_expansion
from ._charts import chart as chart

import numpy as np
from numpy.typing import ArrayLike, NDArray

__version__: str

def table(kind: str, ga: float = 1.4, Ma: str | ArrayLike | None = None,
          theta: str | ArrayLike | None = None) -> dict[str, NDArray[np.float64]]:
    """The table ``python -m vortalix2_flows table KIND`` prints, as a dict from column
    identifier to float64 array, in the printed order; out-of-domain cells are NaN."""
__all__ = ["isentropic", "normal_shock", "nozzle", "__version__", "oblique_shock", "fanno", "rayleigh", "table",
           "shock_expansion", "chart"]
