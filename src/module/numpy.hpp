// NumPy's C API, reached through the "_ARRAY_API" capsule of the running NumPy (1.x or 2.x).
//
// NumPy's own headers declare the table; the table pointer and the runtime feature version are
// filled by load_array_api() on first need instead of by import_array(), so importing this
// module never imports NumPy.
#pragma once

#include "module/python.hpp"

#define PY_ARRAY_UNIQUE_SYMBOL vortalix2_numpy_array_api
#ifndef VORTALIX2_NUMPY_DEFINE_TABLE
#define NO_IMPORT_ARRAY
#endif
#define NPY_NO_DEPRECATED_API NPY_1_7_API_VERSION
#include <numpy/arrayobject.h>

#include <string>

namespace vortalix2::numpy {

// "numpy._core" for NumPy 2 and later, "numpy.core" before; found once per process.
// Throws PythonError.
const std::string& core_name();

// Makes the C-API table usable (once per process). Throws Panic
// "Failed to access NumPy array API capsule: ..." when NumPy cannot be reached; nothing is
// cached then, so the next call tries again.
void load_array_api();

}  // namespace vortalix2::numpy
