#include "math/libc_pow.hpp"

#include <cstdlib>

#if defined(__GLIBC__)
#include <gnu/libc-version.h>
#endif

namespace vortalix2::libc {

namespace {

// The running glibc's version, not the one the module was built against: the vector pow's
// certificate rests on the behaviour of the `pow` that the fallback lanes will actually call.
bool running_glibc_at_least_2_28() {
#if defined(__GLIBC__)
    const char* version = gnu_get_libc_version();
    char* end = nullptr;
    const long major = std::strtol(version, &end, 10);
    if (end == version || *end != '.') return false;
    const char* minor_text = end + 1;
    const long minor = std::strtol(minor_text, &end, 10);
    if (end == minor_text) return false;
    return major > 2 || (major == 2 && minor >= 28);
#else
    return false;
#endif
}

}  // namespace

extern const bool pow_error_bounded = running_glibc_at_least_2_28();

}  // namespace vortalix2::libc
