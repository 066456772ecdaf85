// Ma from the area ratio A/A* by bisection, on the subsonic or the supersonic branch.
//
// The result is defined by the plain bisection: up to 10000 passes, each evaluating
//   a(M) = v pow(w, e),  v = 1/M,  w = q/b,  q = 1 + c M^2        (AAcritFromMa)
// and comparing it with x; only an exact hit a(M) == x ends it early, otherwise the result is
// the midpoint that follows the last pass. Almost every pass has an outcome that can be known
// without its pow, and long runs of passes have midpoints known in advance. The solver below
// skips such passes and keeps the bits and the pass count of the plain bisection; each
// shortcut states why it is exact.
//
// Notation for the proofs: u = 2^-53 (unit roundoff); a, w, v, s, q are the doubles the pass
// computes; A(M) = (1/M) ((1 + c M^2)/b)^e is the exact real function with the same double
// constants b, c, e. Premise on the library: pow(w, e) is within 0.54 ulp of w^e where w^e is a
// normal double, so within 1.08u of it relatively; +, -, *, / and the conversion of integers
// are correctly rounded.
#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "math/pow.hpp"
#include "relations/isentropic.hpp"

namespace vortalix2::inline VORTALIX2_ISA::relations {

namespace area_bisection {

// The midpoints of the supersonic bisection while every pass finds a(M) above x: lo stays 1,
// hi takes M, so M_{k+1} = (1 + M_k) * 0.5 from M_1 = half the largest double. The sequence
// does not depend on x; it is computed once with the pass's own operations. Index k is pass k.
inline constexpr int walk_length = 1100;

inline const std::array<double, walk_length + 1>& supersonic_walk() {
    static const std::array<double, walk_length + 1> walk = [] {
        std::array<double, walk_length + 1> m{};
        m[1] = 8.988465674311579e307;
        for (int k = 2; k <= walk_length; ++k) m[k] = (1.0 + m[k - 1]) * 0.5;
        return m;
    }();
    return walk;
}

// The first pass of the walk whose midpoint is below 1.5 (1.25 = 1 + 2^-2, pass 1026), where
// the area ratio may no longer rise with M; the walk is only ever skipped up to the pass before.
inline constexpr int walk_end = 1026;

// The chord of log2 through the powers of two: for a positive normal y = 2^E (1 + f),
// E + f, obtained from the bit pattern read as an integer (exact) and converted (error at most
// 2^10 units of 2^-52, i.e. 2^-42). Because log2(1 + f) is concave and meets f at f = 0 and
// f = 1, log2 y lies in [chord, chord + 0.0861] up to that conversion error.
inline double log2_chord(double y) {
    return static_cast<double>(std::bit_cast<std::int64_t>(y)) * 0x1p-52 - 1023.0;
}

inline bool normal_range(double y) { return y >= 0x1p-1000 && y <= 0x1p1000; }

}  // namespace area_bisection

// Ma from A/A* by bisection on the area ratio, 10000 passes at most, with no tolerance: only
// an exact hit a(M) == x ends it early, otherwise the result is the midpoint that follows the
// last pass.
struct MaFromAAcrit {
    static constexpr int max_passes = 10000;

    // What one inversion did: `passes` counts the passes the bisection is defined to make
    // (the pass of an exact hit, else all 10000); `evaluated` those that called pow.
    struct Trace {
        int passes = 0;
        int evaluated = 0;
    };

    AAcritFromMa area;
    bool sup;
    double lo0, hi0, m0;  // starting bracket and midpoint of the chosen branch

    // The shortcuts hold for ga above 1 with a moderate exponent (1.000001 < ga < 2^20 or
    // so); any other ga runs every pass through pow.
    bool proven_ga;
    double w_rest;  // w where q rounds to 1 (small M): the double 1/b
    double p_rest;  // pow(w_rest, e)
    double alpha;   // (e - 1)/2 and (e - 1)(e - 2)/6: the binomial series of (1 + t)^e
    double gamma;
    double k4;      // bounds the series' remainder: 1.25 |e (e-1) (e-2) (e-3)| / 24

    MaFromAAcrit(double ga, bool sup_) : area(ga), sup(sup_) {
        if (sup) {
            lo0 = 1.0;
            hi0 = std::numeric_limits<double>::max();
            m0 = 8.988465674311579e307;  // (1 + max) * 0.5: half the largest double
        } else {
            lo0 = 0.0;
            hi0 = 1.0;
            m0 = 0.5;
        }
        const double b = area.b, c = area.c, e = area.e;
        // h = 2 e c - c is 1 up to rounding; A'(M) has the sign of M^2 h - 1, so A falls on
        // (0, 0.8] and rises on [1.5, inf) whenever 0.6 <= h <= 1.5.
        const double h = 2.0 * e * c - c;
        proven_ga = c > 0.0 && b > 0.0 && e >= 0x1p-4 && e <= 0x1p20 && h >= 0.6 && h <= 1.5;
        w_rest = 1.0 / b;
        p_rest = math::pow(w_rest, e);
        alpha = (e - 1.0) * 0.5;
        gamma = alpha * ((e - 2.0) / 3.0);
        k4 = std::fabs(e * (e - 1.0) * (e - 2.0) * (e - 3.0)) * (1.25 / 24.0);
    }

