"""A stationary normal shock in a calorically perfect gas, from the upstream Mach number Ma.

Every relation is defined for Ma >= 1 (NaN below: no shock stands in subsonic flow), and every
inversion returns the upstream Ma >= 1. Arguments broadcast; ``ga`` > 1 (else NaN). Where
``vortalix2`` has the same relation, float64 input inside the domain gives exactly its bits.
"""
from ._ufuncs import export as _export

__all__ = _export(globals())
