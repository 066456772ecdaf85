// PySliceContainer: the base object of every result array; owns the result buffer and frees it
// when the last array using it goes away.
#pragma once

#include "eval/mapper.hpp"
#include "module/ref.hpp"

namespace vortalix2 {

// Wraps the buffer in a new container, which takes it over. Throws Panic
// "Failed to create slice container: ..." when the container cannot be made (the buffer is
// then freed).
Ref make_slice_container(eval::Buffer buffer);

}  // namespace vortalix2
