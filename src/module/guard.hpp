// The one place where failures cross into Python.
#pragma once

#include <new>
#include <string_view>

#include "eval/mapper.hpp"
#include "module/errors.hpp"

namespace vortalix2 {

// Raises pyo3_runtime.PanicException(message), after a short report on standard error.
// Throws PythonError if the exception type cannot be made.
void raise_panic(std::string_view message);

// Ends the process: a failure could not be turned into a Python exception.
[[noreturn]] void abort_at_boundary();

// Runs one function body and turns its outcome into the C return value: the result object,
// or null with the failure raised on the interpreter.
template <class Body>
PyObject* call_guard(Body&& body) noexcept {
    try {
        try {
            return body();
        } catch (PythonError& e) {
            e.restore();
        } catch (const Panic& p) {
            raise_panic(p.message);
        } catch (const std::bad_alloc&) {
            PyErr_NoMemory();
        } catch (const eval::CapacityOverflow& e) {
            raise_panic(e.what());
        }
    } catch (...) {
        abort_at_boundary();
    }
    return nullptr;
}

}  // namespace vortalix2