    double operator()(double x) const { return solve(x, nullptr); }

    double solve(double x, Trace* trace) const {
        if (x == 1.0) {
            if (trace) *trace = {0, 0};
            return 1.0;
        }
        State st{lo0, hi0, m0, 1};
        if (proven_ga && sup) {
            if (x == std::numeric_limits<double>::infinity()) {
                // Pass 1 hits: at the start the ratio is +inf (see skip_overflow).
                if (trace) *trace = {1, 0};
                return m0;
            }
            if (x == x) skip_overflow(st);
            if (x > 0.0 && area_bisection::normal_range(x)) skip_walk(x, st);
        }
        return run(x, st, trace);
    }

private:
    struct State {
        double lo, hi, m;
        int pass;  // the next pass to make
    };

    enum class Outcome { below, above, hit, unordered };

    // While M * M overflows (M above 1.3407807929942596e154), s, c s, q and w are +inf
    // (c, b > 0), pow(+inf, e) is +inf for e > 0, and v = 1/M is positive and finite: a(M) is
    // +inf exactly, above every x but +inf and NaN. Each such pass sets hi = M, so the walk of
    // supersonic_walk() is followed; its midpoints roughly halve, and passes 1 to 511 are the
    // ones at or above 2.68e154 (pass 512 is at 1.3407807929942596e154, whose square is
    // finite).
    static void skip_overflow(State& st) {
        const auto& walk = area_bisection::supersonic_walk();
        st = {1.0, walk[511], walk[512], 512};
    }

    // The walk continues below that as long as a(M) stays above x, at the fixed midpoints of
    // supersonic_walk(). If a lower bound of the exact A at the walk's pass K shows
    //   A(M_K) (1 - d) > x,  d = (4.1 e + 6) u,
    // every pass j <= K finds a above x: M_j >= M_K >= 1.5, where A rises, so
    // A(M_j) >= A(M_K); and the pass's double a is at least A(M_j)(1 - d): s, c s, 1 + c s and
    // q/b each lose at most a factor 1 - u (c s >= 0), so w >= w_exact (1 - 4.01u) and
    // w^e >= w_exact^e (1 - 4.02 e u); pow loses 1.08u, v and the product u each.
    // The bound on A comes from log2 chords (log2_chord): with
    //   G = e chord(w) - chord(M) - chord(x),
    // log2 A(M) - log2 x >= G - 2 (0.0861) - e (2^-42 + 6u) - 2^-41, since log2 w_exact >=
    // log2 w - 5.8u; for e <= 2^20 the rounding of G is below 2^-20, so G > 0.25 suffices.
    // The predicate is not assumed monotone in K: the search keeps an index where it holds.
    void skip_walk(double x, State& st) const {
        const auto& walk = area_bisection::supersonic_walk();
        const double cx = area_bisection::log2_chord(x);
        const auto above = [&](int k) {
            const double m = walk[k];
            const double w = temperature_ratio(area.c, m) / area.b;
            if (!area_bisection::normal_range(w)) return false;
            const double g = area.e * area_bisection::log2_chord(w) -
                             area_bisection::log2_chord(m) - cx;
            return g > 0.25;
        };
        int good = st.pass - 1;  // the last pass of skip_overflow
        int bad = area_bisection::walk_end;
        while (bad - good > 1) {
            const int mid = good + (bad - good) / 2;
            if (above(mid)) good = mid; else bad = mid;
        }
        st = {1.0, walk[good], walk[good + 1], good + 1};
    }

