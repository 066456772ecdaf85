// What is known about the C library's `pow` in this process. Plain code, the same for every
// instruction set.
#pragma once

namespace vortalix2::libc {

// True when the process runs on glibc 2.28 or newer, whose double `pow` is within
// 0.54 ULP of the exact power (see math/pow.hpp for the finer split the vector pow relies on).
// Decided once, when the module is loaded.
extern const bool pow_error_bounded;

}  // namespace vortalix2::libc
