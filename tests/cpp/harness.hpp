// A small test harness: TEST(name) registers a case, CHECK_BITS compares doubles bit for bit.
#pragma once

#include <bit>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace vortalix2_test {

struct Case {
    const char* name;
    void (*fn)();
};

inline std::vector<Case>& registry() {
    static std::vector<Case> cases;
    return cases;
}

inline int& failures() {
    static int n = 0;
    return n;
}

struct Registrar {
    Registrar(const char* name, void (*fn)()) { registry().push_back({name, fn}); }
};

inline std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

// Equal bit patterns, except that any NaN matches any NaN.
inline bool same_value(double a, double b) {
    if (a != a && b != b) return true;
    return bits(a) == bits(b);
}

inline void fail(const char* file, int line, const std::string& what) {
    ++failures();
    std::fprintf(stderr, "  %s:%d: %s\n", file, line, what.c_str());
}

inline std::string describe(double x) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g (0x%016llx)", x,
                  static_cast<unsigned long long>(bits(x)));
    return buf;
}

}  // namespace vortalix2_test

#define VX_CAT2(a, b) a##b
#define VX_CAT(a, b) VX_CAT2(a, b)
#define TEST(name)                                                                       \
    static void name();                                                                  \
    static ::vortalix2_test::Registrar VX_CAT(registrar_, name)(#name, &name);           \
    static void name()

// Bit-exact comparison (NaN matches NaN); `ctx` says which input failed.
#define CHECK_BITS(actual, expected, ctx)                                                \
    do {                                                                                 \
        const double vx_a = (actual), vx_e = (expected);                                 \
        if (!::vortalix2_test::same_value(vx_a, vx_e)) {                                 \
            ::vortalix2_test::fail(__FILE__, __LINE__,                                   \
                                   std::string(ctx) + ": got " +                         \
                                       ::vortalix2_test::describe(vx_a) + ", expected " + \
                                       ::vortalix2_test::describe(vx_e));                \
        }                                                                                \
    } while (0)

// Exact bit pattern, NaN payload included.
#define CHECK_EXACT_BITS(actual, expected_bits, ctx)                                     \
    do {                                                                                 \
        const double vx_a = (actual);                                                    \
        if (::vortalix2_test::bits(vx_a) != (expected_bits)) {                           \
            ::vortalix2_test::fail(__FILE__, __LINE__,                                   \
                                   std::string(ctx) + ": got " +                         \
                                       ::vortalix2_test::describe(vx_a));                \
        }                                                                                \
    } while (0)

#define CHECK(cond)                                                                      \
    do {                                                                                 \
        if (!(cond)) ::vortalix2_test::fail(__FILE__, __LINE__, "check failed: " #cond); \
    } while (0)
