// The elementwise mapper: applies one scalar relation to every element of a strided view of
// float64 data and returns an owned result buffer with its shape, strides and first position.
//
// Inputs whose elements fill one gap-free block (in any axis order, reversed or not) are walked
// by address and the result keeps the input's strides; every other input is walked in row-major
// order and the result is C-ordered.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "eval/loops.hpp"
#include "eval/walk.hpp"

namespace vortalix2::eval {

inline constexpr std::size_t max_axes = 32;

// A request for more bytes than any object may have.
struct CapacityOverflow : std::length_error {
    CapacityOverflow() : std::length_error("capacity overflow") {}
};

// Read-only strided view of float64 elements. `data` addresses the element at index (0, ..., 0);
// strides count elements. The data need not be 8-byte aligned: elements are read bytewise.
struct View {
    const std::byte* data = nullptr;
    std::size_t ndim = 0;
    std::array<std::size_t, max_axes> shape{};
    std::array<std::ptrdiff_t, max_axes> strides{};
};

// A large result is written once from end to end: backing it with huge pages, where the
// system gives them on request, saves most of the page faults its first writes would take.
inline void prefer_huge_pages(void* p, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::size_t huge = std::size_t{1} << 21;
    if (bytes < 2 * huge) return;
    const auto start = (reinterpret_cast<std::uintptr_t>(p) + huge - 1) & ~(huge - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(p) + bytes) & ~(huge - 1);
    if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
    (void)p;
    (void)bytes;
#endif
}

// Heap block of doubles from the C allocator; released with std::free.
class Buffer {
public:
    Buffer() = default;
    explicit Buffer(std::size_t n) : len_(n), cap_(n) {
        if (n == 0) return;
        ptr_ = static_cast<double*>(std::malloc(n * sizeof(double)));
        if (ptr_ == nullptr) throw std::bad_alloc();
        prefer_huge_pages(ptr_, n * sizeof(double));
    }
    Buffer(Buffer&& o) noexcept
        : ptr_(std::exchange(o.ptr_, nullptr)), len_(std::exchange(o.len_, 0)),
          cap_(std::exchange(o.cap_, 0)) {}
    Buffer& operator=(Buffer&& o) noexcept {
        if (this != &o) {
            std::free(ptr_);
            ptr_ = std::exchange(o.ptr_, nullptr);
            len_ = std::exchange(o.len_, 0);
            cap_ = std::exchange(o.cap_, 0);
        }
        return *this;
    }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    ~Buffer() { std::free(ptr_); }

