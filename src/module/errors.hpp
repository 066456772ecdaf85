// Failures below the call guard travel as C++ exceptions:
//  - PythonError holds a Python exception (taken off the interpreter, or built lazily) that the
//    guard raises as it is;
//  - Panic is an internal failure with a message, raised as pyo3_runtime.PanicException;
//  - std::bad_alloc becomes MemoryError.
#pragma once

#include <string>
#include <string_view>

#include "module/ref.hpp"

namespace vortalix2 {

struct Panic {
    std::string message;
};

class PythonError {
public:
    // Takes the exception pending on the interpreter. If none is pending, a SystemError says so.
    static PythonError fetch();
    // A TypeError whose message is made when it is raised.
    static PythonError type_error(std::string message);
    // TypeError "'{type}' object cannot be converted to '{target}'".
    static PythonError cannot_convert(PyObject* obj, const char* target);

    // Sets the exception on the interpreter; the object is spent afterwards.
    void restore();
    // For a TypeError whose exception object is not made yet: puts text in front of its
    // message and returns true. Anything else is left as it is (false).
    bool prepend_to_lazy_message(std::string_view text);
    // The exception instance (normalised), new reference.
    Ref value();
    // The exception type, borrowed.
    PyObject* type();
    // "Type: value" followed by the traceback, for the messages of internal failures.
    std::string render();

private:
    Ref type_, value_, traceback_;
    std::string lazy_message_;  // used when type_ is TypeError and value_ is not yet made
    void normalize();
};

// The qualified name of an object's type, or "<failed to extract type name>".
std::string type_qualname_of(PyObject* obj);

// Throws PythonError::fetch() when `ok` is false.
inline void check(bool ok) {
    if (!ok) throw PythonError::fetch();
}

// Takes a new reference returned by a C-API call; throws the pending error for null.
inline Ref checked(PyObject* p) {
    if (p == nullptr) throw PythonError::fetch();
    return Ref::steal(p);
}

}  // namespace vortalix2
