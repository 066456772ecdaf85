#include <cstdio>
#include <cstdlib>
#include <string>

#include "module/guard.hpp"
#include "module/once.hpp"

namespace vortalix2 {

namespace {

constexpr const char panic_doc[] =
    "The exception raised when internal code called from Python fails irrecoverably.\n\n"
    "Like SystemExit, it derives from BaseException, so that it is not caught by\n"
    "`except Exception:` and typically propagates all the way up, ending the interpreter.";

OnceCell<PyObject*> panic_type_cell;

PyObject* panic_type() {
    return panic_type_cell.get([] {
        PyObject* type = PyErr_NewExceptionWithDoc("pyo3_runtime.PanicException", panic_doc,
                                                   PyExc_BaseException, nullptr);
        if (type == nullptr) throw PythonError::fetch();
        return type;  // kept for the life of the process
    });
}

}  // namespace

void raise_panic(std::string_view message) {
    std::fprintf(stderr, "vortalix2 panicked: %.*s\n", static_cast<int>(message.size()),
                 message.data());
    std::fflush(stderr);
    PyObject* type = panic_type();
    Ref text = checked(PyUnicode_FromStringAndSize(message.data(),
                                                   static_cast<Py_ssize_t>(message.size())));
    PyErr_SetObject(type, text.get());
}

void abort_at_boundary() {
    std::fputs("uncaught panic at ffi boundary\n", stderr);
    std::fflush(stderr);
    std::abort();
}

}  // namespace vortalix2
