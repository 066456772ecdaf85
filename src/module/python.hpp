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
// PyPy's PyFloat_AsDouble does not fall back to __index__ as CPython's does; it is added here
// so that both interpreters accept the same objects.
inline double float_as_double(PyObject* obj) {
    const double v = PyFloat_AsDouble(obj);
#if defined(PYPY_VERSION)
    if (v == -1.0 && PyErr_Occurred() && PyErr_ExceptionMatches(PyExc_TypeError) &&
        PyIndex_Check(obj)) {
        PyErr_Clear();
        PyObject* index = PyNumber_Index(obj);
        if (index == nullptr) return -1.0;
        const double from_index = PyLong_AsDouble(index);
        Py_DECREF(index);
        return from_index;
    }
#endif
    return v;
}

}  // namespace vortalix2::py
