"""A plane oblique shock in a calorically perfect gas. Angles are in degrees.

The stream of Mach number ``Ma`` meets a shock at the wave angle ``beta`` and is turned through
the deflection ``theta``. The relations of ``(Ma, beta)`` are defined for 1 <= Ma < inf and the
Mach angle asin(1/Ma) <= beta <= 90 (NaN elsewhere): the normal component
Mn1 = Ma sin(beta) crosses a normal shock, the tangential one is kept.

``beta_from_Ma_theta`` has two roots for 0 <= theta < theta_max: ``strong`` False (the
default, or 0) gives the weak one, below ``beta_at_theta_max_from_Ma``; True (or 1) the strong one, above
it. theta equal to ``theta_max_from_Ma(Ma)`` gives ``beta_at_theta_max_from_Ma(Ma)`` on both
branches; theta above it is a detached shock: NaN. Arguments broadcast, ``ga`` and ``strong``
included; ``ga`` > 1 (else NaN).

``turn`` turns a stream through a shock or a fan, whichever the sign of the deflection asks
for, ``reflect`` reflects the shock of a wedge from a wall, and ``polar`` gives the
pressure-deflection polar; the first two return a result object with the relations' fields.
"""
from ._ufuncs import export as _export

from ._turns import polar, reflect, turn

__all__ = _export(globals())
__all__ += ["turn", "reflect", "polar"]
