// Powers with the C library's bits: pow(x, y) of a double is the library's `pow`; for lanes,
// every lane gets exactly what the library returns for that lane's arguments.
#pragma once

#include <cmath>

#include "math/lanes.hpp"

namespace vortalix2::inline VORTALIX2_ISA::math {

inline double pow(double x, double y) { return std::pow(x, y); }

template <class T>
    requires is_lanes<T>
inline T pow(T x, T y) {
    T r;
    for (int i = 0; i < width<T>; ++i) r[i] = std::pow(x[i], y[i]);
    return r;
}

template <class T>
    requires is_lanes<T>
inline T pow(T x, double y) {
    return pow(x, splat<T>(y));
}

}  // namespace vortalix2::inline VORTALIX2_ISA::math
