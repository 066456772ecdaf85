#include "module/errors.hpp"

#include <utility>

namespace vortalix2 {

namespace {

// str(obj) as UTF-8, or a placeholder; never leaves an exception set.
std::string str_of(PyObject* obj) {
    if (obj == nullptr) return "None";
    Ref s = Ref::steal(PyObject_Str(obj));
    if (s) {
        Py_ssize_t n = 0;
        const char* text = PyUnicode_AsUTF8AndSize(s.get(), &n);
        if (text != nullptr) return std::string(text, static_cast<std::size_t>(n));
    }
    PyErr_Clear();
    return "<unprintable object>";
}

std::string qualname_of(PyObject* type) {
    Ref name = (type != nullptr && PyType_Check(type))
                   ? Ref::steal(py::type_qualname(reinterpret_cast<PyTypeObject*>(type)))
                   : Ref();
    const char* text = (name && PyUnicode_Check(name.get())) ? PyUnicode_AsUTF8(name.get())
                                                             : nullptr;
    if (text == nullptr) {
        PyErr_Clear();
        return "<failed to extract type name>";
    }
    return text;
}

}  // namespace

std::string type_qualname_of(PyObject* obj) {
    return qualname_of(reinterpret_cast<PyObject*>(Py_TYPE(obj)));
}

PythonError PythonError::cannot_convert(PyObject* obj, const char* target) {
    std::string message = "'";
    message += type_qualname_of(obj);
    message += "' object cannot be converted to '";
    message += target;
    message += "'";
    return type_error(std::move(message));
}

PythonError PythonError::fetch() {
    PythonError e;
    PyObject *type = nullptr, *value = nullptr, *traceback = nullptr;
    PyErr_Fetch(&type, &value, &traceback);
    if (type == nullptr) {
        Py_XDECREF(value);
        Py_XDECREF(traceback);
        e.type_ = Ref::borrow(PyExc_SystemError);
        e.lazy_message_ = "attempted to fetch exception but none was set";
        return e;
    }
    e.type_ = Ref::steal(type);
    e.value_ = Ref::steal(value);
    e.traceback_ = Ref::steal(traceback);
    return e;
}

PythonError PythonError::type_error(std::string message) {
    PythonError e;
    e.type_ = Ref::borrow(PyExc_TypeError);
    e.lazy_message_ = std::move(message);
    return e;
}

void PythonError::normalize() {
    if (!type_) return;
    if (!value_ && !lazy_message_.empty()) {
        Ref msg = Ref::steal(PyUnicode_FromStringAndSize(
            lazy_message_.data(), static_cast<Py_ssize_t>(lazy_message_.size())));
        if (msg) {
            value_ = Ref::steal(PyObject_CallFunctionObjArgs(type_.get(), msg.get(), nullptr));
        }
        if (!value_) {
            // Making the exception failed: carry that failure instead.
            *this = fetch();
            return;
        }
        lazy_message_.clear();
        return;
    }
    PyObject* type = type_.release();
    PyObject* value = value_.release();
    PyObject* traceback = traceback_.release();
    PyErr_NormalizeException(&type, &value, &traceback);
    if (traceback != nullptr && value != nullptr) PyException_SetTraceback(value, traceback);
    type_ = Ref::steal(type);
    value_ = Ref::steal(value);
    traceback_ = Ref::steal(traceback);
}

void PythonError::restore() {
    if (!value_ && !lazy_message_.empty()) {
        PyErr_SetString(type_.get(), lazy_message_.c_str());
        type_ = Ref();
        return;
    }
    PyErr_Restore(type_.release(), value_.release(), traceback_.release());
}

bool PythonError::prepend_to_lazy_message(std::string_view text) {
    if (type_.get() != PyExc_TypeError || value_ || lazy_message_.empty()) return false;
    lazy_message_.insert(0, text);
    return true;
}

Ref PythonError::value() {
    normalize();
    return Ref::borrow(value_.get());
}

PyObject* PythonError::type() { return type_.get(); }

std::string PythonError::render() {
    normalize();
    std::string out = qualname_of(type_.get());
    out += ": ";
    out += str_of(value_.get());
    if (traceback_) {
        Ref module = Ref::steal(PyImport_ImportModule("traceback"));
        Ref lines = module ? Ref::steal(PyObject_CallMethod(module.get(), "format_tb", "O",
                                                            traceback_.get()))
                           : Ref();
        Ref sep = Ref::steal(PyUnicode_FromString(""));
        Ref joined = (lines && sep) ? Ref::steal(PyUnicode_Join(sep.get(), lines.get())) : Ref();
        if (joined) {
            out += "\nTraceback (most recent call last):\n";
            out += str_of(joined.get());
        }
        PyErr_Clear();
    }
    return out;
}

}  // namespace vortalix2
