#include "module/binding.hpp"

#include <cstring>
#include <string_view>
#include <vector>

namespace vortalix2 {

namespace {

std::string quoted_list(const std::vector<std::string_view>& names) {
    std::string out;
    for (std::size_t k = 0; k < names.size(); ++k) {
        if (k > 0) {
            if (names.size() == 2) {
                out += " and ";
            } else {
                out += (k + 1 == names.size()) ? ", and " : ", ";
            }
        }
        out += '\'';
        out += names[k];
        out += '\'';
    }
    return out;
}

std::string str_or_placeholder(PyObject* obj) {
    Ref s = Ref::steal(PyObject_Str(obj));
    const char* text = s ? PyUnicode_AsUTF8(s.get()) : nullptr;
    if (text == nullptr) {
        PyErr_Clear();
        return "<unprintable object>";
    }
    return text;
}

[[noreturn]] void too_many_positional(const FunctionDescription& d, Py_ssize_t given) {
    const std::size_t n = d.positional.size();
    std::string msg = d.full_name() + " takes ";
    if (d.required == n) {
        msg += std::to_string(n);
    } else {
        msg += "from " + std::to_string(d.required) + " to " + std::to_string(n);
    }
    msg += " positional arguments but " + std::to_string(given) +
           (given == 1 ? " was given" : " were given");
    throw PythonError::type_error(msg);
}

[[noreturn]] void missing(const FunctionDescription& d, const char* kind,
                          const std::vector<std::string_view>& names) {
    throw PythonError::type_error(d.full_name() + " missing " + std::to_string(names.size()) +
                                  " required " + kind +
                                  (names.size() == 1 ? " argument: " : " arguments: ") +
                                  quoted_list(names));
}

bool same_name(const char* name, const char* text, Py_ssize_t len) {
    return std::strlen(name) == static_cast<std::size_t>(len) &&
           std::memcmp(name, text, static_cast<std::size_t>(len)) == 0;
}

}  // namespace

std::string FunctionDescription::full_name() const {
    if (class_name != nullptr) return std::string(class_name) + "." + function_name + "()";
    return std::string(function_name) + "()";
}

void bind(const FunctionDescription& d, PyObject* const* args, Py_ssize_t nargs,
          PyObject* kwnames, PyObject** slots) {
    const std::size_t n_pos = d.positional.size();
    for (std::size_t k = 0; k < d.slot_count(); ++k) slots[k] = nullptr;

    const std::size_t given = static_cast<std::size_t>(nargs);
    for (std::size_t k = 0; k < given && k < n_pos; ++k) slots[k] = args[k];
    if (given > n_pos) too_many_positional(d, nargs);

    std::vector<std::string_view> misused_positional_only;
    const Py_ssize_t n_kw = kwnames == nullptr ? 0 : PyTuple_GET_SIZE(kwnames);
    for (Py_ssize_t i = 0; i < n_kw; ++i) {
        PyObject* name = PyTuple_GET_ITEM(kwnames, i);
        PyObject* value = args[nargs + i];
        Py_ssize_t len = 0;
        const char* text = PyUnicode_Check(name) ? PyUnicode_AsUTF8AndSize(name, &len) : nullptr;
        if (text == nullptr) PyErr_Clear();

        bool found = false;
        if (text != nullptr) {
            for (std::size_t k = 0; k < d.keyword_only.size() && !found; ++k) {
                if (!same_name(d.keyword_only[k].name, text, len)) continue;
                found = true;
                PyObject*& slot = slots[n_pos + k];
                if (slot != nullptr) {
                    throw PythonError::type_error(d.full_name() +
                                                  " got multiple values for argument '" +
                                                  std::string(text, len) + "'");
                }
                slot = value;
            }
            for (std::size_t k = 0; k < n_pos && !found; ++k) {
                if (!same_name(d.positional[k], text, len)) continue;
                found = true;
                if (k < d.positional_only) {
                    misused_positional_only.emplace_back(text, static_cast<std::size_t>(len));
                } else if (slots[k] != nullptr) {
                    throw PythonError::type_error(d.full_name() +
                                                  " got multiple values for argument '" +
                                                  std::string(text, len) + "'");
                } else {
                    slots[k] = value;
                }
            }
        }
        if (!found) {
            throw PythonError::type_error(d.full_name() +
                                          " got an unexpected keyword argument '" +
                                          str_or_placeholder(name) + "'");
        }
    }

    if (!misused_positional_only.empty()) {
        throw PythonError::type_error(
            d.full_name() + " got some positional-only arguments passed as keyword arguments: " +
            quoted_list(misused_positional_only));
    }

    if (given < d.required) {
        std::vector<std::string_view> names;
        for (std::size_t k = given; k < d.required; ++k) {
            if (slots[k] == nullptr) names.emplace_back(d.positional[k]);
        }
        if (!names.empty()) missing(d, "positional", names);
    }

    std::vector<std::string_view> missing_keywords;
    for (std::size_t k = 0; k < d.keyword_only.size(); ++k) {
        if (d.keyword_only[k].required && slots[n_pos + k] == nullptr) {
            missing_keywords.emplace_back(d.keyword_only[k].name);
        }
    }
    if (!missing_keywords.empty()) missing(d, "keyword", missing_keywords);
}

PythonError prefix_argument_error(const char* name, PythonError error) {
    // This module's own TypeErrors are still text: the prefix goes in front of it, and no
    // exception object is made for a message about to be replaced (nor has it a __cause__).
    std::string prefix = "argument '";
    prefix += name;
    prefix += "': ";
    if (error.prepend_to_lazy_message(prefix)) return error;
    Ref value = error.value();
    if (error.type() != PyExc_TypeError) return error;
    const std::string message = prefix + str_or_placeholder(value.get());
    Ref text = checked(PyUnicode_FromStringAndSize(message.data(),
                                                   static_cast<Py_ssize_t>(message.size())));
    Ref prefixed = checked(PyObject_CallFunctionObjArgs(PyExc_TypeError, text.get(), nullptr));
    if (PyObject* cause = PyException_GetCause(value.get())) {
        PyException_SetCause(prefixed.get(), cause);  // takes over the reference
    }
    PyErr_SetObject(PyExc_TypeError, prefixed.get());
    return PythonError::fetch();
}

double convert_ga(PyObject* obj) {
    if (Py_TYPE(obj) == &PyFloat_Type) return PyFloat_AS_DOUBLE(obj);
    const double v = py::float_as_double(obj);
    if (v == -1.0 && PyErr_Occurred()) throw PythonError::fetch();
    return v;
}

namespace {

bool is_numpy_bool(PyObject* obj) {
    PyTypeObject* type = Py_TYPE(obj);
    Ref module = Ref::steal(
        PyObject_GetAttrString(reinterpret_cast<PyObject*>(type), "__module__"));
    const char* module_text =
        (module && PyUnicode_Check(module.get())) ? PyUnicode_AsUTF8(module.get()) : nullptr;
    if (module_text == nullptr || std::strcmp(module_text, "numpy") != 0) {
        PyErr_Clear();
        return false;
    }
    Ref name = Ref::steal(py::type_name(type));
    const char* name_text =
        (name && PyUnicode_Check(name.get())) ? PyUnicode_AsUTF8(name.get()) : nullptr;
    if (name_text == nullptr) {
        PyErr_Clear();
        return false;
    }
    return std::strcmp(name_text, "bool_") == 0 || std::strcmp(name_text, "bool") == 0;
}

[[noreturn]] void not_a_bool(PyObject* obj) {
    throw PythonError::cannot_convert(obj, "PyBool");
}

}  // namespace

bool convert_sup(PyObject* obj) {
    if (Py_TYPE(obj) == &PyBool_Type) return obj == Py_True;
    if (!is_numpy_bool(obj)) not_a_bool(obj);

    PyObject* type = reinterpret_cast<PyObject*>(Py_TYPE(obj));
    Ref method = Ref::steal(PyObject_GetAttrString(type, "__bool__"));
    if (!method) {
        PyErr_Clear();
        throw PythonError::type_error("object of type '" + str_or_placeholder(type) +
                                      "' does not define a '__bool__' conversion");
    }
    if (descrgetfunc get = Py_TYPE(method.get())->tp_descr_get) {
        method = checked(get(method.get(), obj, type));
    }
    Ref result = checked(PyObject_CallObject(method.get(), nullptr));
    if (Py_TYPE(result.get()) != &PyBool_Type) not_a_bool(result.get());
    return result.get() == Py_True;
}

}  // namespace vortalix2
