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

// float(obj) for the conversion of a number argument: -1.0 with an exception set on failure.
// CPython's PyFloat_AsDouble falls back to __index__ for types without __float__; PyPy's does
// not, so the fallback is made here for exactly those types, and both interpreters accept the
// same objects. A type with a __float__ keeps the error of its __float__.
inline double float_as_double(PyObject* obj) {
#if defined(PYPY_VERSION)
    PyObject* type = reinterpret_cast<PyObject*>(Py_TYPE(obj));
    if (!PyFloat_Check(obj) && !PyObject_HasAttrString(type, "__float__") && PyIndex_Check(obj)) {
        PyObject* index = PyNumber_Index(obj);
        if (index == nullptr) return -1.0;
        const double from_index = PyLong_AsDouble(index);
        Py_DECREF(index);
        return from_index;
    }
#endif
    return PyFloat_AsDouble(obj);
}

}  // namespace vortalix2::py
