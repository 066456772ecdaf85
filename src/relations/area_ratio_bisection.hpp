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

#if defined(__SSE2__) && !defined(VORTALIX2_NO_VECTOR)
#include <emmintrin.h>
#endif

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
    // (the pass of an exact hit, else all 10000); `evaluated` those that called pow (the
    // first passes from the start use powers computed once per call).
    struct Trace {
        int passes = 0;
        int evaluated = 0;
        int powers = 0;  // all calls of pow, `evaluated` and those made to bracket the root
    };

    AAcritFromMa area;
    bool sup;
    double lo0, hi0, m0;  // starting bracket and midpoint of the chosen branch

    // The shortcuts need c, b > 0, an exponent 2^-4 <= e <= 2^20 (so that e u stays tiny) and
    // the monotonicity below: ga from about 1 + 1e-6 to about 1e15. Any other ga calls pow on
    // every pass but those whose power or outcome is already known (a repeated w, the first
    // passes from the start, a closing pass at a bound).
    bool proven_ga;
    double w_rest;  // w where q rounds to 1 (small M): the double 1/b
    double p_rest;  // pow(w_rest, e)
    double alpha;   // (e - 1)/2 and (e - 1)(e - 2)/6: the binomial series of (1 + t)^e
    double gamma;
    double k4;      // bounds the series' remainder: 1.25 |e (e-1) (e-2) (e-3)| / 24

    // The midpoints of the first three passes from the start and pow(w, e) there, per call.
    static constexpr int start_nodes = 8;
    double start_m[start_nodes] = {}, start_p[start_nodes] = {};

    // pow(w, e) at the last midpoints of the supersonic walk, where the walk of an ordinary
    // ratio ends (M from about 33 down to 1.5), per call.
    static constexpr int walk_known = 1019;
    double walk_p[area_bisection::walk_end - walk_known] = {};

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
        // The first passes from the start visit the same few midpoints for every element:
        // node i's children are 2i (hi takes M) and 2i + 1 (lo takes M).
        if (proven_ga && sup) {
            const auto& walk = area_bisection::supersonic_walk();
            for (int k = walk_known; k < area_bisection::walk_end; ++k) {
                walk_p[k - walk_known] = math::pow(temperature_ratio(c, walk[k]) / b, e);
            }
        } else {
            start_m[1] = m0;
            double lo[start_nodes], hi[start_nodes];
            lo[1] = lo0;
            hi[1] = hi0;
            for (int i = 1; i < start_nodes; ++i) {
                if (i > 1) {
                    const int parent = i / 2;
                    lo[i] = (i % 2 == 1) ? start_m[parent] : lo[parent];
                    hi[i] = (i % 2 == 1) ? hi[parent] : start_m[parent];
                    start_m[i] = (lo[i] + hi[i]) * 0.5;
                }
                start_p[i] = math::pow(temperature_ratio(c, start_m[i]) / b, e);
            }
        }
    }

    double operator()(double x) const { return solve(x, nullptr); }

    double solve(double x, Trace* trace) const {
        if (x == 1.0) {
            if (trace) *trace = {0, 0, 0};
            return 1.0;
        }
        State st{lo0, hi0, m0, 1};
        if (proven_ga && sup) {
            if (x == std::numeric_limits<double>::infinity()) {
                // Pass 1 hits: at the start the ratio is +inf (see skip_overflow).
                if (trace) *trace = {1, 0, 0};
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
        // Roots of ordinary ratios lie near the end of the walk: gallop down from there.
        for (int back = 2; bad - back > good; back *= 2) {
            if (above(bad - back)) {
                good = bad - back;
                break;
            }
            bad -= back;
        }
        while (bad - good > 1) {
            const int mid = good + (bad - good) / 2;
            if (above(mid)) good = mid; else bad = mid;
        }
        st = {1.0, walk[good], walk[good + 1], good + 1};
    }

    // The last power computed, kept for the passes that follow: exactly, where they meet the
    // same w, and as the base of predictions nearby.
    struct Anchor {
        double w = std::numeric_limits<double>::quiet_NaN();
        double p = 0.0;
        double iw = 0.0;     // 1/w, for predictions
        bool seed = false;  // w and its power are normal and x is: predictions may use them
    };

    // An interval around the root where the outcome of a pass is left to the pass; at and
    // below `lo` a pass moves lo, at and above `hi` it moves hi (see find_zone).
    struct Zone {
        double lo = 0.0, hi = 0.0;
        bool found = false;
    };

    // The remaining passes. A pass skips pow when its outcome is known:
    //  - x < 0 (ga with proven_ga): a = v pow(w, e) with v > 0 and w > 0 is +0, positive or
    //    +inf, never NaN, so it is above x;
    //  - M equals lo or hi, and that bound was set by an earlier pass at this very M (it is
    //    not the start's): a pass is a pure function of M and x, so it repeats that outcome
    //    (the closing passes, whose midpoint rounds to one of two adjacent bounds);
    //  - M lies outside the zone around the root (find_zone), where A is monotonic; such
    //    passes run as one jump on the subsonic branch (jump_dyadic), else in a loop of their
    //    own (zone_passes);
    //  - w equals the w of the last pass that called pow, or 1/b (met wherever q rounds to 1),
    //    or M is a midpoint whose power is kept per call (the first passes from the start, the
    //    end of the supersonic walk): pow is a function, so a = v * that power, the pass's own
    //    bits, hit included;
    //  - the power is predicted from the last one closely enough to place a strictly on one
    //    side of x (predicted_side); a strict side is never a hit.
    double run(double x, State st, Trace* trace) const {
        const bool negative = proven_ga && x < 0.0;
        const bool predict = proven_ga && x > 0.0 && area_bisection::normal_range(x);
        const Outcome low_side = sup ? Outcome::below : Outcome::above;
        const Outcome high_side = sup ? Outcome::above : Outcome::below;
        double lo = st.lo, hi = st.hi, m = st.m;
        int evaluated = 0;
        int powers = 0;
        int node = st.pass == 1 ? 1 : 0;  // where the passes from the start stand
        const auto* walk = proven_ga && sup ? &area_bisection::supersonic_walk() : nullptr;
        Anchor anchor;
        Zone zone;
        for (int pass = st.pass; pass <= max_passes; ++pass) {
            if (zone.found) {
                if (!sup && pass <= 53 && hi <= 0.8 && jump_dyadic(zone, lo, hi, m, pass)) {
                    node = 0;
                    continue;
                }
                // Elsewhere, the passes the zone decides run in a loop of their own while lo
                // and hi stay in the range where A is proven monotonic.
                const int before = pass;
                if (sup ? lo >= 1.5 : hi <= 0.8) zone_passes(zone, lo, hi, m, pass);
                if (pass != before) node = 0;
            }
            Outcome out = Outcome::above;
            if (negative) {
            } else if (same_bits(m, lo) && !same_bits(lo, lo0)) {
                out = low_side;
            } else if (same_bits(m, hi) && !same_bits(hi, hi0)) {
                out = high_side;
            } else if (zone.found && m <= zone.lo && monotonic(m)) {
                out = low_side;
            } else if (zone.found && m >= zone.hi && monotonic(m)) {
                out = high_side;
            } else {
                const double w = temperature_ratio(area.c, m) / area.b;
                const double v = 1.0 / m;
                // A midpoint whose power is known per call, from the start or on the walk.
                double known_p = 0.0;
                bool known = false;
                if (node > 0 && same_bits(m, start_m[node])) {
                    known = true;
                    known_p = start_p[node];
                } else if (walk && pass >= walk_known && pass < area_bisection::walk_end &&
                           same_bits(m, (*walk)[pass])) {
                    known = true;
                    known_p = walk_p[pass - walk_known];
                }
                if (w == w_rest) {
                    out = compare(v * p_rest, x);
                } else if (w == anchor.w) {
                    out = compare(v * anchor.p, x);
                } else if (known || !(anchor.seed && predicted_side(x, w, v, anchor, out))) {
                    double p;
                    if (known) {
                        p = known_p;
                    } else {
                        p = math::pow(w, area.e);
                        ++evaluated;
                        ++powers;
                    }
                    const double a = v * p;
                    out = compare(a, x);
                    anchor = {w, p, 0.0, false};
                    if (predict && area_bisection::normal_range(p) &&
                        area_bisection::normal_range(w)) {
                        anchor.iw = 1.0 / w;
                        anchor.seed = true;
                        if (!zone.found && out != Outcome::hit) {
                            zone = find_zone(x, m, anchor, powers);
                        }
                    }
                }
            }
            if (out == Outcome::hit) {
                if (trace) *trace = {pass, evaluated, powers};
                return m;
            }
            double next_lo = lo;
            double next_hi = hi;
            if (out == Outcome::below) {
                (sup ? next_lo : next_hi) = m;
                node = sup ? 2 * node + 1 : 2 * node;
            } else if (out == Outcome::above) {
                (sup ? next_hi : next_lo) = m;
                node = sup ? 2 * node : 2 * node + 1;
            } else {  // unordered: neither bound moves
                node = 0;
            }
            if (node >= start_nodes) node = 0;
            const double next_m = (next_lo + next_hi) * 0.5;
            // A pass is a pure function of (lo, hi, M) and x: once one leaves that state
            // unchanged bit for bit, every remaining pass repeats it without a hit, and its M
            // is the result. That happens once lo and hi are adjacent doubles.
            if (same_bits(next_lo, lo) && same_bits(next_hi, hi) && same_bits(next_m, m)) break;
            lo = next_lo;
            hi = next_hi;
            m = next_m;
        }
        if (trace) *trace = {max_passes, evaluated, powers};
        return m;
    }

    // On the subsonic branch the first 52 passes split dyadic cells of [0, 1] exactly: after
    // pass k, lo and hi are multiples of 2^-k a distance 2^-k apart, so lo + hi is a multiple
    // of 2^-k below 2, a double for k <= 52, and halving it is exact. Every midpoint of a
    // cell that contains the zone's part [zl, zh] of (lo, hi) is an end of the next such
    // cell, so it lies at or below zone.lo or at or above zone.hi (it is strictly inside
    // (lo, hi)); with hi <= 0.8 the zone decides it, and its side is the one that keeps the
    // zone. The passes up to the deepest such cell, found from the common leading bits of
    // zl and zh in fixed point (exact for zl >= 2^-10, whose ulp is at least 2^-62), are
    // therefore skipped as a run, with lo and hi set to that cell. No such pass leaves its
    // state unchanged or hits. `pass` becomes the last pass skipped; returns false when none
    // can be.
    static bool jump_dyadic(const Zone& zone, double& lo, double& hi, double& m, int& pass) {
        const double zl = zone.lo > lo ? zone.lo : lo;
        const double zh = zone.hi < hi ? zone.hi : hi;
        if (!(zl >= 0x1p-10 && zh > zl)) return false;
        const auto fl = static_cast<std::uint64_t>(zl * 0x1p62);
        const auto fh = static_cast<std::uint64_t>(zh * 0x1p62);
        const int top = 63 - std::countl_zero(fl ^ fh);  // highest bit where they differ
        int depth = 61 - top;                            // common fractional bits
        if (depth > 52) depth = 52;
        const int done = pass - 1;                       // the depth of (lo, hi)
        if (depth <= done) return false;
        const double cell = std::bit_cast<double>(std::uint64_t(1023 - depth) << 52);  // 2^-depth
        const double base = static_cast<double>(fl >> (62 - depth)) * cell;
        lo = base;
        hi = base + cell;
        m = (lo + hi) * 0.5;
        pass = depth;
        return true;
    }

    // Makes the passes that the zone decides, up to the first it does not, with lo and hi in
    // the range where it decides them. Both next midpoints are formed while the comparison
    // settles and one is selected by mask, so the loop has no unpredictable branch. m strictly
    // inside (lo, hi) moves a bound, so no such pass leaves the state unchanged.
    static void zone_passes(const Zone& zone, double& lo, double& hi, double& m, int& pass) {
#if defined(__SSE2__) && !defined(VORTALIX2_NO_VECTOR)
        const __m128d zl = _mm_set_sd(zone.lo), zh = _mm_set_sd(zone.hi);
        const __m128d half = _mm_set_sd(0.5);
        __m128d l = _mm_set_sd(lo), h = _mm_set_sd(hi), x = _mm_set_sd(m);
        while (pass < max_passes) {
            const __m128d inside = _mm_and_pd(_mm_cmpgt_sd(x, l), _mm_cmplt_sd(x, h));
            const __m128d low = _mm_cmple_sd(x, zl);  // lo takes m
            const __m128d decided = _mm_or_pd(low, _mm_cmpge_sd(x, zh));
            if (!(_mm_movemask_pd(_mm_and_pd(inside, decided)) & 1)) break;
            const __m128d up = _mm_mul_sd(_mm_add_sd(x, h), half);
            const __m128d down = _mm_mul_sd(_mm_add_sd(l, x), half);
            l = _mm_or_pd(_mm_and_pd(low, x), _mm_andnot_pd(low, l));
            h = _mm_or_pd(_mm_and_pd(low, h), _mm_andnot_pd(low, x));
            x = _mm_or_pd(_mm_and_pd(low, up), _mm_andnot_pd(low, down));
            ++pass;
        }
        lo = _mm_cvtsd_f64(l);
        hi = _mm_cvtsd_f64(h);
        m = _mm_cvtsd_f64(x);
#else
        while (pass < max_passes && m > lo && m < hi) {
            const bool low = m <= zone.lo;
            if (!(low || m >= zone.hi)) break;
            const double up = (m + hi) * 0.5;
            const double down = (lo + m) * 0.5;
            lo = low ? m : lo;
            hi = low ? hi : m;
            m = low ? up : down;
            ++pass;
        }
#endif
    }

    static Outcome compare(double a, double x) {
        if (a == x) return Outcome::hit;
        if (a < x) return Outcome::below;
        if (a > x) return Outcome::above;
        return Outcome::unordered;
    }

    // Where A is proven monotonic on this branch (see the constructor).
    bool monotonic(double m) const { return sup ? m >= 1.5 : m <= 0.8; }

    // Predicts v w^e from the anchor P0 = pow(w0, e) by the binomial series
    //   w^e = w0^e (1 + t)^e,  t = (w - w0)/w0,
    //   (1 + t)^e = 1 + S + R,  S = e t (1 + t ((e-1)/2 + t (e-1)(e-2)/6)),
    // for |t| <= 2^-6 and |e t| <= 2^-4. Lagrange's remainder is
    // R = C(e,4) t^4 (1 + xi)^(e-4) with |xi| <= |t|, and (1 + xi)^(e-4) < 1.07 there (at most
    // exp(e |t|) for e >= 4, at most (1 - 2^-6)^-4 below), so |R| <= k4 t^4 / 1.16.
    // The prediction y = v P0 + (v P0) r, r the computed S, satisfies
    //   |y / (v w^e) - 1| <= 1.08u (P0 against w0^e) + 2.07u (the roundings of y)
    //                        + 1.07 (|r - S| + |R|) <= 3.6u + 1.1 |R|,
    // because t carries at most 3.01u relative error (w - w0 and the product with the rounded
    // 1/w0), so e t at most 4.01u, and the bracket 1 + t (...) at most 1.35u absolutely;
    // with |e t| <= 2^-4 that keeps |r - S| below 0.4u.
    // `tail` receives 4 k4 t^4, which covers 1.1 |R| with room for its own rounding.
    bool predict(double w, double v, const Anchor& anchor, double& y, double& tail) const {
        const double t = (w - anchor.w) * anchor.iw;
        const double et = area.e * t;
        if (!(std::fabs(t) <= 0x1p-6 && std::fabs(et) <= 0x1p-4)) return false;
        const double r = et * (1.0 + t * (alpha + t * gamma));
        const double vp = v * anchor.p;
        y = vp + vp * r;
        const double t2 = t * t;
        tail = 4.0 * k4 * (t2 * t2);
        return area_bisection::normal_range(y) && area_bisection::normal_range(v);
    }

    // The pass's own a = fl(v pow(w, e)) is within 1.08u (pow) + u (product) of v w^e, so
    // |a/y - 1| <= 5.7u + 1.1 |R|. If fl(y - x) > fl(y m) with m = 7u + tail, then
    // y - x > y m (1-u)^2/(1+u) > y (5.7u + 1.1|R|) and a > x strictly; x - y likewise gives
    // a < x.
    bool predicted_side(double x, double w, double v, const Anchor& anchor, Outcome& out) const {
        double y, tail;
        if (!predict(w, v, anchor, y, tail)) return false;
        const double margin = y * (0x1.cp-51 + tail);
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

    // Brackets the root with two Mach numbers whose exact area ratio is proven on either side
    // of x, with room for the rounding of any pass:
    //   A(z_lo) (1 - d) > x > A(z_hi) (1 + d)  (subsonic; the other way round supersonic),
    // d = (1.005 k e + 3.1) u. A pass's a lies within a factor 1 -+ d of A(M): with
    // p = c M^2, s and c s err by u each and 1 + c s by u more, so q errs by at most
    // (1 + 2.01 p/(1 + p)) u relatively, and w = q/b by k u, k = 2 + 2.01 rho, rho the largest
    // p/(1 + p) met: at most 1, and 0.64 c/(1 + 0.64 c) on the subsonic range M <= 0.8. So
    // w^e is within (1 -+ 1.005 k e u), and pow, v and the product add 1.08u, u and u. A is
    // monotonic on the branch's proven range, so every pass with M <= z_lo, or M >= z_hi,
    // there has the outcome of z_lo, or z_hi, and no hit.
    // The bound on A(z) from a prediction y: v = fl(1/z) and w = fl(q/b) differ from 1/z
    // and the exact w by u and k u, so A(z) is within (1.005 k e + 1)u + 3.6u + 1.1 |R| of y;
    // y - x > y ((2.2 k e + 12) u + tail) then gives A(z)(1 - d) > x, and likewise below.
    // The two points come from Newton steps on ln A from the pass just evaluated (slope
    // d ln A / d ln M = (M^2 - 1)/q), predicted from its power; nothing about them but the
    // final bound is relied on.
    Zone find_zone(double x, double m, Anchor& anchor, int& powers) const {
        Zone zone;
        if (!monotonic(m)) return zone;
        const double rho = sup ? 1.0 : std::fmin(1.0, 0.65 * area.c);  // covers its rounding
        const double k = 2.0 + 2.02 * rho;
        const double proof = (2.2 * k * area.e + 12.0) * 0x1p-53;
        // Newton on ln(x M) - e ln w, with ln(x M / w^e) by its (1,1) Pade form
        // 2 (z1 - z2)/(z1 + z2) and, for long steps, exp likewise; the slope of ln A in ln M
        // is (M^2 - 1)/q. The power z2 = w^e at each iterate is predicted from the anchor.
        double root = m;
        double z2 = anchor.p;
        int aux_used = 0;
        double slope = 0.0;
        for (int step = 0; step < 8; ++step) {
            const double s = root * root;
            const double q = 1.0 + area.c * s;
            const double z1 = x * root;
            slope = (s - 1.0) / q;
            const double step_ln = 2.0 * (z1 - z2) * q / ((z1 + z2) * (s - 1.0));
            if (!(std::fabs(step_ln) < 1.5)) return zone;
            const double change = std::fabs(step_ln) > 0x1p-8
                                      ? root * (2.0 * step_ln / (2.0 - step_ln))
                                      : root * (step_ln + 0.5 * step_ln * step_ln);
            root = root + change;
            if (!(root > 0.0) || !monotonic(root)) return zone;
            if (std::fabs(change) <= root * 0x1p-30) break;  // the next would be below 2^-58
            const double w = temperature_ratio(area.c, root) * w_rest;  // about q/b
            const double t = (w - anchor.w) * anchor.iw;
            const double et = area.e * t;
            const double t2 = t * t;
            if (std::fabs(t) <= 0x1p-6 && std::fabs(et) <= 0x1p-4 &&
                4.0 * k4 * (t2 * t2) <= 0.25 * proof) {
                z2 = anchor.p + anchor.p * (et * (1.0 + t * (alpha + t * gamma)));
                continue;
            }
            // Too far from the anchor to predict closely enough for the proof: take the power
            // here as the new anchor (at most three times).
            const double w_exact = temperature_ratio(area.c, root) / area.b;
            if (aux_used == 3 || !area_bisection::normal_range(w_exact)) return zone;
            ++aux_used;
            const double p = math::pow(w_exact, area.e);
            ++powers;
            if (!area_bisection::normal_range(p)) return zone;
            anchor = {w_exact, p, 1.0 / w_exact, true};
            z2 = p;
        }
        // A within a factor 1 + proof of x is within about proof/|slope| of the root in ln M.
        double half_width = 1.125 * proof / std::fabs(slope) + 0x1p-50;
        for (int widen = 0; widen < 3; ++widen, half_width *= 8.0) {
            const double z_lo = root * (1.0 - half_width);
            const double z_hi = root * (1.0 + half_width);
            if (!monotonic(z_lo) || !monotonic(z_hi)) return zone;
            if (side_of(x, z_lo, anchor, proof) == (sup ? -1 : 1) &&
                side_of(x, z_hi, anchor, proof) == (sup ? 1 : -1)) {
                zone = {z_lo, z_hi, true};
                return zone;
            }
        }
        return zone;
    }

    // +1 when A(z)(1 - d) > x is proven, -1 when A(z)(1 + d) < x is, 0 otherwise.
    int side_of(double x, double z, const Anchor& anchor, double proof) const {
        double y, tail;
        if (!predict(temperature_ratio(area.c, z) / area.b, 1.0 / z, anchor, y, tail)) return 0;
        const double margin = y * (proof + tail);
        if (y - x > margin) return 1;
        if (x - y > margin) return -1;
        return 0;
    }

    static bool same_bits(double a, double b) {
        return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
    }
};

}  // namespace vortalix2::inline VORTALIX2_ISA::relations
