// This module's side of the process-wide array-borrow registry shared with other extension
// modules through the "_RUST_NUMPY_BORROW_CHECKING_API" capsule.
#pragma once

#include "module/numpy.hpp"

namespace vortalix2::borrow {

// Takes a shared (read) borrow of `array`. Returns false when a conflicting exclusive borrow is
// held (AlreadyBorrowed). Throws Panic when the registry cannot be obtained or answers with an
// unexpected code.
bool acquire_shared(PyArrayObject* array);

// Gives back a shared borrow taken by acquire_shared.
void release_shared(PyArrayObject* array);

}  // namespace vortalix2::borrow
