// A minimal extension module that refuses its argument with the TypeError vortalix2 raises for
// a float32 array, made by the same sequence of C-API calls, and nothing else: no NumPy, no
// borrow, no conversion. Memory that a long run of its refusals costs is the interpreter's.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <string>

namespace {

// refuse(x, ga): raises "argument 'Ma': '<type>' object cannot be converted to 'PyArray<T, D>'"
// as vortalix2 does: the conversion error is made as an exception, its text is read back and
// prefixed into a second exception that takes over its __cause__, and the result is fetched and
// restored once more on its way to the caller.
PyObject* refuse(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject*) {
    if (nargs < 1) {
        PyErr_SetString(PyExc_TypeError, "refuse() takes an argument");
        return nullptr;
    }
    PyObject* qualname =
        PyObject_GetAttrString(reinterpret_cast<PyObject*>(Py_TYPE(args[0])), "__qualname__");
    if (qualname == nullptr) return nullptr;
    std::string message = "'";
    message += PyUnicode_AsUTF8(qualname);
    message += "' object cannot be converted to 'PyArray<T, D>'";
    Py_DECREF(qualname);

    PyObject* text = PyUnicode_FromStringAndSize(message.data(), message.size());
    PyObject* inner = PyObject_CallFunctionObjArgs(PyExc_TypeError, text, nullptr);
    Py_DECREF(text);
    PyObject* inner_text = PyObject_Str(inner);
    std::string prefixed = "argument 'Ma': ";
    prefixed += PyUnicode_AsUTF8(inner_text);
    Py_DECREF(inner_text);
    PyObject* outer_text = PyUnicode_FromStringAndSize(prefixed.data(), prefixed.size());
    PyObject* outer = PyObject_CallFunctionObjArgs(PyExc_TypeError, outer_text, nullptr);
    Py_DECREF(outer_text);
    if (PyObject* cause = PyException_GetCause(inner)) PyException_SetCause(outer, cause);
    Py_DECREF(inner);
    PyErr_SetObject(PyExc_TypeError, outer);
    Py_DECREF(outer);

    PyObject *type, *value, *traceback;
    PyErr_Fetch(&type, &value, &traceback);
    PyErr_NormalizeException(&type, &value, &traceback);
    PyErr_Restore(type, value, traceback);
    return nullptr;
}

// refuse_plainly(x, ga): the same message set with PyErr_SetString alone.
PyObject* refuse_plainly(PyObject*, PyObject* const*, Py_ssize_t, PyObject*) {
    PyErr_SetString(PyExc_TypeError,
                    "argument 'Ma': 'ndarray' object cannot be converted to 'PyArray<T, D>'");
    return nullptr;
}

PyMethodDef methods[] = {
    {"refuse", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&refuse)),
     METH_FASTCALL | METH_KEYWORDS, nullptr},
    {"refuse_plainly", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&refuse_plainly)),
     METH_FASTCALL | METH_KEYWORDS, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef definition = {
    PyModuleDef_HEAD_INIT, "refusal_twin", "Refuses its argument as vortalix2 does (tests).",
    -1, methods, nullptr, nullptr, nullptr, nullptr,
};

}  // namespace

extern "C" PyMODINIT_FUNC PyInit_refusal_twin() { return PyModule_Create(&definition); }