    double* data() const { return ptr_; }
    std::size_t size() const { return len_; }
    std::size_t capacity() const { return cap_; }
    // Gives up ownership; the caller frees the block with std::free.
    double* release() {
        len_ = cap_ = 0;
        return std::exchange(ptr_, nullptr);
    }

private:
    double* ptr_ = nullptr;
    std::size_t len_ = 0;
    std::size_t cap_ = 0;
};

// For every index tuple i: buffer[first + sum(i_k * strides_k)] = relation(input at i).
struct MappedResult {
    Buffer buffer;
    std::size_t ndim = 0;
    std::array<std::size_t, max_axes> shape{};
    std::array<std::ptrdiff_t, max_axes> strides{};
    std::size_t first = 0;
};

namespace detail {

// a * b into *product; true when it does not fit in a size_t.
inline bool multiply_overflows(std::size_t a, std::size_t b, std::size_t* product) {
#if defined(__GNUC__) || defined(__clang__)
    return __builtin_mul_overflow(a, b, product);
#else
    if (b != 0 && a > SIZE_MAX / b) return true;
    *product = a * b;
    return false;
#endif
}

inline std::size_t element_count(const std::size_t* shape, std::size_t ndim) {
    std::size_t n = 1;
    for (std::size_t k = 0; k < ndim; ++k) {
        if (shape[k] == 0) return 0;
    }
    for (std::size_t k = 0; k < ndim; ++k) {
        if (multiply_overflows(n, shape[k], &n)) throw CapacityOverflow();
    }
    return n;
}

// C-order strides: 1 on the last axis, the product of the later lengths before it; all zero
// when any length is zero.
inline void c_order_strides(const std::size_t* shape, std::size_t ndim, std::ptrdiff_t* out) {
    bool empty = false;
    for (std::size_t k = 0; k < ndim; ++k) empty = empty || shape[k] == 0;
    std::ptrdiff_t p = 1;
    for (std::size_t k = ndim; k-- > 0;) {
        out[k] = empty ? 0 : p;
        p *= static_cast<std::ptrdiff_t>(shape[k]);
    }
}

// Sum of (-stride) * (length - 1) over the axes with length >= 2 and a negative stride: the
// distance in elements from the logical first element down to the lowest-addressed one.
inline std::size_t low_address_offset(const std::size_t* shape, const std::ptrdiff_t* strides,
                                      std::size_t ndim) {
    std::size_t o = 0;
    for (std::size_t k = 0; k < ndim; ++k) {
        if (shape[k] >= 2 && strides[k] < 0) {
            o += (0 - static_cast<std::size_t>(strides[k])) * (shape[k] - 1);
        }
    }
    return o;
}

inline std::size_t magnitude(std::ptrdiff_t s) {
    return s < 0 ? 0 - static_cast<std::size_t>(s) : static_cast<std::size_t>(s);
}

// Whether the elements fill one gap-free block, so that they can be visited by address.
inline bool fills_one_block(const View& v) {
    std::array<std::ptrdiff_t, max_axes> c{};
    c_order_strides(v.shape.data(), v.ndim, c.data());
    bool c_order = true;
    for (std::size_t k = 0; k < v.ndim; ++k) c_order = c_order && v.strides[k] == c[k];
    if (c_order) return true;
    if (v.ndim == 1) return v.shape[0] <= 1 || v.strides[0] == -1;
    // Axes by increasing |stride|, stable, so axes of equal |stride| keep their index order.
    std::array<std::size_t, max_axes> order{};
    for (std::size_t k = 0; k < v.ndim; ++k) {
        std::size_t j = k;
        for (; j > 0 && magnitude(v.strides[order[j - 1]]) > magnitude(v.strides[k]); --j) {
            order[j] = order[j - 1];
        }
        order[j] = k;
    }
    std::size_t p = 1;
    for (std::size_t j = 0; j < v.ndim; ++j) {
        const std::size_t axis = order[j];
        if (v.shape[axis] == 1) continue;
        if (magnitude(v.strides[axis]) != p) return false;
        p *= v.shape[axis];
    }
    return true;
}

inline void check_representable(std::size_t n) {
    constexpr std::size_t largest = static_cast<std::size_t>(PTRDIFF_MAX) & ~std::size_t{7};
    std::size_t bytes;
    if (multiply_overflows(n, sizeof(double), &bytes) || bytes > largest) {
        throw CapacityOverflow();
    }
}

}  // namespace detail

// A result laid out for a view, its buffer allocated, and the walk over the input that fills
// it. The walk refers to the view's shape and strides, so the view must outlive it.
struct Plan {
    MappedResult result;
    Walk walk;
};

// N-dimensional form.
inline Plan plan(const View& v) {
    Plan p;
    MappedResult& r = p.result;
    r.ndim = v.ndim;
    r.shape = v.shape;
    const std::size_t n = detail::element_count(v.shape.data(), v.ndim);
    if (detail::fills_one_block(v)) {
        const std::size_t o = detail::low_address_offset(v.shape.data(), v.strides.data(), v.ndim);
        r.buffer = Buffer(n);
        r.strides = v.strides;
        r.first = o;
        p.walk = Walk{v.data - o * sizeof(double), n, true, 0, nullptr, nullptr, r.buffer.data()};
        return p;
    }
    detail::check_representable(n);
    r.buffer = Buffer(n);
    detail::c_order_strides(v.shape.data(), v.ndim, r.strides.data());
    r.first = 0;
    p.walk = Walk{v.data, n, false, v.ndim, v.shape.data(), v.strides.data(), r.buffer.data()};
    return p;
}

// One-dimensional form: one axis of `len` elements, `stride` elements apart. The walk refers to
// `len` and `stride`, which must outlive it.
inline Plan plan_1d(const std::byte* data, const std::size_t& len, const std::ptrdiff_t& stride) {
    Plan p;
    MappedResult& r = p.result;
    r.ndim = 1;
    r.shape[0] = len;
    if (len <= 1 || stride == 1 || stride == -1) {
        const std::size_t o = (len >= 2 && stride < 0) ? len - 1 : 0;
        r.buffer = Buffer(len);
        r.strides[0] = stride;
        r.first = o;
        p.walk = Walk{data - o * sizeof(double), len, true, 0, nullptr, nullptr, r.buffer.data()};
        return p;
    }
    detail::check_representable(len);
    r.buffer = Buffer(len);
    r.strides[0] = 1;
    r.first = 0;
    p.walk = Walk{data, len, false, 1, &len, &stride, r.buffer.data()};
    return p;
}

// Applies any callable from double to double, one element at a time.
template <class Relation>
MappedResult map(const View& v, const Relation& rel) {
    Plan p = plan(v);
    loops::fill<double>(rel, p.walk);
    return std::move(p.result);
}

template <class Relation>
MappedResult map_1d(const std::byte* data, std::size_t len, std::ptrdiff_t stride,
                    const Relation& rel) {
    Plan p = plan_1d(data, len, stride);
    loops::fill<double>(rel, p.walk);
    return std::move(p.result);
}

// Applies the element loop `run` with the call's parameters.
inline MappedResult map(const View& v, RunFn run, double ga, bool sup) {
    Plan p = plan(v);
    run(ga, sup, p.walk);
    return std::move(p.result);
}

inline MappedResult map_1d(const std::byte* data, std::size_t len, std::ptrdiff_t stride, RunFn run,
                           double ga, bool sup) {
    Plan p = plan_1d(data, len, stride);
    run(ga, sup, p.walk);
    return std::move(p.result);
}

}  // namespace vortalix2::eval
