// The borrow state behind the shared array-borrow registry, when this module is the one that
// installed the registry: which regions of which memory blocks are borrowed, for reading
// (counted) or for writing (exclusive).
//
// Pure C++ so that the region arithmetic and the counting can be tested without an interpreter;
// borrow.cpp reads the arrays and calls in here.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <mutex>
#include <unordered_map>

namespace vortalix2::borrow {

// What an array can reach: the bytes bounding its elements, its first element and a summary of
// its strides. Two arrays with equal keys are borrowed as the same region.
struct BorrowKey {
    std::uintptr_t range_start;  // lowest byte an element can occupy
    std::uintptr_t range_end;    // one past the highest such byte
    std::uintptr_t data_ptr;     // the array's data address
    std::intptr_t gcd_strides;   // gcd of the byte strides, sign of a lone stride kept

    friend bool operator==(const BorrowKey&, const BorrowKey&) = default;
};

struct BorrowKeyHash {
    std::size_t operator()(const BorrowKey& k) const noexcept {
        std::size_t h = std::hash<std::uintptr_t>{}(k.range_start);
        const auto mix = [&h](std::size_t v) {
            h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
        };
        mix(std::hash<std::uintptr_t>{}(k.range_end));
        mix(std::hash<std::uintptr_t>{}(k.data_ptr));
        mix(std::hash<std::intptr_t>{}(k.gcd_strides));
        return h;
    }
};

namespace detail {

// Magnitude of a pointer-width value as an unsigned number, so that the most negative value has
// a magnitude too.
constexpr std::uintptr_t magnitude(std::intptr_t v) {
    const auto u = static_cast<std::uintptr_t>(v);
    return v < 0 ? std::uintptr_t{0} - u : u;
}

}  // namespace detail

// Greatest common divisor of two strides.
//
// gcd(0, n) is |n| and gcd(m, 0) is |m|. When either argument is the most negative value its
// magnitude has no signed form, so the answer is the largest power of two dividing both. Every
// other pair goes through the binary method on the magnitudes. Results that do not fit a signed
// value (2^63 with 8-byte pointers) wrap to the most negative value; callers that divide by a
// gcd use its magnitude.
constexpr std::intptr_t gcd(std::intptr_t m, std::intptr_t n) {
    if (m == 0 || n == 0) return static_cast<std::intptr_t>(detail::magnitude(m | n));
    const int shift = std::countr_zero(static_cast<std::uintptr_t>(m | n));
    constexpr std::intptr_t lowest = std::numeric_limits<std::intptr_t>::min();
    if (m == lowest || n == lowest) {
        return static_cast<std::intptr_t>(std::uintptr_t{1} << shift);
    }
    std::uintptr_t a = detail::magnitude(m);
    std::uintptr_t b = detail::magnitude(n);
    a >>= std::countr_zero(a);
    do {
        b >>= std::countr_zero(b);
        if (a > b) {
            const std::uintptr_t t = a;
            a = b;
            b = t;
        }
        b -= a;
    } while (b != 0);
    return static_cast<std::intptr_t>(a << shift);
}

// The key of an array with `ndim` axes of lengths `dims` and byte strides `strides`, whose first
// element is at `data` and whose elements are `itemsize` bytes long.
inline BorrowKey make_key(std::uintptr_t data, int ndim, const std::intptr_t* dims,
                          const std::intptr_t* strides, std::intptr_t itemsize) {
    if (ndim == 0) return {data, data, data, 1};

    std::intptr_t g = strides[0];
    for (int i = 1; i < ndim; ++i) g = gcd(g, strides[i]);

    bool empty = false;
    for (int i = 0; i < ndim; ++i) empty = empty || dims[i] == 0;
    if (empty) return {data, data, data, g};

    // Offsets of the lowest and the highest element from the first one; each axis pulls one of
    // them out by (length - 1) strides, depending on the stride's sign.
    std::intptr_t low = 0;
    std::intptr_t high = 0;
    for (int i = 0; i < ndim; ++i) {
        const std::intptr_t reach = (dims[i] - 1) * strides[i];
        if (reach < 0) {
            low += reach;
        } else {
            high += reach;
        }
    }
    high += itemsize;
    return {data + static_cast<std::uintptr_t>(low), data + static_cast<std::uintptr_t>(high),
            data, g};
}

// May the regions of `a` and `b` share an element?
//
// Disjoint ranges never do, nor does an empty range (an empty or 0-D array), which holds no
// bytes even where it lies inside the other range. Otherwise every element of a sits at a's data address plus a
// multiple of a's gcd, and likewise for b, so they can only meet if the distance between the
// data addresses is a multiple of the gcd of both gcds. That common position may lie outside
// both arrays, in which case the answer is a false alarm, never a missed overlap.
//
// When both gcds are 0, every element of each array sits at its data address: the array is one
// element, its range is exactly that element's bytes, and the ranges, already found to overlap,
// share bytes. Such a pair therefore conflicts (rather than being compared by data address, which
// would let two overlapping but differently placed elements pass).
inline bool conflicts(const BorrowKey& a, const BorrowKey& b) {
    if (a.range_start == a.range_end || b.range_start == b.range_end) return false;
    if (b.range_start >= a.range_end || a.range_start >= b.range_end) return false;
    const auto distance = static_cast<std::intptr_t>(a.data_ptr - b.data_ptr);
    const std::uintptr_t d = detail::magnitude(distance);
    const std::uintptr_t g = detail::magnitude(gcd(a.gcd_strides, b.gcd_strides));
    if (g == 0) return true;
    return d % g == 0;
}

// Return codes shared with the other modules of the registry.
inline constexpr int kBorrowed = 0;
inline constexpr int kAlreadyBorrowed = -1;
inline constexpr int kNotWriteable = -2;

// Borrows per memory block. A block is named by its base address (the object that owns the
// memory at the end of an array's base chain). Within a block each key has a counter: n > 0 for
// n shared borrows, -1 for one exclusive borrow. Counters at 0 and blocks without keys are
// removed, so with nothing borrowed the state is empty.
class BorrowState {
public:
    int acquire(std::uintptr_t base, const BorrowKey& key) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto block = blocks_.find(base);
        if (block == blocks_.end()) {
            blocks_[base].emplace(key, 1);
            return kBorrowed;
        }
        Borrows& borrows = block->second;
        if (auto same = borrows.find(key); same != borrows.end()) {
            std::intptr_t& count = same->second;
            if (count < 0 || count == std::numeric_limits<std::intptr_t>::max()) {
                return kAlreadyBorrowed;
            }
            ++count;
            return kBorrowed;
        }
        for (const auto& [other, count] : borrows) {
            if (count < 0 && conflicts(key, other)) return kAlreadyBorrowed;
        }
        borrows.emplace(key, 1);
        return kBorrowed;
    }

