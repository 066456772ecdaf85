"""The toolkit's relations: the ufuncs of the compiled registry, each fronted by a Python function
with the relation's own parameter names.

The registry (``src/relations/flows/registry.hpp``, compiled into ``vortalix2_flows._core``) holds one row
per relation: its family module, name, parameters, aliases and docstring, with its ufunc. This
module turns each row into the public function its family module shows, so the functions, their
signatures and docstrings, the modules' ``__all__`` and the type stubs all come from the rows.

A public function forwards every ufunc keyword (``out``, ``where``, ``dtype``, ``casting``,
``order``, ``subok``) to its ufunc, ``f.ufunc``. ``ga`` defaults to 1.4. Python numbers take a
fast path that skips the ufunc machinery whenever the result raises no floating-point status.
"""
import inspect
from typing import NamedTuple

import numpy as np

from . import _core

GA = 1.4
UFUNC_KEYWORDS = (("out", None), ("where", True), ("casting", "same_kind"), ("order", "K"),
                  ("dtype", None), ("subok", True))


class Flag(NamedTuple):
    name: str
    keyword_only: bool  # and required
    default: bool
    extremum: str  # where the two branches meet


class Parameters(NamedTuple):
    values: tuple
    ga: bool
    flag: object  # a Flag, or None


def parse(parameters):
    """The parts of a row's parameter list, as the compiled registry reads it."""
    values, ga, flag, star = [], False, None, False
    for item in parameters.split(", "):
        if item == "ga":
            ga = True
        elif item == "*":
            star = True
        elif ga:
            name, _, extremum = item.partition("(")
            name, _, default = name.partition("=")
            flag = Flag(name, star, default == "True", extremum[:-1] or "Ma = 1")
        else:
            values.append(item)
    return Parameters(tuple(values), ga, flag)


class Relation(NamedTuple):
    module: str
    name: str
    parameters: str
    aliases: str
    doc: str
    ufunc: np.ufunc
    fast: object


RELATIONS = tuple(Relation(*row) for row in _core.relations)


def branch_message(function, flag):
    if flag.extremum == "Ma = 1":
        picks = f"{flag.name}=False gives the subsonic root, {flag.name}=True the supersonic one"
    else:
        picks = (f"{flag.name}=False gives the root below {flag.extremum}, {flag.name}=True the "
                 f"one above it")
    return (f"{function}() needs the keyword argument '{flag.name}', which picks the branch: "
            f"{picks}")


def as_flag(value, name):
    """A branch flag as the ufunc takes it: bool, or a bool array; 0/1 arrays are accepted."""
    if value is True or value is False or type(value) is np.bool_:
        return value
    if value is None:
        return False
    dtype = getattr(value, "dtype", None)
    if dtype is not None and dtype.kind == "b":
        return value
    if hasattr(value, "__array_ufunc__") and not isinstance(value, np.ndarray):
        return value.astype(bool)  # dask, xarray, pandas: stays what it is
    try:
        a = np.asarray(value)
    except (TypeError, ValueError) as e:
        raise TypeError(f"{name} must be a bool or an array of bools: {e}") from None
    if a.dtype.kind in "iuf":
        if not np.all((a == 0) | (a == 1)):
            raise ValueError(f"{name} must be True/False or 0/1")
        return a.astype(bool)
    if a.dtype.kind == "b":
        return a
    raise TypeError(f"{name} must be a bool or an array of bools, not {a.dtype} data")


_MISSING = inspect.Parameter.empty


def make_function(relation, module, name, values):
    """The public function of `relation` under `module.name`, its values named `values`."""
    p = parse(relation.parameters)
    params = list(values)
    head = list(values)
    inputs = list(values)
    if p.ga:
        head.append(f"ga={GA!r}")
        params.append("ga")
        inputs.append("ga")
    flag = p.flag
    checks = ""
    if flag is not None:
        if flag.keyword_only:
            head += ["*", f"{flag.name}=_MISSING"]
            checks = (f"    if {flag.name} is _MISSING or {flag.name} is None:\n"
                      f"        raise TypeError(_branch)\n")
        else:
            head.append(f"{flag.name}={flag.default!r}")
        params.append(flag.name)
    args = ", ".join(params)
    converted = ", ".join(inputs + ([f"_as_flag({flag.name}, {flag.name!r})"] if flag else []))
    source = (f"def {name}({', '.join(head)}, **kwargs):\n"
              f"{checks}"
              f"    if not kwargs:\n"
              f"        r = _fast({args})\n"
              f"        if r is not None:\n"
              f"            return r\n"
              f"    return _ufunc({converted}, **kwargs)\n")
    namespace = {"_fast": relation.fast, "_ufunc": relation.ufunc, "_as_flag": as_flag,
                 "_MISSING": _MISSING,
                 "_branch": branch_message(name, flag) if flag is not None else None}
    # The source is built from the registry's rows only.
    exec(compile(source, f"<{module}.{name}>", "exec"), namespace)  # noqa: S102
    f = namespace[name]
    f.__module__ = module
    f.__qualname__ = name
    f.__doc__ = relation.doc if (relation.module, relation.name) == (module.rpartition(".")[2], name) \
        else (f"{relation.doc}\n\nThe same relation as "
              f"{relation.module}.{relation.name}.")
    f.ufunc = relation.ufunc
    f.__signature__ = signature(values, p)
    return f


def signature(values, p):
    """The signature a public function shows: its parameters, then the ufunc keywords."""
    P = inspect.Parameter
    params = [P(v, P.POSITIONAL_OR_KEYWORD) for v in values]
    if p.ga:
        params.append(P("ga", P.POSITIONAL_OR_KEYWORD, default=GA))
    if p.flag is not None:
        if p.flag.keyword_only:
            params.append(P(p.flag.name, P.KEYWORD_ONLY))
        else:
            params.append(P(p.flag.name, P.POSITIONAL_OR_KEYWORD, default=p.flag.default))
    params += [P(k, P.KEYWORD_ONLY, default=d) for k, d in UFUNC_KEYWORDS]
    return inspect.Signature(params)


def aliases(relation):
    """(module, name, value names) of each alias of a relation."""
    found = []
    for alias in relation.aliases.split():
        module, _, rest = alias.partition(".")
        name, _, renamed = rest.partition("(")
        values = tuple(v.strip() for v in renamed.rstrip(")").split(",")) if renamed else \
            parse(relation.parameters).values
        found.append((module, name, values))
    return found


def entries(module):
    """(relation, name, value names) of every public function of a family module, in the
    registry's order: its own rows first, then the aliases it shows."""
    own = [(r, r.name, parse(r.parameters).values) for r in RELATIONS if r.module == module]
    borrowed = [(r, name, values) for r in RELATIONS for m, name, values in aliases(r)
                if m == module]
    return own + borrowed


def export(namespace):
    """Puts the public functions of the family module whose globals are `namespace` into it;
    returns their names, for its ``__all__``."""
    module = namespace["__name__"]
    names = []
    for relation, name, values in entries(module.rpartition(".")[2]):
        namespace[name] = make_function(relation, module, name, values)
        names.append(name)
    return names
