// Times the pow relations' element loops at every level this processor runs against a plain
// loop of one C-library pow per element on the same inputs (Ma in 0..10, ga = 1.4), side by
// side: every repetition runs each of them once, and the ratios are medians of the ratios
// within a repetition. Also reports the share of elements the vector pow refused (those go to
// the library). Usage: vortalix2_bench_pow [elements] [repetitions]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "eval/dispatch.hpp"
#include "pow_cases.hpp"
#include "relations/all.hpp"

namespace {

namespace eval = vortalix2::eval;
namespace relations = vortalix2::relations;
using eval::Level;

// The thread's own processor time: on a shared machine, time spent descheduled is not counted.
double cpu_ns() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e9 + static_cast<double>(ts.tv_nsec);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Timed {
    std::string name;
    std::function<void()> run;
    int pows;  // library pows per element that the floor stands for
    std::vector<double> ns, ratio;  // per repetition: ns/element, floor time / own time
};

}  // namespace

int main(int argc, char** argv) {
    const std::size_t n = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1'000'000;
    const int repetitions = argc > 2 ? std::atoi(argv[2]) : 11;
    const double ga = 1.4;
    std::vector<double> ma(n), out(n), q(n), qe(n);
    pow_cases::Random rng{42};
    for (auto& m : ma) m = rng.between(0.0, 10.0);
    const relations::PoPFromMa pop(ga);
    for (std::size_t k = 0; k < n; ++k) {
        q[k] = 1.0 + pop.c * (ma[k] * ma[k]);
        qe[k] = pop.e;
    }
    const eval::Walk walk{reinterpret_cast<const std::byte*>(ma.data()), n, true, 1,
                          nullptr, nullptr, out.data()};

    std::vector<Timed> timed;
    timed.push_back({"C-library pow floor", [&] {
                         for (std::size_t k = 0; k < n; ++k) out[k] = std::pow(q[k], pop.e);
                     }, 1, {}, {}});
    const struct {
        const char* label;
        std::size_t relation;
        int pows;
    } measured[] = {{"To_T (no pow)", relations::index_of<relations::ToTFromMa>(), 1},
                    {"Po_P", relations::index_of<relations::PoPFromMa>(), 1},
                    {"A_Acrit", relations::index_of<relations::AAcritFromMa>(), 1},
                    {"Posh_Po (2 pows)", relations::index_of<relations::PoshPoFromMa>(), 2}};
    for (Level level : {Level::scalar, Level::sse2, Level::avx2, Level::avx512}) {
        if (!eval::supported(level)) {
            std::printf("%s: skipped, not supported here\n", eval::name(level));
            continue;
        }
        std::size_t calls = 0;
        eval::pow_span(level)(q.data(), qe.data(), out.data(), n, &calls);
        std::printf("%s: Po_P powers from the library: %.2f%%\n", eval::name(level),
                    100.0 * static_cast<double>(calls) / static_cast<double>(n));
        for (const auto& m : measured) {
            const eval::RunFn run = eval::kernel(level, m.relation);
            timed.push_back({std::string(eval::name(level)) + " " + m.label,
                             [run, ga, &walk] { run(ga, false, walk); }, m.pows, {}, {}});
        }
    }

    for (int r = 0; r < repetitions; ++r) {
        for (Timed& t : timed) {
            const double t0 = cpu_ns();
            t.run();
            t.ns.push_back((cpu_ns() - t0) / static_cast<double>(n));
        }
        for (Timed& t : timed) t.ratio.push_back(t.pows * timed[0].ns.back() / t.ns.back());
    }
    std::printf("%-26s %12s %14s\n", "", "ns/element", "x floor speed");
    // The floor of a relation is as many library pows per element as it makes.
    for (const Timed& t : timed) {
        std::printf("%-26s %12.2f %14.2f\n", t.name.c_str(), median(t.ns), median(t.ratio));
    }
    return 0;
}
