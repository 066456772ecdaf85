"""Isentropic flow of a calorically perfect gas: Mach number to flow quantity and back.

Every function takes array-likes or scalars (broadcast against each other, ``ga`` and ``sup``
included) and returns float64. ``ga`` is the ratio of specific heats, > 1 (else NaN). Outside a
relation's domain the result is NaN, or the infinite limit at its end. Where ``vortalix2`` has
the same relation, float64 input inside the domain gives exactly its bits. Angles in degrees.

``sup`` picks the branch of the relations that take every value twice, once on each side of
their extremum at Ma = 1: False (or None, 0) the subsonic root, True (or 1) the supersonic one.
"""
from ._ufuncs import export as _export

__all__ = _export(globals())
