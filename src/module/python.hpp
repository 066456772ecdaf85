// The one place that includes Python.h, and the small differences between CPython and PyPy.
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

namespace vortalix2::py {

// New reference to the qualified name of a type, or null with an exception set.
inline PyObject* type_qualname(PyTypeObject* type) {
#if defined(PYPY_VERSION) || PY_VERSION_HEX < 0x030B0000
    return PyObject_GetAttrString(reinterpret_cast<PyObject*>(type), "__qualname__");
#else
    return PyType_GetQualName(type);
#endif
}

// New reference to the (unqualified) name of a type, or null with an exception set.
inline PyObject* type_name(PyTypeObject* type) {
#if defined(PYPY_VERSION) || PY_VERSION_HEX < 0x030B0000
    return PyObject_GetAttrString(reinterpret_cast<PyObject*>(type), "__name__");
#else
    return PyType_GetName(type);
#endif
}

}  // namespace vortalix2::py
