// The mapper's choice of path, result layout and refusals, independent of Python.
#include <cstdint>
#include <vector>

#include "eval/mapper.hpp"
#include "harness.hpp"

using namespace vortalix2::eval;

namespace {

// Records the order in which elements are visited.
struct Tag {
    std::vector<double>* seen;
    double operator()(double x) const {
        seen->push_back(x);
        return x * 10.0;
    }
};

View view(const double* data, std::vector<std::size_t> shape, std::vector<std::ptrdiff_t> strides) {
    View v;
    v.data = reinterpret_cast<const std::byte*>(data);
    v.ndim = shape.size();
    for (std::size_t k = 0; k < shape.size(); ++k) {
        v.shape[k] = shape[k];
        v.strides[k] = strides[k];
    }
    return v;
}

// The invariant: buffer[first + sum(i_k * strides_k)] == relation(input at i), for all i.
bool holds(const View& in, const MappedResult& r) {
    std::size_t n = 1;
    for (std::size_t k = 0; k < in.ndim; ++k) n *= in.shape[k];
    for (std::size_t flat = 0; flat < n; ++flat) {
        std::size_t rest = flat;
        std::ptrdiff_t src = 0, dst = static_cast<std::ptrdiff_t>(r.first);
        for (std::size_t k = in.ndim; k-- > 0;) {
            const auto i = static_cast<std::ptrdiff_t>(rest % in.shape[k]);
            rest /= in.shape[k];
            src += i * in.strides[k];
            dst += i * r.strides[k];
        }
        const double x = reinterpret_cast<const double*>(in.data)[src];
        if (dst < 0 || static_cast<std::size_t>(dst) >= r.buffer.size()) return false;
        if (r.buffer.data()[dst] != x * 10.0) return false;
    }
    return true;
}

}  // namespace

TEST(mapper_paths_and_layouts) {
    std::vector<double> mem(64);
    for (std::size_t k = 0; k < mem.size(); ++k) mem[k] = static_cast<double>(k);
    const double* m = mem.data();
    struct Row {
        const char* name;
        View in;
        bool memory_order;
        std::vector<std::ptrdiff_t> strides;
        std::size_t first;
    };
    const std::vector<Row> rows = {
        {"C order", view(m, {2, 3}, {3, 1}), true, {3, 1}, 0},
        {"Fortran order", view(m, {2, 3}, {1, 2}), true, {1, 2}, 0},
        {"reversed 1-D", view(m + 4, {5}, {-1}), true, {-1}, 4},
        {"reversed rows", view(m + 3, {2, 3}, {-3, 1}), true, {-3, 1}, 3},
        {"length-1 axis keeps its stride", view(m, {1, 3}, {99, 1}), true, {99, 1}, 0},
        {"every second", view(m, {4}, {2}), false, {1}, 0},
        {"some columns", view(m, {2, 3}, {4, 1}), false, {3, 1}, 0},
        {"broadcast", view(m, {3}, {0}), false, {1}, 0},
        {"empty, passes", view(m, {0, 3}, {3, 1}), true, {3, 1}, 0},
        {"empty, fails", view(m, {3, 0}, {1, 1}), false, {0, 0}, 0},
        {"no axes", view(m + 7, {}, {}), true, {}, 0},
    };
    for (const Row& row : rows) {
        std::vector<double> seen;
        const MappedResult r = map(row.in, Tag{&seen});
        CHECK(holds(row.in, r));
        bool strides_ok = r.ndim == row.strides.size() && r.first == row.first;
        for (std::size_t k = 0; strides_ok && k < r.ndim; ++k) {
            strides_ok = r.strides[k] == row.strides[k];
        }
        if (!strides_ok) ::vortalix2_test::fail(__FILE__, __LINE__, row.name);
        if (row.memory_order) {  // visited in increasing address order
            for (std::size_t k = 1; k < seen.size(); ++k) {
                if (seen[k] <= seen[k - 1]) ::vortalix2_test::fail(__FILE__, __LINE__, row.name);
            }
        }
    }
}

TEST(mapper_one_dimensional_form) {
    std::vector<double> mem = {0, 1, 2, 3, 4, 5};
    const auto* data = reinterpret_cast<const std::byte*>(mem.data());
    std::vector<double> seen;
    const MappedResult rev = map_1d(data + 5 * 8, 6, -1, Tag{&seen});
    CHECK(rev.strides[0] == -1 && rev.first == 5 && rev.buffer.data()[5] == 50.0);
    const MappedResult step = map_1d(data, 3, 2, Tag{&seen});
    CHECK(step.strides[0] == 1 && step.buffer.data()[2] == 40.0);
    const MappedResult one = map_1d(data, 1, 7, Tag{&seen});
    CHECK(one.strides[0] == 7 && one.buffer.data()[0] == 0.0);
    const MappedResult none = map_1d(data, 0, 3, Tag{&seen});
    CHECK(none.buffer.data() == nullptr && none.strides[0] == 3);
}

TEST(mapper_refuses_unrepresentable_results) {
    double x = 1.0;
    std::vector<double> seen;
    // More bytes than any object may have: refused before anything is allocated.
    const std::size_t too_many = (static_cast<std::size_t>(PTRDIFF_MAX) >> 3) + 1;
    bool refused = false;
    try {
        (void)map(view(&x, {too_many}, {0}), Tag{&seen});
    } catch (const CapacityOverflow&) {
        refused = true;
    }
    CHECK(refused && seen.empty());
    refused = false;
    try {  // an element count that does not fit a machine word
        (void)map(view(&x, {std::size_t{1} << 40, std::size_t{1} << 40}, {0, 0}), Tag{&seen});
    } catch (const CapacityOverflow&) {
        refused = true;
    }
    CHECK(refused && seen.empty());
    // Representable but not available: the allocator's refusal surfaces as bad_alloc.
    bool no_memory = false;
    try {
        (void)map(view(&x, {std::size_t{1} << 55}, {0}), Tag{&seen});
    } catch (const std::bad_alloc&) {
        no_memory = true;
    }
    CHECK(no_memory && seen.empty());
}
