"""What the toolkit's whole-state calls share: the result object, the choice of the one known
quantity, and NaN for fields that a valid state leaves undefined.

A call (``isentropic.state``, ``fanno.between``, ...) computes every field through the toolkit's
ufuncs, so its fields broadcast as they do and keep the inputs' kind (NumPy, Dask, xarray,
pandas); it hands them to :class:`Result` in the order they are shown.
"""
import numpy as np

MISSING = object()  # a keyword that was not given
SHORT = 12          # the most elements a repr prints as a table


class Result:
    """The fields of one call, by attribute (``r.Ma``), as a dict (``r.to_dict()``) or by
    iteration over their names. Every field has the inputs' broadcast shape (``r.shape``)."""

    __slots__ = ("_call", "_fields")

    def __init__(self, call, fields):
        object.__setattr__(self, "_call", call)
        object.__setattr__(self, "_fields", fields)

    def __getattr__(self, name):
        try:
            return self._fields[name]
        except KeyError:
            raise AttributeError(f"{self._call} has no field {name!r}; its fields are "
                                 f"{', '.join(self._fields)}") from None

    def __setattr__(self, name, value):
        raise AttributeError(f"the fields of {self._call} are read-only")

    def __dir__(self):
        return [*self._fields, "to_dict", "shape"]

    def __iter__(self):
        return iter(self._fields)

    def __len__(self):
        return len(self._fields)

    def __getstate__(self):
        return self._call, self._fields

    def __setstate__(self, state):
        object.__setattr__(self, "_call", state[0])
        object.__setattr__(self, "_fields", state[1])

    def to_dict(self):
        """{field name: value}, in the shown order (``pandas.DataFrame(r.to_dict())``)."""
        return dict(self._fields)

    @property
    def shape(self):
        return np.shape(next(iter(self._fields.values()))) if not _lazy(self) else \
            next(iter(self._fields.values())).shape

    def __repr__(self):
        fields = self._fields
        if _lazy(self):
            first = next(iter(fields.values()))
            return (f"<{self._call}: {type(first).__name__} fields of shape {first.shape}, not "
                    f"computed: {', '.join(fields)}>")
        values = {k: np.asarray(v) for k, v in fields.items()}
        shape = next(iter(values.values())).shape
        size = int(np.prod(shape))
        if size > SHORT or size == 0:
            return f"<{self._call}: fields of shape {shape}: {', '.join(fields)}>"
        rows = [[text(v) for v in a.ravel()] for a in values.values()]
        width = max(len(k) for k in fields)
        cols = [max(len(r[i]) for r in rows) for i in range(size)]
        head = f"{self._call}" + (f", shape {shape}" if shape else "")
        lines = [head] + [
            f"  {k.ljust(width)}  " + "  ".join(v.rjust(w) for v, w in zip(r, cols)).rstrip()
            for k, r in zip(fields, rows)]
        return "\n".join(lines)


def text(v):
    """A cell as the tables print it (five digits, NaN blank); bools as True/False."""
    if isinstance(v, (bool, np.bool_)):
        return str(bool(v))
    v = float(v)
    return "nan" if v != v else f"{v:.5g}"


def _lazy(result):
    """Whether the fields are chunked (Dask, or xarray over Dask): a repr must not compute them."""
    return any(getattr(v, "chunks", None) is not None for v in result._fields.values())


def known(call, given, choices, extra=""):
    """(name, value) of the one keyword of `given` that is not MISSING; else a TypeError that
    lists `choices` (and `extra`, a sentence about them)."""
    named = [k for k, v in given.items() if v is not MISSING]
    if len(named) == 1:
        return named[0], given[named[0]]
    got = "none" if not named else ", ".join(named)
    raise TypeError(f"{call}() takes exactly one known quantity by keyword, one of "
                    f"{', '.join(choices)} (got {got}){extra}")


def needs_branch(call, name, extremum="Ma = 1"):
    return TypeError(f"{call}({name}=...) needs the keyword argument 'sup', which picks the "
                     f"root: sup=False the one below {extremum}, sup=True the one above it")


def unless(condition, x, value=np.nan):
    """x where `condition` holds, `value` elsewhere, without a floating-point status. With NaN
    (the default) a relation fed the result gives NaN there silently (NaN in, NaN out); with a
    value outside the relation's domain, NaN with the invalid status. xarray and pandas keep
    their labels (their own ``where``); NumPy and Dask (lazily) go through ``numpy.where``."""
    if isinstance(condition, (bool, np.bool_)) and isinstance(x, (float, np.generic)):
        return x if condition else type(x)(value)  # one element: no array round trip
    if not isinstance(x, np.ndarray) and hasattr(x, "where") and hasattr(x, "values"):
        return x.where(condition, value)
    r = np.where(condition, x, value)
    return r[()] if isinstance(r, np.ndarray) and r.ndim == 0 else r


def array_like(x):
    """Lists and tuples as float64 arrays, so that comparisons work on them; anything else as
    it is (the ufuncs take it)."""
    return np.asarray(x, dtype=np.float64) if isinstance(x, (list, tuple)) else x


def mach_from(call, name, x, ga, sup, inversions):
    """The Mach number of a state known by `name` = x: x itself for Ma, else the inversion
    inversions[name] = (function, extremum), extremum None for a relation with one root, or
    where the two roots meet (then `sup` must be given)."""
    if name == "Ma":
        return x
    function, extremum = inversions[name]
    if extremum is None:
        return function(x, ga)
    if sup is MISSING or sup is None:
        raise needs_branch(call, name, extremum)
    return function(x, ga, sup=sup)


def like(x, ref):
    """The given value `x` as a field beside `ref`, a field computed from it: broadcast to
    ref's shape and of its kind (a NumPy scalar for Python numbers)."""
    if type(x) is type(ref) and np.shape(x) == np.shape(ref):
        return x
    if isinstance(ref, np.generic) and isinstance(x, (int, float)):
        return ref.dtype.type(x)
    return x + np.zeros_like(ref)