    // The writeable check comes first and belongs to the caller, who sees the array.
    int acquire_mut(std::uintptr_t base, const BorrowKey& key) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto block = blocks_.find(base);
        if (block == blocks_.end()) {
            blocks_[base].emplace(key, -1);
            return kBorrowed;
        }
        Borrows& borrows = block->second;
        if (borrows.contains(key)) return kAlreadyBorrowed;
        for (const auto& [other, count] : borrows) {
            if (count != 0 && conflicts(key, other)) return kAlreadyBorrowed;
        }
        borrows.emplace(key, -1);
        return kBorrowed;
    }

    // A release that finds nothing to release means a module gave back what it never took, or
    // changed the array in between; the state can no longer be trusted, so the process stops.
    void release(std::uintptr_t base, const BorrowKey& key) noexcept {
        std::lock_guard<std::mutex> lock(mutex_);
        auto block = blocks_.find(base);
        if (block == blocks_.end()) broken("shared release of an array that is not borrowed");
        Borrows& borrows = block->second;
        auto same = borrows.find(key);
        if (same == borrows.end()) broken("shared release of a region that is not borrowed");
        if (same->second <= 0) broken("shared release of a region that is not shared");
        if (--same->second == 0) forget(block, same);
    }

    void release_mut(std::uintptr_t base, const BorrowKey& key) noexcept {
        std::lock_guard<std::mutex> lock(mutex_);
        auto block = blocks_.find(base);
        if (block == blocks_.end()) broken("exclusive release of an array that is not borrowed");
        Borrows& borrows = block->second;
        auto same = borrows.find(key);
        if (same == borrows.end()) broken("exclusive release of a region that is not borrowed");
        if (same->second != -1) broken("exclusive release of a region that is not exclusive");
        forget(block, same);
    }

    // Number of memory blocks with at least one borrow.
    std::size_t blocks() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return blocks_.size();
    }

    // The counter of `key` in block `base`, 0 when there is none.
    std::intptr_t count(std::uintptr_t base, const BorrowKey& key) const {
        std::lock_guard<std::mutex> lock(mutex_);
        auto block = blocks_.find(base);
        if (block == blocks_.end()) return 0;
        auto same = block->second.find(key);
        return same == block->second.end() ? 0 : same->second;
    }

private:
    using Borrows = std::unordered_map<BorrowKey, std::intptr_t, BorrowKeyHash>;

    [[noreturn]] static void broken(const char* what) noexcept {
        std::fprintf(stderr, "vortalix2: array-borrow registry is inconsistent: %s\n", what);
        std::fflush(stderr);
        std::abort();
    }

    using Blocks = std::unordered_map<std::uintptr_t, Borrows>;

    // Removes one key; a block left without keys is removed with it.
    void forget(Blocks::iterator block, Borrows::iterator entry) noexcept {
        if (block->second.size() == 1) {
            blocks_.erase(block);
        } else {
            block->second.erase(entry);
        }
    }

    mutable std::mutex mutex_;
    Blocks blocks_;
};

}  // namespace vortalix2::borrow
