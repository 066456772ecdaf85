#include "eval/dispatch.hpp"
#include "math/isa.hpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>
#define VORTALIX2_X86_CPUID 1
#endif

namespace vortalix2::eval {

// Each level's objects, defined by the code compiled for it (src/eval/kernels.cpp); those of a
// level this build lacks are never referred to.
#define VORTALIX2_DECLARE_LEVEL(level)                        \
    extern const KernelTable level##_kernel_table;            \
    extern const PowSpanFn level##_pow_span;                  \
    extern const PowPairSpanFn level##_pow_pair_span;
VORTALIX2_DECLARE_LEVEL(scalar)
VORTALIX2_DECLARE_LEVEL(sse2)
VORTALIX2_DECLARE_LEVEL(avx2)
VORTALIX2_DECLARE_LEVEL(avx512)
#undef VORTALIX2_DECLARE_LEVEL

#if defined(VORTALIX2_HAVE_AVX2)
[[maybe_unused]] constexpr bool built_avx2 = true;
#else
[[maybe_unused]] constexpr bool built_avx2 = false;
#endif
#if defined(VORTALIX2_HAVE_AVX512)
[[maybe_unused]] constexpr bool built_avx512 = true;
#else
[[maybe_unused]] constexpr bool built_avx512 = false;
#endif

namespace {

constexpr Level levels[] = {Level::scalar, Level::sse2, Level::avx2, Level::avx512};

// The names VORTALIX2_SIMD accepts on this architecture, for the message about an unknown one.
#if defined(__aarch64__)
constexpr const char* known_names = "scalar, neon";
#else
constexpr const char* known_names = "scalar, sse2, avx2, avx512";
#endif

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
                         "vortalix2: VORTALIX2_SIMD=%s is not one of %s; using %s\n", asked,
                         known_names, name(best));
        }
    }
    if (std::getenv("VORTALIX2_SIMD_REPORT") != nullptr) {
        std::fprintf(stderr, "vortalix2: element loops use %s\n", name(chosen));
    }
    return chosen;
}

#if defined(VORTALIX2_X86_CPUID)

// What the processor and the operating system allow, read with cpuid and xgetbv rather than
// the compiler's __builtin_cpu_supports: that one needs the compiler runtime to fill in its
// table at start-up, which not every toolchain we release with does (it then answers "no" to
// everything, silently).
struct X86Features {
    bool v3 = false;  // everything -march=x86-64-v3 may use, with AVX state enabled by the OS
    bool v4 = false;  // the same for -march=x86-64-v4 (AVX-512 F, BW, CD, DQ, VL; ZMM state)
};

std::uint64_t xcr0() {
    std::uint32_t lo = 0, hi = 0;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    return (static_cast<std::uint64_t>(hi) << 32) | lo;
}

constexpr bool has(std::uint32_t reg, int bit) { return ((reg >> bit) & 1u) != 0; }

X86Features detect_x86() {
    X86Features f;
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(0, &a, &b, &c, &d) == 0 || a < 7) return f;
    unsigned c1 = 0, d1 = 0;
    __cpuid(1, a, b, c1, d1);
    unsigned b7 = 0, c7 = 0, d7 = 0;
    __cpuid_count(7, 0, a, b7, c7, d7);
    unsigned cx = 0;
    if (__get_cpuid(0x80000001u, &a, &b, &cx, &d) == 0) return f;

    // x86-64-v2: CMPXCHG16B, LAHF/SAHF, POPCNT, SSE3, SSE4.1, SSE4.2, SSSE3.
    const bool v2 = has(c1, 0) && has(c1, 9) && has(c1, 13) && has(c1, 19) && has(c1, 20) &&
                    has(c1, 23) && has(cx, 0);
    // The OS saves the registers only if it says so through OSXSAVE and XCR0.
    if (!v2 || !has(c1, 27)) return f;
    const std::uint64_t xcr = xcr0();
    const bool ymm_state = (xcr & 0x6) == 0x6;
    const bool zmm_state = (xcr & 0xe6) == 0xe6;
    // x86-64-v3: AVX, AVX2, BMI1, BMI2, F16C, FMA, LZCNT, MOVBE, XSAVE.
    f.v3 = ymm_state && has(c1, 28) && has(b7, 5) && has(b7, 3) && has(b7, 8) && has(c1, 29) &&
           has(c1, 12) && has(cx, 5) && has(c1, 22) && has(c1, 26);
    // x86-64-v4: AVX512F, AVX512BW, AVX512CD, AVX512DQ, AVX512VL.
    f.v4 = f.v3 && zmm_state && has(b7, 16) && has(b7, 30) && has(b7, 28) && has(b7, 17) &&
           has(b7, 31);
    return f;
}

const X86Features& x86_features() {
    static const X86Features f = detect_x86();
    return f;
}

#endif

}  // namespace

bool supported(Level level) {
    switch (level) {
        case Level::scalar:
            return true;
        case Level::sse2:
#if defined(VORTALIX2_NO_VECTOR)
            return false;  // built without lane types: scalar loops only
#else
            return true;
#endif
        case Level::avx2:
#if defined(VORTALIX2_X86_CPUID)
            return built_avx2 && x86_features().v3;
#else
            return false;
#endif
        case Level::avx512:
#if defined(VORTALIX2_X86_CPUID)
            return built_avx512 && built_avx2 && x86_features().v4;
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
        // The two-lane level is the baseline's 128-bit registers: SSE2 on x86-64, NEON on
        // aarch64.
#if defined(__aarch64__)
        case Level::sse2: return "neon";
#else
        case Level::sse2: return "sse2";
#endif
        case Level::avx2: return "avx2";
        case Level::avx512: return "avx512";
    }
    return "?";
}

RunFn kernel(Level level, std::size_t relation) {
    const KernelTable* table = at_level(level, VORTALIX2_LEVELS_OF(kernel_table));
    return (table != nullptr ? *table : scalar_kernel_table)[relation];
}

PowSpanFn pow_span(Level level) {
    const PowSpanFn* span = at_level(level, VORTALIX2_LEVELS_OF(pow_span));
    return span != nullptr ? *span : nullptr;
}

PowPairSpanFn pow_pair_span(Level level) {
    const PowPairSpanFn* span = at_level(level, VORTALIX2_LEVELS_OF(pow_pair_span));
    return span != nullptr ? *span : nullptr;
}

}  // namespace vortalix2::eval
