#include <cstdio>

#include "harness.hpp"

int main() {
    int failed_cases = 0;
    for (const auto& c : vortalix2_test::registry()) {
        const int before = vortalix2_test::failures();
        c.fn();
        const bool ok = vortalix2_test::failures() == before;
        if (!ok) ++failed_cases;
        std::printf("%s %s\n", ok ? "PASS" : "FAIL", c.name);
    }
    const int total = static_cast<int>(vortalix2_test::registry().size());
    std::printf("C++: %d passed, %d failed\n", total - failed_cases, failed_cases);
    return failed_cases == 0 ? 0 : 1;
}
