// Compares the two symbol versions of glibc's pow on this machine bit for bit.
//
// The release wheels bind pow@GLIBC_2.2.5 (the oldest version, which every glibc has; on aarch64
// it is GLIBC_2.17), while a module built against a current glibc binds pow@GLIBC_2.29. On one glibc both names must give
// the same bits, or the release wheel's results would differ from a local build's. This looks
// up both with dlvsym and compares them over special values, general bit patterns and the
// bases and exponents the relations use (1 + c M^2 to the powers of the ratio of specific
// heats), and exits non-zero on any difference.
//
//   g++ -O2 -std=c++20 -ffp-contract=off tools/pow_versions.cpp -o build/pow_versions -ldl
//   build/pow_versions [PAIRS]        (default 12000000)
#include <dlfcn.h>
#include <gnu/libc-version.h>

#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace {

#if defined(__aarch64__)
constexpr const char* old_version = "GLIBC_2.17";
#else
constexpr const char* old_version = "GLIBC_2.2.5";
#endif

using PowFn = double (*)(double, double);

std::uint64_t bits(double x) {
    std::uint64_t u;
    std::memcpy(&u, &x, sizeof u);
    return u;
}

double from_bits(std::uint64_t u) {
    double x;
    std::memcpy(&x, &u, sizeof x);
    return x;
}

// splitmix64: a fixed, seedable sequence.
struct Rng {
    std::uint64_t s;
    std::uint64_t next() {
        std::uint64_t z = (s += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }  // [0, 1)
    double uniform(double lo, double hi) { return lo + (hi - lo) * unit(); }
};

struct Tally {
    const char* name;
    std::uint64_t pairs = 0;
    std::uint64_t differ = 0;
};

PowFn old_pow = nullptr;
PowFn new_pow = nullptr;

void compare(Tally& t, double x, double y) {
    ++t.pairs;
    const double a = old_pow(x, y);
    const double b = new_pow(x, y);
    if (bits(a) != bits(b)) {
        if (t.differ < 10) {
            std::printf("  differ: pow(%a, %a): %s %a, GLIBC_2.29 %a\n", x, y, old_version, a, b);
        }
        ++t.differ;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::uint64_t total = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 12000000;
    void* libm = dlopen("libm.so.6", RTLD_NOW);
    if (libm == nullptr) {
        std::fprintf(stderr, "cannot open libm.so.6: %s\n", dlerror());
        return 2;
    }
    old_pow = reinterpret_cast<PowFn>(dlvsym(libm, "pow", old_version));
    new_pow = reinterpret_cast<PowFn>(dlvsym(libm, "pow", "GLIBC_2.29"));
    if (old_pow == nullptr || new_pow == nullptr) {
        std::fprintf(stderr, "pow@%s or pow@GLIBC_2.29 is missing from libm\n", old_version);
        return 2;
    }
    std::printf("glibc %s: pow@%s at %p, pow@GLIBC_2.29 at %p\n", gnu_get_libc_version(),
                old_version, reinterpret_cast<void*>(old_pow), reinterpret_cast<void*>(new_pow));

    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> specials = {0.0, -0.0, 1.0, -1.0, 2.0, -2.0, 0.5, -0.5, 3.0, -3.0,
                                    1.5, -1.5, 1e-300, -1e-300, 1e300, -1e300, inf, -inf, nan,
                                    -nan, 5e-324, -5e-324, 2.2250738585072014e-308,
                                    std::numeric_limits<double>::max(),
                                    -std::numeric_limits<double>::max(), 0x1p53, -0x1p53,
                                    0x1p53 + 2, 0x1p63, -0x1p63, 0x1.fffffffffffffp-1,
                                    0x1.0000000000001p0, 1.4, 3.5, 1.0 / 3.0, 0.1, 1023.0, 1024.0,
                                    -1074.0, -1075.0, 1e10, -1e10};

    Tally special{"special values, all pairs"};
    for (double x : specials) {
        for (double y : specials) compare(special, x, y);
    }

    // Shares of the pairs: general bit patterns, general magnitudes, the relations' own
    // bases and exponents, bases next to 1 with large exponents, negative bases with integer
    // exponents.
    Rng rng{20260101};
    Tally raw{"random bit patterns (any sign, subnormal, inf, nan)"};
    Tally general{"x log-uniform in [1e-300, 1e300], y in [-40, 40]"};
    Tally relations{"x = 1 + (g-1)/2 M^2 and kin, y from g (the relations' powers)"};
    Tally near_one{"x within 1e-6 of 1, |y| up to 1e7"};
    Tally negative{"x < 0, y integer in [-400, 400]"};
    const std::uint64_t share = total / 10;
    for (std::uint64_t i = 0; i < share; ++i) {
        compare(raw, from_bits(rng.next()), from_bits(rng.next()));
    }
    for (std::uint64_t i = 0; i < 2 * share; ++i) {
        const double x = std::exp(rng.uniform(-690.0, 690.0));
        compare(general, x, rng.uniform(-40.0, 40.0));
    }
    for (std::uint64_t i = 0; i < 5 * share; ++i) {
        // g a ratio of specific heats just above 1 to 3 (some near 1, where the exponents grow);
        // M a Mach number from 0 to 50 (or a pressure/area ratio as base).
        const double g = (rng.next() & 3) == 0 ? 1.0 + std::exp(rng.uniform(-16.0, -2.0))
                                               : rng.uniform(1.0, 3.0);
        const double m = (rng.next() & 1) != 0 ? rng.uniform(0.0, 5.0) : rng.uniform(0.0, 50.0);
        const double c = (g - 1.0) * 0.5;
        const double q = 1.0 + c * (m * m);
        const double gp1 = g + 1.0, gm1 = g - 1.0;
        const double exps[] = {g / gm1, -g / gm1, gm1 / g, 1.0 / g, gp1 / (2.0 * gm1),
                               -gp1 / (2.0 * gm1), 1.0 / gm1, -1.0 / gm1, 0.5, -0.5};
        const double e = exps[rng.next() % 10];
        switch (rng.next() % 4) {
            case 0: compare(relations, q, e); break;
            case 1: compare(relations, q / (gp1 * 0.5), e); break;                      // w = q/b
            case 2: compare(relations, (2.0 * g * m * m - gm1) / gp1, e); break;        // shock
            default: compare(relations, rng.uniform(0.0, 1.0), e); break;                // ratio
        }
    }
    for (std::uint64_t i = 0; i < share; ++i) {
        const double x = 1.0 + rng.uniform(-1e-6, 1e-6);
        compare(near_one, x, rng.uniform(-1e7, 1e7));
    }
    const std::uint64_t used = special.pairs + 9 * share;
    const std::uint64_t rest = total > used ? total - used : 0;
    for (std::uint64_t i = 0; i < rest; ++i) {
        const double x = -std::exp(rng.uniform(-20.0, 20.0));
        compare(negative, x, static_cast<double>(static_cast<int>(rng.next() % 801) - 400));
    }

    std::uint64_t pairs = 0, differ = 0;
    for (const Tally* t : {&special, &raw, &general, &relations, &near_one, &negative}) {
        std::printf("%12" PRIu64 " pairs, %" PRIu64 " differ: %s\n", t->pairs, t->differ, t->name);
        pairs += t->pairs;
        differ += t->differ;
    }
    std::printf("%12" PRIu64 " pairs in all, %" PRIu64 " with different bits\n", pairs, differ);
    return differ == 0 ? 0 : 1;
}
