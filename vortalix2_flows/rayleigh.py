"""Rayleigh flow: frictionless flow in a duct of constant area with heat added or removed,
referred to the sonic state (starred) that heat addition reaches. With p = 1 + ga Ma^2 and
q = 2 + (ga - 1) Ma^2:

- To/To* = (ga + 1) Ma^2 q/p^2 (largest, 1, at Ma = 1)
- P/P* = (ga + 1)/p,  T/T* = (Ma (ga + 1)/p)^2 (largest at Ma = 1/sqrt(ga)),
  rho/rho* = p/((ga + 1) Ma^2),  V/V* = (ga + 1) Ma^2/p
- Po/Po* = ((ga + 1)/p) (q/(ga + 1))^(ga/(ga - 1)) (smallest, 1, at Ma = 1)

Every relation takes Ma >= 0 (NaN below; the limit at Ma = inf). The inversions of To/To*,
Po/Po* and T/T* take ``sup``: False (or 0) for the root below the relation's extremum,
True (or 1) for the root above it; the extremum is Ma = 1, except for T/T*, where it is
Ma = 1/sqrt(ga). Arguments broadcast, ``ga`` and ``sup`` included; ``ga`` > 1 (else NaN).
"""
from ._ufuncs import export as _export

__all__ = _export(globals())
