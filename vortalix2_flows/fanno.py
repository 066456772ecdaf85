"""Fanno flow: adiabatic flow with wall friction in a duct of constant area, referred to the
sonic state (starred) that the duct reaches at its choking length L*.

f is the Fanning friction factor (wall shear over the dynamic pressure, a quarter of the
Darcy factor), so the friction length appears as 4 f L*/D, D the hydraulic diameter. With
q = 2 + (ga - 1) Ma^2:

- 4 f L*/D = (1 - Ma^2)/(ga Ma^2) + (ga + 1)/(2 ga) ln((ga + 1) Ma^2/q)
- T/T* = (ga + 1)/q,  P/P* = sqrt((ga + 1)/q)/Ma,  rho/rho* = sqrt(q/(ga + 1))/Ma,
  V/V* = Ma sqrt((ga + 1)/q),  Po/Po* = (q/(ga + 1))^((ga + 1)/(2 (ga - 1)))/Ma.

Every relation takes Ma >= 0 (NaN below; the limit at Ma = 0 and inf). 4 f L*/D and Po/Po*
take every value twice, once on each side of Ma = 1: their inversions take ``sup``, False (or
0) for the subsonic root and True (or 1) for the supersonic one, keyword-only and required. Arguments broadcast,
``ga`` and ``sup`` included; ``ga`` > 1 (else NaN).
"""
from ._ufuncs import export as _export

__all__ = _export(globals())
