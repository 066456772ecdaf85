"""Writes the type stubs of vortalix2_flows's family modules from the registry's rows.

    python tools/gen_stubs.py            rewrite vortalix2_flows/<family>.pyi
    python tools/gen_stubs.py --check    exit 1 if a committed stub differs from its rows

Run it with an interpreter where vortalix2_flows is installed (the rows come from its compiled
registry). Each function gets three overloads: Python numbers give a numpy.float64, float32
arrays a float32 array, anything else array-like a float64 array; the ufunc keywords follow.
A family's calls written in Python (its names after the rows') are re-exported from the module
that defines them, whose own annotations type them.
"""
import argparse
import importlib
import inspect
import sys
from pathlib import Path

HEAD = '''\
# Type stubs of vortalix2_flows.{module}, written by tools/gen_stubs.py from the registry's rows:
# edit the rows, not this file. Python numbers give a numpy.float64, float32 arrays a float32
# array, anything else array-like a float64 array (the overloads overlap where NumPy's own do).
from typing import overload

import numpy as np
from numpy.typing import ArrayLike, DTypeLike, NDArray

from vortalix2_flows._results import Result
from vortalix2_flows._typing import Casting, Flag, FlagLike, Order, Out, Scalar
{calls}
__all__ = {names!r}
'''

KEYWORDS = ("out: Out = ..., where: ArrayLike = ..., casting: Casting = ..., "
            "order: Order = ..., dtype: DTypeLike = ..., subok: bool = ...")


def parameters(values, p, value_type, flag_type):
    parts = [f"{v}: {value_type}" for v in values]
    if p.ga:
        parts.append(f"ga: {'Scalar' if value_type == 'Scalar' else 'ArrayLike'} = ...")
    flag = p.flag
    if flag is not None and not flag.keyword_only:
        parts.append(f"{flag.name}: {flag_type} = ...")
    parts.append("*")
    if flag is not None and flag.keyword_only:
        parts.append(f"{flag.name}: {flag_type}")
    parts.append(KEYWORDS)
    return ", ".join(parts)


def function(name, values, p, doc):
    overlap = "  # type: ignore[overload-overlap]"
    body = '    """' + doc.replace('\\', '\\\\').replace('"""', r'\"\"\"') + '"""'
    return "\n".join([
        "@overload",
        f"def {name}({parameters(values, p, 'Scalar', 'Flag')}) -> np.float64:{overlap}",
        body,
        "@overload",
        f"def {name}({parameters(values, p, 'NDArray[np.float32]', 'FlagLike')}) "
        f"-> NDArray[np.float32]: ...{overlap}",
        "@overload",
        f"def {name}({parameters(values, p, 'ArrayLike', 'FlagLike')}) -> NDArray[np.float64]: ...",
        "",
    ])


def call(name, fn):
    """The stub of a family module's own call over the rows' functions (``state``,
    ``between``, ``after``): array-like values, ``ga``, ``sup`` and ``strong`` flags; a Result,
    or the Mach number's array for ``after``."""
    parts = []
    star = False
    for p in inspect.signature(fn).parameters.values():
        if p.kind is p.KEYWORD_ONLY and not star:
            parts.append("*")
            star = True
        kind = "FlagLike" if p.name in ("sup", "strong") else "ArrayLike"
        parts.append(f"{p.name}: {kind}" + ("" if p.default is p.empty else " = ..."))
    result = "NDArray[np.float64]" if name == "after" else "Result"
    # Python 3.13 strips a docstring's indentation when it compiles it, earlier versions keep
    # it: the cleaned text is the same on every version.
    doc = inspect.cleandoc(fn.__doc__)
    body = '    """' + doc.replace('\\', '\\\\').replace('"""', r'\"\"\"') + '"""'
    return "\n".join([f"def {name}({', '.join(parts)}) -> {result}:", body, ""])


def stubs():
    """{family module: stub text}."""
    from vortalix2_flows import _ufuncs

    out = {}
    for module in dict.fromkeys(r.module for r in _ufuncs.RELATIONS):
        entries = _ufuncs.entries(module)
        family = importlib.import_module(f"vortalix2_flows.{module}")
        calls = family.__all__[len(entries):]
        elsewhere = [c for c in calls if getattr(family, c).__module__ != family.__name__]
        imports = "".join(f"from {getattr(family, c).__module__} import {c} as {c}\n"
                          for c in elsewhere)
        parts = [HEAD.format(module=module, names=family.__all__, calls=imports)]
        for relation, name, values in entries:
            p = _ufuncs.parse(relation.parameters)
            parts.append(function(name, values, p, getattr(family, name).__doc__))
        for name in calls:
            if name not in elsewhere:
                parts.append(call(name, getattr(family, name)))
        out[module] = "\n".join(parts)
    return out


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--check", action="store_true")
    args = ap.parse_args()
    package = Path(__file__).resolve().parents[1] / "vortalix2_flows"
    stale = []
    for module, text in stubs().items():
        path = package / f"{module}.pyi"
        if args.check:
            if not path.exists() or path.read_text() != text:
                stale.append(path.name)
        else:
            path.write_text(text)
    if stale:
        print("stubs out of date (run python tools/gen_stubs.py):", ", ".join(stale))
        sys.exit(1)


if __name__ == "__main__":
    main()
