#pragma once
#include <cstdint>
namespace pow_hard_cases {
enum Kind { near_midpoint, exact, edge };
struct Case { std::uint64_t x, y; Kind kind; };
inline constexpr Case cases[] = {{0x3ff0000000000000, 0x3ff0000000000000, near_midpoint}};
}
