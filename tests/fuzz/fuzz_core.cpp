// libFuzzer target over the numeric core: the mapper's plans and every relation's element loop
// at every instruction-set level, on arbitrary doubles, ga, sup, shapes and strides.
//
// Input layout: relation (1 byte), flags (1 byte: sup, one-dimensional form, axis count),
// ga (8 bytes), then per axis a length and a stride (1 byte each), then the element values
// (8 bytes each, repeated cyclically when the input runs short).
//
// For each input the data lie in a heap block of exactly the bytes the view reaches, so that
// AddressSanitizer sees any read outside it. Checked:
//  - the plan's buffer holds one result per element, at first + sum(i_k * strides_k), equal
//    bit for bit to the scalar loop applied to that element alone (any NaN matches any NaN);
//  - every level's buffer equals the scalar level's.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "eval/dispatch.hpp"
#include "eval/mapper.hpp"

using namespace vortalix2::eval;

namespace {

constexpr Level levels[] = {Level::scalar, Level::sse2, Level::avx2, Level::avx512};
constexpr std::size_t max_fuzz_axes = 4;

struct Reader {
    const std::uint8_t* p;
    std::size_t n;

    std::uint8_t byte() {
        if (n == 0) return 0;
        --n;
        return *p++;
    }
    double real() {
        std::uint8_t b[8] = {};
        for (auto& x : b) x = byte();
        double d;
        std::memcpy(&d, b, sizeof d);
        return d;
    }
};

bool same(double a, double b) {
    if (std::isnan(a) && std::isnan(b)) return true;
    return std::memcmp(&a, &b, sizeof a) == 0;
}

[[noreturn]] void fail(const char* what, std::size_t relation, Level level, std::size_t k,
                       double got, double want) {
    std::uint64_t g, w;
    std::memcpy(&g, &got, 8);
    std::memcpy(&w, &want, 8);
    std::fprintf(stderr,
                 "%s: relation %zu level %s element %zu: got %a (%016llx) want %a (%016llx)\n",
                 what, relation, name(level), k, got, static_cast<unsigned long long>(g), want,
                 static_cast<unsigned long long>(w));
    std::abort();
}

// The relation applied to one element alone, by the scalar loop.
double single(RunFn run, double x, double ga, bool sup) {
    double out = 0.0;
    const Walk walk{reinterpret_cast<const std::byte*>(&x), 1, true, 0, nullptr, nullptr, &out};
    run(ga, sup, walk);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader in{data, size};
    const std::size_t relation = in.byte() % relation_count;
    const std::uint8_t flags = in.byte();
    const bool sup = flags & 1;
    const bool one_d = flags & 2;
    const std::size_t ndim = one_d ? 1 : (flags >> 2) % (max_fuzz_axes + 1);
    const double ga = in.real();

    View view;
    view.ndim = ndim;
    std::size_t count = 1;
    std::ptrdiff_t low = 0, high = 0;  // element offsets reached, relative to the first element
    for (std::size_t k = 0; k < ndim; ++k) {
        view.shape[k] = in.byte() % 7;
        view.strides[k] = static_cast<std::int8_t>(in.byte()) % 24;
        count *= view.shape[k];
        if (view.shape[k] > 0) {
            const std::ptrdiff_t reach =
                static_cast<std::ptrdiff_t>(view.shape[k] - 1) * view.strides[k];
            (reach < 0 ? low : high) += reach;
        }
    }
    // The data: exactly the doubles the view reaches (none if it has no elements).
    const std::size_t span = count == 0 ? 0 : static_cast<std::size_t>(high - low + 1);
    std::vector<double> values;
    while (in.n >= 8 && values.size() < 64) values.push_back(in.real());
    if (values.empty()) values.push_back(ga);
    double* block = span == 0 ? nullptr : static_cast<double*>(std::malloc(span * sizeof(double)));
    for (std::size_t k = 0; k < span; ++k) block[k] = values[k % values.size()];
    double dummy = 0.0;
    view.data = reinterpret_cast<const std::byte*>(span == 0 ? &dummy : block - low);

    const RunFn scalar = kernel(Level::scalar, relation);
    std::vector<double> want;
    for (Level level : levels) {
        if (!supported(level)) continue;
        Plan p = one_d ? plan_1d(view.data, view.shape[0], view.strides[0]) : plan(view);
        kernel(level, relation)(ga, sup, p.walk);
        const MappedResult& r = p.result;
        const double* out = r.buffer.data();
        if (r.buffer.size() != count) fail("buffer size", relation, level, r.buffer.size(), 0, 0);
        if (level == Level::scalar) {
            // Every element's result where the layout says, equal to the element alone.
            std::array<std::size_t, max_axes> index{};
            for (std::size_t e = 0; e < count; ++e) {
                std::ptrdiff_t at = static_cast<std::ptrdiff_t>(r.first);
                std::ptrdiff_t from = 0;
                for (std::size_t k = 0; k < ndim; ++k) {
                    at += static_cast<std::ptrdiff_t>(index[k]) * r.strides[k];
                    from += static_cast<std::ptrdiff_t>(index[k]) * view.strides[k];
                }
                if (at < 0 || static_cast<std::size_t>(at) >= count) {
                    fail("layout", relation, level, e, static_cast<double>(at), 0);
                }
                double x;
                std::memcpy(&x, view.data + from * 8, sizeof x);
                const double alone = single(scalar, x, ga, sup);
                if (!same(out[at], alone)) fail("element", relation, level, e, out[at], alone);
                for (std::size_t k = ndim; k-- > 0;) {
                    if (++index[k] < view.shape[k]) break;
                    index[k] = 0;
                }
            }
            want.assign(out, out + count);
        } else {
            for (std::size_t k = 0; k < count; ++k) {
                if (!same(out[k], want[k])) fail("level", relation, level, k, out[k], want[k]);
            }
        }
    }
    std::free(block);
    return 0;
}