    // The remaining passes. A pass skips pow when its outcome is known:
    //  - x < 0 (ga with proven_ga): a = v pow(w, e) with v > 0 and w > 0 is +0, positive or
    //    +inf, never NaN, so it is above x;
    //  - w equals the w of the last pass that called pow, or 1/b (met wherever q rounds to 1):
    //    pow is a function, so a = v * that power, the pass's own bits, hit included;
    //  - the power is predicted from the last one closely enough to place a strictly on one
    //    side of x (predicted_side); a strict side is never a hit.
    double run(double x, State st, Trace* trace) const {
        const bool negative = proven_ga && x < 0.0;
        const bool predict = proven_ga && x > 0.0 && area_bisection::normal_range(x);
        double lo = st.lo, hi = st.hi, m = st.m;
        int evaluated = 0;
        bool anchored = false;  // w0, p0 may serve predicted_side
        double w0 = std::numeric_limits<double>::quiet_NaN(), p0 = 0.0, iw0 = 0.0;
        for (int pass = st.pass; pass <= max_passes; ++pass) {
            Outcome out = Outcome::above;
            if (!negative) {
                const double w = temperature_ratio(area.c, m) / area.b;
                const double v = 1.0 / m;
                if (w == w_rest) {
                    out = compare(v * p_rest, x);
                } else if (w == w0) {
                    out = compare(v * p0, x);
                } else if (!(anchored && predicted_side(x, w, v, w0, iw0, p0, out))) {
                    const double p = math::pow(w, area.e);
                    ++evaluated;
                    out = compare(v * p, x);
                    w0 = w;
                    p0 = p;
                    anchored = predict && area_bisection::normal_range(p) &&
                               area_bisection::normal_range(w);
                    if (anchored) iw0 = 1.0 / w;
                }
            }
            if (out == Outcome::hit) {
                if (trace) *trace = {pass, evaluated};
                return m;
            }
            double next_lo = lo;
            double next_hi = hi;
            if (out == Outcome::below) {
                (sup ? next_lo : next_hi) = m;
            } else if (out == Outcome::above) {
                (sup ? next_hi : next_lo) = m;
            }  // unordered: neither bound moves
            const double next_m = (next_lo + next_hi) * 0.5;
            // A pass is a pure function of (lo, hi, M) and x: once one leaves that state
            // unchanged bit for bit, every remaining pass repeats it without a hit, and its M
            // is the result. That happens once lo and hi are adjacent doubles.
            if (same_bits(next_lo, lo) && same_bits(next_hi, hi) && same_bits(next_m, m)) break;
            lo = next_lo;
            hi = next_hi;
            m = next_m;
        }
        if (trace) *trace = {max_passes, evaluated};
        return m;
    }

    static Outcome compare(double a, double x) {
        if (a == x) return Outcome::hit;
        if (a < x) return Outcome::below;
        if (a > x) return Outcome::above;
        return Outcome::unordered;
    }

    // Predicts a = fl(v pow(w, e)) from the anchor P0 = pow(w0, e) by the binomial series
    //   w^e = w0^e (1 + t)^e,  t = (w - w0)/w0,
    //   (1 + t)^e = 1 + S + R,  S = e t (1 + t ((e-1)/2 + t (e-1)(e-2)/6)),
    // used for |t| <= 2^-6 and |e t| <= 2^-4. Lagrange's remainder is
    // R = C(e,4) t^4 (1 + xi)^(e-4) with |xi| <= |t|, and (1 + xi)^(e-4) < 1.07 there (at most
    // exp(e |t|) for e >= 4, at most (1 - 2^-6)^-4 below), so |R| <= k4 t^4 / 1.16.
    // The prediction Y = v P0 + (v P0) r, with r the computed S, then satisfies
    //   |a/Y - 1| <= 1.08u (pow at w) + 1.08u (pow at w0) + u (the product v P) + 2.07u (Y)
    //              + 1.07 (|r - S| + |R|) <= 6.3u + 1.1 |R|,
    // because t carries at most 3.01u relative error (w - w0 and the product with 1/w0 in
    // double), which with the rounding of r stays below u absolutely for |e t| <= 2^-4.
    // Y - x > Y m, m = 10u + 4 k4 t^4 (both sides rounded, factor (1-u)/(1+u)) gives
    // a >= Y (1 - 6.3u - 1.1|R|) > x; x - Y > Y m likewise gives a < x.
    bool predicted_side(double x, double w, double v, double w0, double iw0, double p0,
                        Outcome& out) const {
        const double t = (w - w0) * iw0;
        const double et = area.e * t;
        if (!(std::fabs(t) <= 0x1p-6 && std::fabs(et) <= 0x1p-4)) return false;
        const double r = et * (1.0 + t * (alpha + t * gamma));
        const double vp = v * p0;
        const double y = vp + vp * r;
        if (!area_bisection::normal_range(y) || !area_bisection::normal_range(v)) return false;
        const double t2 = t * t;
        const double margin = y * (0x1.4p-50 + 4.0 * k4 * (t2 * t2));
        if (y - x > margin) {
            out = Outcome::above;
            return true;
        }
        if (x - y > margin) {
            out = Outcome::below;
            return true;
        }
        return false;
    }

    static bool same_bits(double a, double b) {
        return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
    }
};

}  // namespace vortalix2::inline VORTALIX2_ISA::relations
