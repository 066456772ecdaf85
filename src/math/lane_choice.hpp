// Choosing lane by lane: masks, a selection between two values, and library functions called
// per lane. Written once over the lane type T (double or Lanes<W>), so that code built on them
// performs each lane's operations in the scalar order.
#pragma once

#include <type_traits>

#include "math/lanes.hpp"

namespace vortalix2::inline VORTALIX2_ISA::math {

// The result type of comparing two T: bool for a double, a lane mask otherwise.
template <class T>
using MaskOf = decltype(T{} < T{});

// Lane by lane, a where the mask holds, else b; either may be a double for every lane.
inline double pick(bool m, double a, double b) { return m ? a : b; }

template <class T>
    requires is_lanes<T>
inline T pick(MaskOf<T> m, T a, T b) {
    return m ? a : b;
}

template <class T>
    requires is_lanes<T>
inline T pick(MaskOf<T> m, double a, T b) {
    return pick(m, splat<T>(a), b);
}

template <class T>
    requires is_lanes<T>
inline T pick(MaskOf<T> m, T a, double b) {
    return pick(m, a, splat<T>(b));
}

// The lanes where a mask does not hold.
template <class M>
inline auto no(M m) {
    if constexpr (std::is_arithmetic_v<M>) {
        return !m;  // bool, or the int that & and | make of bools
    } else {
        return ~m;
    }
}

template <class M>
inline bool any_lane(M m) {
    if constexpr (std::is_arithmetic_v<M>) {
        return m;
    } else {
        return lane_bits(m) != 0;
    }
}

template <class M>
inline bool all_lanes(M m) {
    if constexpr (std::is_arithmetic_v<M>) {
        return m;
    } else {
        return all(m);
    }
}

// A C-library function of one argument, called per lane.
template <class T, class F>
inline T per_lane(F f, T x) {
    if constexpr (is_lanes<T>) {
        T r{};
        for (int i = 0; i < width<T>; ++i) r[i] = f(x[i]);
        return r;
    } else {
        return f(x);
    }
}

}  // namespace vortalix2::inline VORTALIX2_ISA::math
