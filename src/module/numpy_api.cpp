#define VORTALIX2_NUMPY_DEFINE_TABLE
#include "module/numpy.hpp"

#include <string>

#include "module/errors.hpp"
#include "module/once.hpp"

namespace vortalix2::numpy {

namespace {

OnceCell<std::string> core_name_cell;
// NumPy's table and the capsule it comes from. The capsule's reference is never dropped: the
// table lives inside NumPy's module, and holding the capsule keeps it there. It is kept here
// rather than just abandoned so that it stays reachable after the interpreter clears NumPy's
// modules at exit (leak checkers look for that).
struct ArrayApi {
    void** table;
    PyObject* capsule;
};

OnceCell<ArrayApi> api_cell;

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

ArrayApi read_api_table() {
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
    return ArrayApi{static_cast<void**>(table), capsule.release()};
}

}  // namespace

const std::string& core_name() { return core_name_cell.get(find_core_name); }

void load_array_api() {
    api_cell.get([] {
        try {
            const ArrayApi api = read_api_table();
            PyArray_API = api.table;
            PyArray_RUNTIME_VERSION = static_cast<int>(PyArray_GetNDArrayCFeatureVersion());
            return api;
        } catch (PythonError& e) {
            throw Panic{"Failed to access NumPy array API capsule: " + e.render()};
        }
    });
}

}  // namespace vortalix2::numpy
