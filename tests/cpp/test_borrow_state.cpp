// Region keys, the conflict test and the borrow counters of the array-borrow registry.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdint>
#include <limits>
#include <string>

#include "harness.hpp"
#include "module/borrow_state.hpp"

namespace {

using vortalix2::borrow::BorrowKey;
using vortalix2::borrow::BorrowState;
using vortalix2::borrow::conflicts;
using vortalix2::borrow::gcd;
using vortalix2::borrow::make_key;

constexpr std::intptr_t kLowest = std::numeric_limits<std::intptr_t>::min();
constexpr std::uintptr_t kBlock = 0x10000;  // data address of a made-up float64 block

// Key of a 1-D float64 view of the block: `count` elements from element `first`, `step` apart.
BorrowKey strided(std::intptr_t first, std::intptr_t count, std::intptr_t step) {
    const std::intptr_t dims[] = {count};
    const std::intptr_t strides[] = {8 * step};
    return make_key(kBlock + static_cast<std::uintptr_t>(8 * first), 1, dims, strides, 8);
}

std::string show(const BorrowKey& k) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "{%#llx, %#llx, %#llx, %lld}",
                  static_cast<unsigned long long>(k.range_start),
                  static_cast<unsigned long long>(k.range_end),
                  static_cast<unsigned long long>(k.data_ptr),
                  static_cast<long long>(k.gcd_strides));
    return buf;
}

void check_key(const BorrowKey& got, const BorrowKey& want, const char* what) {
    if (!(got == want)) {
        vortalix2_test::fail(__FILE__, __LINE__,
                             std::string(what) + ": got " + show(got) + ", expected " + show(want));
    }
}

}  // namespace

TEST(borrow_gcd_of_strides) {
    struct Row {
        std::intptr_t m, n, want;
    };
    const Row rows[] = {
        // ordinary values, signs dropped
        {12, 18, 6}, {-12, 18, 6}, {-12, -18, 6}, {7, 13, 1}, {48, 48, 48},
        {std::intptr_t{3} << 40, std::intptr_t{5} << 20, std::intptr_t{1} << 20},
        // a zero stride leaves the other's magnitude
        {0, 0, 0}, {0, -8, 8}, {-8, 0, 8}, {24, 0, 24},
        // the most negative value: the common power of two
        {kLowest, 24, 8}, {-24, kLowest, 8}, {kLowest, 1, 1},
        // ... and where even that has no signed form, it wraps
        {kLowest, kLowest, kLowest}, {kLowest, 0, kLowest},
    };
    for (const Row& r : rows) {
        const std::intptr_t got = gcd(r.m, r.n);
        if (got != r.want) {
            vortalix2_test::fail(__FILE__, __LINE__,
                                 "gcd(" + std::to_string(r.m) + ", " + std::to_string(r.n) +
                                     ") = " + std::to_string(got) + ", expected " +
                                     std::to_string(r.want));
        }
    }
}

TEST(borrow_key_ranges) {
    const std::uintptr_t d = kBlock;
    check_key(make_key(d, 0, nullptr, nullptr, 8), {d, d, d, 1}, "0-D");
    check_key(strided(0, 10, 1), {d, d + 80, d, 8}, "contiguous");
    check_key(strided(9, 10, -1), {d, d + 80, d + 72, -8}, "reversed keeps the stride's sign");
    check_key(strided(0, 5, 0), {d, d + 8, d, 0}, "broadcast one element");
    {
        const std::intptr_t dims[] = {3, 4};
        const std::intptr_t strides[] = {8, 24};  // Fortran order
        check_key(make_key(d, 2, dims, strides, 8), {d, d + 96, d, 8}, "Fortran 3x4");
    }
    {
        // rows reversed: the first element is in the last row
        const std::intptr_t dims[] = {3, 4};
        const std::intptr_t strides[] = {-32, 8};
        check_key(make_key(d + 64, 2, dims, strides, 8), {d, d + 96, d + 64, 8}, "rows reversed");
    }
    {
        // an empty axis empties the range but still folds the strides
        const std::intptr_t dims[] = {3, 0};
        const std::intptr_t strides[] = {-48, 36};
        check_key(make_key(d, 2, dims, strides, 8), {d, d, d, 12}, "empty 3x0");
    }
    {
        // the item size sets the end, not the stride
        const std::intptr_t dims[] = {4};
        const std::intptr_t strides[] = {16};
        check_key(make_key(d, 1, dims, strides, 4), {d, d + 52, d, 16}, "4-byte items");
    }
}

