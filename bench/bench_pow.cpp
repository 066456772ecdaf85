// Times the pow relations' element loops at every level this processor runs against a plain
// loop of one C-library pow per element, on the same inputs, side by side in one run (medians
// of several repetitions), and reports the share of elements the vector pow handed to the
// library. Usage: vortalix2_bench_pow [elements [only]], `only` being a level's name or
// "floor" to run just that part (for `perf stat`).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "eval/dispatch.hpp"
#include "pow_cases.hpp"
#include "relations/all.hpp"

namespace {

namespace eval = vortalix2::eval;
namespace relations = vortalix2::relations;

// The thread's own processor time: on a shared machine, time spent descheduled is not counted.
double cpu_ns() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e9 + static_cast<double>(ts.tv_nsec);
}
using eval::Level;

constexpr int repetitions = 9;

template <class F>
double median_ns_per_element(std::size_t n, const F& f) {
    std::vector<double> t;
    for (int r = 0; r < repetitions; ++r) {
        const double t0 = cpu_ns();
        f();
        t.push_back((cpu_ns() - t0) / static_cast<double>(n));
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

double run_relation(Level level, std::size_t relation, double ga, const std::vector<double>& in,
                    std::vector<double>& out) {
    const eval::Walk walk{reinterpret_cast<const std::byte*>(in.data()), in.size(), true, 1,
                          nullptr, nullptr, out.data()};
    const eval::RunFn run = eval::kernel(level, relation);
    return median_ns_per_element(in.size(), [&] { run(ga, false, walk); });
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t n = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1'000'000;
    const double ga = 1.4;
    std::vector<double> ma(n), out(n), q(n), qe(n);
    pow_cases::Random rng{42};
    for (auto& m : ma) m = rng.between(0.0, 10.0);
    const relations::PoPFromMa pop(ga);
    for (std::size_t k = 0; k < n; ++k) {
        q[k] = 1.0 + pop.c * (ma[k] * ma[k]);
        qe[k] = pop.e;
    }

    const char* only = argc > 2 ? argv[2] : nullptr;
    const auto wanted = [only](const char* what) {
        return only == nullptr || std::strcmp(only, what) == 0;
    };
    const double floor_ns = !wanted("floor") ? 1.0 : median_ns_per_element(n, [&] {
        for (std::size_t k = 0; k < n; ++k) out[k] = std::pow(q[k], pop.e);
    });
    std::printf("C-library pow floor (one std::pow per element): %.2f ns/element\n", floor_ns);

    constexpr std::size_t to_t = relations::index_of<relations::ToTFromMa>();
    constexpr std::size_t po_p = relations::index_of<relations::PoPFromMa>();
    constexpr std::size_t a_acrit = relations::index_of<relations::AAcritFromMa>();
    constexpr std::size_t posh_po = relations::index_of<relations::PoshPoFromMa>();
    for (Level level : {Level::scalar, Level::sse2, Level::avx2, Level::avx512}) {
        if (!wanted(eval::name(level))) continue;
        if (!eval::supported(level)) {
            std::printf("%-7s skipped: not supported here\n", eval::name(level));
            continue;
        }
        std::size_t calls = 0;
        eval::pow_span(level)(q.data(), qe.data(), out.data(), n, &calls);
        const double t_to = run_relation(level, to_t, ga, ma, out);
        const double t_pop = run_relation(level, po_p, ga, ma, out);
        const double t_aa = run_relation(level, a_acrit, ga, ma, out);
        const double t_psh = run_relation(level, posh_po, ga, ma, out);
        std::printf("%-7s To_T %.2f  Po_P %.2f (%.2fx floor)  A_Acrit %.2f (%.2fx)  "
                    "Posh_Po %.2f (%.2fx) ns/element; Po_P pows to the library %.2f%%\n",
                    eval::name(level), t_to, t_pop, floor_ns / t_pop, t_aa, floor_ns / t_aa, t_psh,
                    floor_ns / t_psh, 100.0 * static_cast<double>(calls) / static_cast<double>(n));
    }
    return 0;
}
