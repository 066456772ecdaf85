# The types the family modules' stubs share (tools/gen_stubs.py writes those stubs). Only type
# checkers read this file: there is no module of this name at run time.
from typing import Any, Literal, Union

import numpy as np
from numpy.typing import ArrayLike, NDArray

Scalar = Union[float, int, np.float64, np.integer[Any]]
Flag = Union[bool, np.bool_]
FlagLike = Union[Flag, ArrayLike]
Out = Union[NDArray[Any], tuple[NDArray[Any]], None]
Casting = Literal["no", "equiv", "safe", "same_kind", "unsafe"]
Order = Literal["K", "A", "C", "F"]
