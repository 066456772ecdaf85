"""Isentropic flow of a calorically perfect gas: Mach number to flow quantity and back.

Every function is a NumPy ufunc behind a Python function (``f.ufunc``): array-likes or scalars,
broadcast against each other (``ga`` and ``sup`` included), float64 out (float32 for float32
values), the ufunc keywords (``out``, ``where``, ``dtype``, ...) passed through, and ``ga``
1.4 unless given. ``ga`` is the ratio of specific heats, > 1 (else NaN). Outside a
relation's domain the result is NaN, or the infinite limit at its end. Where ``vortalix2`` has
the same relation, float64 input inside the domain gives exactly its bits. Angles in degrees.

``sup`` picks the branch of the relations that take every value twice, once on each side of
their extremum at Ma = 1: False (or 0) the subsonic root, True (or 1) the supersonic one. It is
keyword-only and must be given. Outside a domain NaN raises NumPy's invalid status.
"""
from ._ufuncs import export as _export

__all__ = _export(globals())
