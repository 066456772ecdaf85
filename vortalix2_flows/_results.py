"""The object a toolkit call returns: named result fields with attribute access, ``to_dict()``
and a ``repr`` that shows scalars and short arrays as a small table."""
from typing import Any

import numpy as np

SHOWN = 8  # arrays up to this many elements are shown in full


class Result:
    """Named fields of one call, each an array (or NumPy scalar) of the broadcast shape."""

    __slots__ = ("_kind", "_fields")

    def __init__(self, kind: str, fields: dict[str, Any]) -> None:
        object.__setattr__(self, "_kind", kind)
        object.__setattr__(self, "_fields", dict(fields))

    def __getattr__(self, name: str) -> Any:
        # Only fields come here; an object being rebuilt has no slots yet.
        if name.startswith("_"):
            raise AttributeError(name)
        try:
            return self._fields[name]
        except KeyError:
            raise AttributeError(f"{self._kind} result has no field {name!r}") from None

    def __reduce__(self) -> tuple[Any, ...]:
        return (Result, (self._kind, self._fields))

    def __setattr__(self, name: str, value: object) -> None:
        raise AttributeError(f"{self._kind} result is read-only")

    def __dir__(self) -> list[str]:
        return [*self._fields, "to_dict", "shape"]

    def to_dict(self) -> dict[str, Any]:
        """The fields in order, name to value (the arrays themselves, not copies)."""
        return dict(self._fields)

    @property
    def shape(self) -> tuple[int, ...]:
        """The broadcast shape of the fields."""
        return np.broadcast_shapes(*(np.shape(v) for v in self._fields.values()))

    def __repr__(self) -> str:
        shape = self.shape
        size = int(np.prod(shape))
        if size > SHOWN:
            names = ", ".join(self._fields)
            return f"<{self._kind} result, shape {shape}: {names}>"
        width = max(len(n) for n in self._fields)
        lines = [f"{self._kind} result" + (f", shape {shape}" if shape else "") + ":"]
        for name, value in self._fields.items():
            flat = np.broadcast_to(np.asarray(value, dtype=np.float64), shape).ravel()
            cells = "  ".join(f"{v:.10g}" for v in flat.tolist())
            lines.append(f"  {name.ljust(width)}  {cells}")
        return "\n".join(lines)
