// Random (x, y) pairs for checking the vector pow: those the relations produce, and general
// ones. Shared by the unit tests and the long soak (tests/soak/pow_soak.cpp).
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

namespace pow_cases {

struct Random {
    std::uint64_t state;
    std::uint64_t next() {  // splitmix64
        std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    double unit() { return static_cast<double>(next() >> 11) * 0x1p-53; }  // [0, 1)
    double between(double lo, double hi) { return lo + (hi - lo) * unit(); }
    double log_uniform(double lo, double hi) {
        return std::exp(between(std::log(lo), std::log(hi)));
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
};

// Bases and exponents as the pow relations form them, ga in 1.01..3: q = 1 + (ga - 1)/2 Ma^2
// for Ma in 0..10, ratios in (0, 1], and bases spread over [0.05, 100].
inline void relation_pairs(std::size_t n, std::uint64_t seed, std::vector<double>& x,
                           std::vector<double>& y) {
    Random rng{seed};
    x.resize(n);
    y.resize(n);
    for (std::size_t k = 0; k < n; ++k) {
        const double ga = rng.between(1.01, 3.0);
        double e = 0;
        switch (rng.below(9)) {
            case 0: e = ga / (1.0 - ga); break;
            case 1: e = 1.0 / (1.0 - ga); break;
            case 2: e = -(ga + 1.0) / (2.0 * (ga - 1.0)); break;
            case 3: e = (ga + 1.0) / (2.0 * (ga - 1.0)); break;
            case 4: e = (1.0 - ga) / ga; break;
            case 5: e = 1.0 - ga; break;
            case 6: e = 1.0 / (ga - 1.0); break;
            case 7: e = ga / (ga - 1.0); break;
            default: e = -ga / (ga - 1.0); break;
        }
        double b = 0;
        switch (rng.below(4)) {
            case 0:
            case 1: {
                const double ma = rng.between(0.0, 10.0);
                b = 1.0 + ((ga - 1.0) * 0.5) * (ma * ma);
                break;
            }
            case 2: b = rng.log_uniform(0.05, 100.0); break;
            default: b = 1.0 - rng.unit(); break;
        }
        x[k] = b;
        y[k] = e;
    }
}

// Pairs over the whole range: powers from deep underflow to beyond overflow, x near 1 with
// large y (where the kernel's own error is largest), integer and small rational exponents (many exact powers), and raw bit patterns
// (negative, zero, subnormal, infinite and NaN operands).
inline void general_pairs(std::size_t n, std::uint64_t seed, std::vector<double>& x,
                          std::vector<double>& y) {
    Random rng{seed};
    x.resize(n);
    y.resize(n);
    for (std::size_t k = 0; k < n; ++k) {
        double a = 1, b = 1;
        switch (rng.below(10)) {
            case 0:
            case 1:
            case 2:
            case 3: {  // any normal x, y x^y spread over e^-760 .. e^760
                a = std::ldexp(rng.between(1.0, 2.0), rng.below(2046) - 1022);
                b = rng.between(-760.0, 760.0) / std::log(a);
                break;
            }
            case 4:
            case 5:
                a = rng.log_uniform(0x1p-10, 0x1p10);
                b = rng.between(-50.0, 50.0);
                break;
            case 6:  // x near 1 and large y, x^y still in range
                a = 1.0 + rng.between(-1.0, 1.0) * std::ldexp(1.0, -rng.below(53));
                b = a == 1.0 ? 1e300 : rng.between(-760.0, 760.0) / std::log(a);
                break;
            case 7:
                a = rng.log_uniform(0x1p-16, 0x1p16);
                b = rng.below(129) - 64;
                break;
            case 8:
                a = 1 + rng.below(1000);
                b = static_cast<double>(rng.below(41) - 20) / (1 + rng.below(6));
                break;
            default:
                a = std::bit_cast<double>(rng.next());
                b = rng.below(2) ? std::bit_cast<double>(rng.next()) : rng.between(-4.0, 4.0);
                break;
        }
        x[k] = a;
        y[k] = b;
    }
}

}  // namespace pow_cases
