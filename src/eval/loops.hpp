// The element loops: a relation applied to the elements of a walk, W lanes at a time where the
// relation is written over lane types, one double at a time otherwise. Each lane performs the
// scalar relation's operations in the scalar order, so the width never changes a result.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <concepts>
#include <cstddef>
#include <cstring>
#include <utility>

#include "eval/walk.hpp"
#include "math/lanes.hpp"
#include "math/pow.hpp"

namespace vortalix2::inline VORTALIX2_ISA::loops {

using eval::RunFn;
using eval::Walk;

template <class Relation, class T>
concept lane_relation = requires(const Relation& r, T v) {
    { r(v) } -> std::same_as<T>;
};

// A relation that runs an iteration per element: it settles some inputs outright and steps the
// others, lane by lane, with the iteration's own steps and exits.
template <class Relation>
concept iterative_relation = requires(const Relation& r, double x, double& out) {
    typename Relation::Iteration;
    { r.settled(x, out) } -> std::same_as<bool>;
};

inline double load_one(const std::byte* p) {
    double v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// The lanes of one vector of an iteration: each lane's element (its target, iterate and steps
// made so far) and where its result goes; a lane without work has no destination.
template <class T>
struct IterationLanes {
    static constexpr int w = math::width<T>;
    T target = math::splat<T>(0.0);
    T m = math::splat<T>(0.0);
    math::Mask<w> steps = {};
    double* dest[w] = {};
    int busy = 0;
};

// out[k] = rel(element k) for the n elements read `stride` bytes apart from `in`, each lane
// iterating its own element: a lane that finishes writes its result and takes the next
// element that needs iterating, so lanes never wait for each other. Each lane makes exactly
// the steps its element makes alone. Lanes left without work copy a busy lane, whose steps
// they repeat harmlessly.
//
// A step waits on the one before it, so one vector of lanes would leave the processor idle
// through the latency of each step; several vectors step side by side, their chains
// overlapping. Which vector an element lands in changes nothing but when it is done.
template <class T, class Relation>
void iterate(const Relation& rel, const std::byte* in, std::ptrdiff_t stride, double* out,
             std::size_t n) {
    using Iteration = typename Relation::Iteration;
    using Lanes = IterationLanes<T>;
    // Four vectors cover the latency of a step whose power, quotients and tests follow one
    // another; two leave the Newton steps with a power still waiting on latency.
    constexpr int vectors = 4;
    constexpr int w = Lanes::w;
    Lanes lanes[vectors];
    std::size_t taken = 0;
    // Gives lane i of v the next element that needs iterating; false when there is none left.
    const auto take = [&](Lanes& v, int i) {
        while (taken < n) {
            const double x = load_one(in + static_cast<std::ptrdiff_t>(taken) * stride);
            double* d = out + taken;
            ++taken;
            if (rel.settled(x, *d)) continue;
            v.target[i] = x;
            v.m[i] = rel.start;
            v.steps[i] = 0;
            v.dest[i] = d;
            return true;
        }
        v.dest[i] = nullptr;
        return false;
    };
    const auto cover_idle = [](Lanes& v) {
        int source = 0;
        while (v.dest[source] == nullptr) ++source;
        for (int i = 0; i < w; ++i) {
            if (v.dest[i] == nullptr) {
                v.target[i] = v.target[source];
                v.m[i] = v.m[source];
                v.steps[i] = 0;
            }
        }
    };
    const auto fill = [&](Lanes& v) {
        for (int i = 0; i < w; ++i) v.busy += take(v, i);
        if (v.busy > 0 && v.busy < w) cover_idle(v);
    };
    // Takes step s, made by the lanes of v: the lanes it ends write their results and take new
    // elements.
    const auto settle = [&](Lanes& v, const math::Step<T>& s) {
        // A step larger than the tolerance taken before the step limit never ends an
        // iteration: every lane takes its step, and only the others need looking at.
        v.steps = v.steps + 1;
        v.m = s.next;
        const unsigned full = (1u << w) - 1;
        unsigned ending = ~math::lane_bits((s.size > Iteration::tolerance) &
                                           (v.steps < Iteration::step_limit)) &
                          full;
        bool idled = false;
        for (; ending != 0; ending &= ending - 1) {
            const int i = std::countr_zero(ending);
            if (v.dest[i] == nullptr) continue;
            if (Iteration::finished(s.next[i], s.size[i], static_cast<int>(v.steps[i]),
                                    *v.dest[i]) &&
                !take(v, i)) {
                --v.busy;
                idled = true;
            }
        }
        if (idled && v.busy > 0) cover_idle(v);
    };
    for (Lanes& v : lanes) fill(v);
    // While every vector has work, all of them step side by side, written out vector by vector
    // so that the compiler can interleave their operations.
    const auto step_all = [&]<std::size_t... g>(std::index_sequence<g...>) {
        const math::Step<T> s[] = {Iteration::advance(rel, lanes[g].target, lanes[g].m)...};
        (settle(lanes[g], s[g]), ...);
    };
    const auto count_busy = [&] {
        int count = 0;
        for (const Lanes& v : lanes) count += v.busy > 0;
        return count;
    };
    while (count_busy() == vectors) step_all(std::make_index_sequence<vectors>{});
    // The elements have run out: the vectors still at work step side by side, the others rest.
    while (count_busy() > 0) {
        math::Step<T> s[vectors];
        for (int g = 0; g < vectors; ++g) {
            if (lanes[g].busy > 0) s[g] = Iteration::advance(rel, lanes[g].target, lanes[g].m);
        }
        for (int g = 0; g < vectors; ++g) {
            if (lanes[g].busy > 0) settle(lanes[g], s[g]);
        }
    }
}

// out[k] = rel(element k) for the n elements read `stride` bytes apart from `in`.
template <class T, class Relation>
void span(const Relation& rel, const std::byte* in, std::ptrdiff_t stride, double* out,
          std::size_t n) {
    constexpr int w = math::width<T>;
    const auto at = [in, stride](std::size_t k) {
        return in + static_cast<std::ptrdiff_t>(k) * stride;
    };
    std::size_t k = 0;
    if constexpr (w > 1 && iterative_relation<Relation>) {
        iterate<T>(rel, in, stride, out, n);
    } else if constexpr (w > 1 && lane_relation<Relation, T>) {
        // A lane whose power the vector pow could not vouch for is recomputed by the scalar
        // relation, whose powers are the library's; those elements are gathered per block and
        // recomputed together.
        math::CollectRefused<T> refused;
        constexpr std::size_t block = 64;  // vectors
        unsigned lanes[block];
        std::size_t redo[block * w];
        // Strided elements are first copied to a contiguous block, which the lanes then read:
        // plain copies pipeline far better than filling lanes one by one.
        alignas(64) double copied[block * w];
        const bool contiguous = stride == static_cast<std::ptrdiff_t>(sizeof(double));
        const auto recompute = [&](std::size_t first, std::size_t vectors) {
            std::size_t count = 0;
            for (std::size_t b = 0; b < vectors; ++b) {
                // Most vectors have no refused lane, the others one or two: visit the set bits.
                for (unsigned l = lanes[b]; l != 0; l &= l - 1) {
                    redo[count++] = first + b * w + static_cast<std::size_t>(std::countr_zero(l));
                }
            }
            for (std::size_t j = 0; j < count; ++j) out[redo[j]] = rel(load_one(at(redo[j])));
        };
        while (k + w <= n) {
            const std::size_t vectors = std::min(block, (n - k) / w);
            const std::byte* src = at(k);
            if (!contiguous) {
                for (std::size_t i = 0; i < vectors * w; ++i) copied[i] = load_one(at(k + i));
                src = reinterpret_cast<const std::byte*>(copied);
            }
            unsigned any = 0;
            for (std::size_t b = 0; b < vectors; ++b) {
                math::store(out + k + b * w, rel(math::load<T>(src + b * w * sizeof(double))));
                lanes[b] = refused.take();
                any |= lanes[b];
            }
            if (any != 0) recompute(k, vectors);
            k += vectors * w;
        }
        if (k < n) {
            // The last few elements fill the lanes from the left; the spare lanes repeat the
            // final element, a valid input whose results are dropped.
            T v;
            for (int i = 0; i < w; ++i) v[i] = load_one(at(std::min(k + i, n - 1)));
            const T r = rel(v);
            for (std::size_t i = 0; k + i < n; ++i) out[k + i] = r[i];
            lanes[0] = refused.take() & ((1u << (n - k)) - 1);
            recompute(k, 1);
        }
    } else {
        for (; k < n; ++k) out[k] = rel(load_one(at(k)));
    }
}

// Every element of the walk, by address for a block, else row by row in row-major order with
// each row's start computed once from its index.
template <class T, class Relation>
void fill(const Relation& rel, const Walk& walk) {
    constexpr auto item = static_cast<std::ptrdiff_t>(sizeof(double));
    if (walk.block) {
        span<T>(rel, walk.data, item, walk.out, walk.count);
        return;
    }
    if (walk.count == 0) return;
    const std::size_t last = walk.ndim - 1;
    const std::size_t row_len = walk.shape[last];
    const std::ptrdiff_t step = walk.strides[last] * item;
    std::array<std::size_t, 32> index{};
    double* out = walk.out;
    for (;;) {
        std::ptrdiff_t offset = 0;
        for (std::size_t k = 0; k < last; ++k) {
            offset += static_cast<std::ptrdiff_t>(index[k]) * walk.strides[k];
        }
        span<T>(rel, walk.data + offset * item, step, out, row_len);
        out += row_len;
        std::size_t k = last;
        for (;;) {
            if (k == 0) return;
            --k;
            if (++index[k] < walk.shape[k]) break;
            index[k] = 0;
        }
    }
}

template <class Relation>
Relation make(double ga, bool sup) {
    if constexpr (std::is_constructible_v<Relation, double, bool>) {
        return Relation(ga, sup);
    } else {
        return Relation(ga);
    }
}

template <class Relation, class T>
void run(double ga, bool sup, const Walk& walk) {
    fill<T>(make<Relation>(ga, sup), walk);
}

// The loops of every relation in `Relations` (a tuple type) for lanes of type T, in its order.
template <class T, class Relations, std::size_t... I>
constexpr std::array<RunFn, sizeof...(I)> table(std::index_sequence<I...>) {
    return {{&run<std::tuple_element_t<I, Relations>, T>...}};
}

}  // namespace vortalix2::inline VORTALIX2_ISA::loops
