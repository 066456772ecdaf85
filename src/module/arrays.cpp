#include "module/arrays.hpp"

#include <string>

#include "module/errors.hpp"
#include "module/slice_container.hpp"

namespace vortalix2 {

namespace {

// NumPy's float64 descriptor, new reference; a failure is internal.
PyArray_Descr* float64_descr() {
    PyArray_Descr* descr = PyArray_DescrFromType(NPY_DOUBLE);
    if (descr == nullptr) {
        PyErr_Print();
        throw Panic{"Python API call failed"};
    }
    return descr;
}

[[noreturn]] void refuse(PyObject* obj) {
    throw PythonError::cannot_convert(obj, "PyArray<T, D>");
}

// Element strides: byte strides that are not whole elements would make the view address
// other memory than the array's elements, so such arrays are refused. Axes of fewer than two
// elements never step, so their strides do not matter.
void check_whole_element_strides(PyArrayObject* array) {
    const int nd = PyArray_NDIM(array);
    const npy_intp* dims = PyArray_DIMS(array);
    const npy_intp* strides = PyArray_STRIDES(array);
    for (int k = 0; k < nd; ++k) {
        if (dims[k] == 0) return;
    }
    for (int k = 0; k < nd; ++k) {
        if (dims[k] >= 2 && strides[k] % static_cast<npy_intp>(sizeof(double)) != 0) {
            throw PythonError::type_error(
                "array strides must be whole multiples of the float64 item size (8 bytes), "
                "got " + std::to_string(strides[k]) + " on axis " + std::to_string(k));
        }
    }
}

}  // namespace

PyArrayObject* as_float64_array(PyObject* obj, ArrayKind kind) {
    numpy::load_array_api();
    if (!PyArray_Check(obj)) refuse(obj);
    auto* array = reinterpret_cast<PyArrayObject*>(obj);
    if (kind == ArrayKind::one_d && PyArray_NDIM(array) != 1) refuse(obj);
    PyArray_Descr* want = float64_descr();
    PyArray_Descr* have = PyArray_DESCR(array);
    const bool ok = have == want || PyArray_EquivTypes(have, want);
    Py_DECREF(want);
    if (!ok) refuse(obj);
    check_whole_element_strides(array);
    return array;
}

eval::View view_of(PyArrayObject* array) {
    const int nd = PyArray_NDIM(array);
    if (nd > static_cast<int>(eval::max_axes)) {
        throw Panic{
            "unexpected dimensionality: NumPy is expected to limit arrays to 32 or fewer "
            "dimensions.\nPlease report this as a bug in vortalix2."};
    }
    eval::View v;
    v.data = reinterpret_cast<const std::byte*>(PyArray_DATA(array));
    v.ndim = static_cast<std::size_t>(nd);
    const npy_intp* dims = PyArray_DIMS(array);
    const npy_intp* strides = PyArray_STRIDES(array);
    for (int k = 0; k < nd; ++k) {
        v.shape[k] = static_cast<std::size_t>(dims[k]);
        const npy_intp s = strides[k];
        // Truncating division on the magnitude, done unsigned so the most negative stride works.
        const std::size_t magnitude = s < 0 ? 0 - static_cast<std::size_t>(s)
                                            : static_cast<std::size_t>(s);
        const auto elements = static_cast<std::ptrdiff_t>(magnitude / sizeof(double));
        v.strides[k] = s < 0 ? -elements : elements;
    }
    return v;
}

Ref to_array(eval::MappedResult mapped) {
    // A result without elements still needs a non-null, aligned data address; NumPy never
    // reads it.
    static double no_elements[1];
    double* data = mapped.buffer.data() != nullptr ? mapped.buffer.data() + mapped.first
                                                   : no_elements;
    npy_intp dims[eval::max_axes];
    npy_intp strides[eval::max_axes];
    for (std::size_t k = 0; k < mapped.ndim; ++k) {
        dims[k] = static_cast<npy_intp>(mapped.shape[k]);
        strides[k] = static_cast<npy_intp>(mapped.strides[k] * static_cast<std::ptrdiff_t>(8));
    }
    Ref container = make_slice_container(std::move(mapped.buffer));
    PyArray_Descr* descr = float64_descr();
    PyObject* array = PyArray_NewFromDescr(&PyArray_Type, descr, static_cast<int>(mapped.ndim),
                                           dims, strides, data, NPY_ARRAY_WRITEABLE, nullptr);
    if (array == nullptr) {
        PyErr_Print();
        throw Panic{"Python API call failed"};
    }
    Ref result = Ref::steal(array);
    if (PyArray_SetBaseObject(reinterpret_cast<PyArrayObject*>(array), container.release()) < 0) {
        PyErr_Print();
        throw Panic{"Python API call failed"};
    }
    return result;
}

}  // namespace vortalix2