TEST(borrow_conflict_test) {
    const BorrowKey evens = strided(0, 5, 2);
    CHECK(!conflicts(evens, strided(1, 5, 2)));  // interleaved: 8 bytes apart, gcd 16
    CHECK(conflicts(evens, strided(2, 4, 2)));   // 16 bytes apart
    CHECK(conflicts(strided(2, 4, 2), evens));
    CHECK(conflicts(evens, strided(3, 1, 1)));   // lone element between two evens: a false alarm
    CHECK(!conflicts(strided(0, 1, 1), strided(1, 1, 1)));  // adjacent, ranges only touch
    CHECK(conflicts(strided(0, 10, 1), strided(9, 10, -1)));

    // empty and 0-D regions never meet anything, not even themselves
    const BorrowKey empty = strided(4, 0, 1);
    const std::intptr_t none[] = {0};
    const BorrowKey zero_d = make_key(kBlock + 32, 0, none, none, 8);
    CHECK(!conflicts(empty, strided(0, 10, 1)));
    CHECK(!conflicts(zero_d, strided(0, 10, 1)));
    CHECK(!conflicts(zero_d, zero_d));

    // zero strides on one side: the other side's gcd decides
    CHECK(!conflicts(strided(1, 3, 0), evens));
    CHECK(conflicts(strided(2, 3, 0), evens));

    // zero strides on both sides: one element each; overlapping bytes conflict
    CHECK(conflicts(strided(2, 3, 0), strided(2, 7, 0)));
    const BorrowKey half_over = {kBlock + 4, kBlock + 12, kBlock + 4, 0};
    CHECK(conflicts(strided(1, 2, 0), half_over));
    CHECK(!conflicts(strided(2, 2, 0), strided(3, 2, 0)));

    // the most negative gcd is used by magnitude
    const BorrowKey wide_a = {kBlock, kBlock + 64, kBlock, kLowest};
    const BorrowKey wide_b = {kBlock + 8, kBlock + 72, kBlock + 8, kLowest};
    CHECK(!conflicts(wide_a, wide_b));
    CHECK(conflicts(wide_a, wide_a));
}

TEST(borrow_counters) {
    BorrowState state;
    const BorrowKey all = strided(0, 10, 1);
    const BorrowKey evens = strided(0, 5, 2);
    CHECK(state.acquire(kBlock, all) == 0);
    CHECK(state.acquire(kBlock, all) == 0);
    CHECK(state.count(kBlock, all) == 2);
    CHECK(state.acquire_mut(kBlock, evens) == -1);
    state.release(kBlock, all);
    CHECK(state.count(kBlock, all) == 1);
    state.release(kBlock, all);
    CHECK(state.blocks() == 0);

    CHECK(state.acquire_mut(kBlock, evens) == 0);
    CHECK(state.acquire(kBlock, evens) == -1);
    CHECK(state.acquire_mut(kBlock, evens) == -1);
    CHECK(state.acquire(kBlock, strided(2, 4, 2)) == -1);
    CHECK(state.acquire(kBlock, strided(1, 5, 2)) == 0);
    CHECK(state.acquire_mut(kBlock, strided(1, 5, 2)) == -1);  // held shared now
    CHECK(state.acquire(kBlock + 0x1000, evens) == 0);         // another block
    state.release(kBlock, strided(1, 5, 2));
    state.release(kBlock + 0x1000, evens);
    state.release_mut(kBlock, evens);
    CHECK(state.blocks() == 0);
}

namespace {

// Runs `body` in a child process and tells whether the child was stopped by SIGABRT.
template <class Body>
bool aborts(Body body) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int devnull = open("/dev/null", O_WRONLY);
        if (devnull >= 0) dup2(devnull, 2);
        body();
        _exit(0);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return false;
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT;
}

}  // namespace

TEST(borrow_broken_release_stops) {
    const BorrowKey all = strided(0, 10, 1);
    CHECK(aborts([&] { BorrowState().release(kBlock, all); }));
    CHECK(aborts([&] {
        BorrowState s;
        s.acquire(kBlock, all);
        s.release(kBlock, strided(0, 9, 1));
    }));
    CHECK(aborts([&] {
        BorrowState s;
        s.acquire_mut(kBlock, all);
        s.release(kBlock, all);
    }));
    CHECK(aborts([&] {
        BorrowState s;
        s.acquire(kBlock, all);
        s.release_mut(kBlock, all);
    }));
    CHECK(!aborts([&] {
        BorrowState s;
        s.acquire(kBlock, all);
        s.release(kBlock, all);
    }));
}
