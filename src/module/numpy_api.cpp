#define VORTALIX2_NUMPY_DEFINE_TABLE
#include "module/numpy.hpp"

#include <string>

#include "module/errors.hpp"
#include "module/once.hpp"

namespace vortalix2::numpy {

namespace {

OnceCell<std::string> core_name_cell;
OnceCell<void**> api_cell;

std::string find_core_name() {
    Ref numpy = checked(PyImport_ImportModule("numpy"));
    Ref version = checked(PyObject_GetAttrString(numpy.get(), "__version__"));
    Ref lib = checked(PyImport_ImportModule("numpy.lib"));
    Ref parse = checked(PyObject_GetAttrString(lib.get(), "NumpyVersion"));
    Ref parsed = checked(PyObject_CallFunctionObjArgs(parse.get(), version.get(), nullptr));
    Ref major_obj = checked(PyObject_GetAttrString(parsed.get(), "major"));
    const unsigned long major = PyLong_AsUnsignedLong(major_obj.get());
    if (major == static_cast<unsigned long>(-1) && PyErr_Occurred()) throw PythonError::fetch();
    if (major > 255) {
        PyErr_SetString(PyExc_OverflowError, "out of range integral type conversion attempted");
        throw PythonError::fetch();
    }
    return major >= 2 ? "numpy._core" : "numpy.core";
}

void** read_api_table() {
    const std::string name = core_name() + ".multiarray";
    Ref multiarray = checked(PyImport_ImportModule(name.c_str()));
    Ref capsule = checked(PyObject_GetAttrString(multiarray.get(), "_ARRAY_API"));
    if (!PyCapsule_CheckExact(capsule.get())) {
        throw PythonError::cannot_convert(capsule.get(), "PyCapsule");
    }
    const char* capsule_name = PyCapsule_GetName(capsule.get());
    if (capsule_name == nullptr && PyErr_Occurred()) throw PythonError::fetch();
    void* table = PyCapsule_GetPointer(capsule.get(), capsule_name);
    if (table == nullptr) throw PythonError::fetch();
    // The table lives inside NumPy's module; holding the capsule for the rest of the process
    // keeps it there.
    capsule.release();
    return static_cast<void**>(table);
}

}  // namespace

const std::string& core_name() { return core_name_cell.get(find_core_name); }

void load_array_api() {
    api_cell.get([] {
        try {
            void** table = read_api_table();
            PyArray_API = table;
            PyArray_RUNTIME_VERSION = static_cast<int>(PyArray_GetNDArrayCFeatureVersion());
            return table;
        } catch (PythonError& e) {
            throw Panic{"Failed to access NumPy array API capsule: " + e.render()};
        }
    });
}

}  // namespace vortalix2::numpy
