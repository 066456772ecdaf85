// Binding vectorcall arguments to parameters, and converting `ga` and `sup`.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "module/errors.hpp"

namespace vortalix2 {

struct KeywordOnlyParameter {
    const char* name;
    bool required;
};

// The parameter list of one function, as its text signature states it.
struct FunctionDescription {
    const char* function_name;
    const char* class_name;                        // null for module-level functions
    std::span<const char* const> positional;       // names, in order
    std::size_t positional_only;                   // leading parameters not usable as keywords
    std::size_t required;                          // leading parameters that must be given
    std::span<const KeywordOnlyParameter> keyword_only;

    std::size_t slot_count() const { return positional.size() + keyword_only.size(); }
    // "name()" or "Class.name()", as binding messages name the function.
    std::string full_name() const;
};

// Fills `slots` (slot_count() entries, borrowed references, null for parameters not given)
// from the vectorcall arguments. Throws PythonError (TypeError) when the call does not fit.
void bind(const FunctionDescription& desc, PyObject* const* args, Py_ssize_t nargs,
          PyObject* kwnames, PyObject** slots);

// A conversion error for parameter `name`: an exact TypeError gets the "argument '{}': "
// prefix (keeping its __cause__), anything else passes unchanged.
PythonError prefix_argument_error(const char* name, PythonError error);

// `ga` as a double: a float's value, else whatever float() conversion gives. Throws PythonError.
double convert_ga(PyObject* obj);

// `sup` as a bool: True/False or a NumPy boolean. Throws PythonError.
bool convert_sup(PyObject* obj);

}  // namespace vortalix2
