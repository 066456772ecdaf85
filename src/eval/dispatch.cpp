#include "eval/dispatch.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vortalix2::eval {

#if defined(VORTALIX2_HAVE_AVX2)
extern const KernelTable avx2_table;
extern const KernelTable* const avx2_kernels = &avx2_table;
extern const PowSpanFn avx2_pow_span;
extern const PowPairSpanFn avx2_pow_pair_span;
constexpr bool built_avx2 = true;
#else
extern const KernelTable* const avx2_kernels = nullptr;
constexpr PowSpanFn avx2_pow_span = nullptr;
constexpr PowPairSpanFn avx2_pow_pair_span = nullptr;
constexpr bool built_avx2 = false;
#endif
#if defined(VORTALIX2_HAVE_AVX512)
extern const KernelTable avx512_table;
extern const KernelTable* const avx512_kernels = &avx512_table;
extern const PowSpanFn avx512_pow_span;
extern const PowPairSpanFn avx512_pow_pair_span;
constexpr bool built_avx512 = true;
#else
extern const KernelTable* const avx512_kernels = nullptr;
constexpr PowSpanFn avx512_pow_span = nullptr;
constexpr PowPairSpanFn avx512_pow_pair_span = nullptr;
constexpr bool built_avx512 = false;
#endif

namespace {

constexpr Level levels[] = {Level::scalar, Level::sse2, Level::avx2, Level::avx512};

Level widest_supported() {
    Level best = Level::scalar;
    for (Level l : levels) {
        if (supported(l)) best = l;
    }
    return best;
}

Level choose() {
    const Level best = widest_supported();
    Level chosen = best;
    if (const char* asked = std::getenv("VORTALIX2_SIMD"); asked != nullptr && *asked != '\0') {
        bool known = false;
        for (Level l : levels) {
            if (std::strcmp(asked, name(l)) == 0) {
                known = true;
                chosen = supported(l) ? l : best;
                if (!supported(l)) {
                    std::fprintf(stderr,
                                 "vortalix2: VORTALIX2_SIMD=%s is not supported here; using %s\n",
                                 asked, name(best));
                }
            }
        }
        if (!known) {
            std::fprintf(stderr,
                         "vortalix2: VORTALIX2_SIMD=%s is not one of scalar, sse2, avx2, avx512; "
                         "using %s\n",
                         asked, name(best));
        }
    }
    if (std::getenv("VORTALIX2_SIMD_REPORT") != nullptr) {
        std::fprintf(stderr, "vortalix2: element loops use %s\n", name(chosen));
    }
    return chosen;
}

}  // namespace

bool supported(Level level) {
    switch (level) {
        case Level::scalar:
        case Level::sse2:
            return true;
        case Level::avx2:
#if defined(__x86_64__)
            return built_avx2 && __builtin_cpu_supports("avx2") &&
                   __builtin_cpu_supports("fma") && __builtin_cpu_supports("bmi2");
#else
            return false;
#endif
        case Level::avx512:
#if defined(__x86_64__)
            return built_avx512 && __builtin_cpu_supports("avx512f") &&
                   __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl") &&
                   __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512cd") &&
                   supported(Level::avx2);
#else
            return false;
#endif
    }
    return false;
}

Level level() {
    static const Level chosen = choose();
    return chosen;
}

const char* name(Level level) {
    switch (level) {
        case Level::scalar: return "scalar";
        case Level::sse2: return "sse2";
        case Level::avx2: return "avx2";
        case Level::avx512: return "avx512";
    }
    return "?";
}

RunFn kernel(Level level, std::size_t relation) {
    switch (level) {
        case Level::scalar: return scalar_kernels[relation];
        case Level::sse2: return sse2_kernels[relation];
        case Level::avx2: return (*avx2_kernels)[relation];
        case Level::avx512: return (*avx512_kernels)[relation];
    }
    return scalar_kernels[relation];
}

PowSpanFn pow_span(Level level) {
    switch (level) {
        case Level::scalar: return scalar_pow_span;
        case Level::sse2: return sse2_pow_span;
        case Level::avx2: return avx2_pow_span;
        case Level::avx512: return avx512_pow_span;
    }
    return scalar_pow_span;
}

PowPairSpanFn pow_pair_span(Level level) {
    switch (level) {
        case Level::scalar: return scalar_pow_pair_span;
        case Level::sse2: return sse2_pow_pair_span;
        case Level::avx2: return avx2_pow_pair_span;
        case Level::avx512: return avx512_pow_pair_span;
    }
    return scalar_pow_pair_span;
}

}  // namespace vortalix2::eval
