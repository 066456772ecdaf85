// NumPy arrays at the boundary: accepting an input array, viewing its memory, and wrapping a
// mapped result as a new array.
#pragma once

#include "eval/mapper.hpp"
#include "module/numpy.hpp"
#include "module/ref.hpp"

namespace vortalix2 {

enum class ArrayKind { one_d, n_d };

// The object as a float64 NumPy array of the given kind (borrowed). Throws the TypeError
// "'{}' object cannot be converted to 'PyArray<T, D>'" (unprefixed) on refusal, and Panic when
// NumPy cannot be reached.
PyArrayObject* as_float64_array(PyObject* obj, ArrayKind kind);

// The strided view of an array's elements. Throws Panic for more than 32 dimensions.
eval::View view_of(PyArrayObject* array);

// A new float64 array over the mapped result's buffer, whose base is a PySliceContainer that
// owns the buffer.
Ref to_array(eval::MappedResult mapped);

}  // namespace vortalix2
