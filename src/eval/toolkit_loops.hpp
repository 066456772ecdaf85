// The toolkit's element loops as tables in the order of the registry's rows, one table per
// instruction-set level, shared by the code compiled for each set and by the extension module.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "eval/dispatch.hpp"

namespace vortalix2::flows {

// What a row's parameter list says about the relation's inputs: the values it maps (one or
// two), whether it takes `ga`, and whether it takes a branch flag (and whether that flag must
// be given by keyword).
struct Parameters {
    std::size_t values = 0;
    bool ga = false;
    bool flag = false;
};

constexpr Parameters parameters(std::string_view list) {
    Parameters p;
    bool after_ga = false;
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        std::string_view item = list.substr(0, comma);
        list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
        while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
        if (item == "ga") {
            p.ga = after_ga = true;
        } else if (item == "*") {
        } else if (after_ga) {
            p.flag = true;
        } else {
            ++p.values;
        }
    }
    return p;
}

inline constexpr std::size_t relation_count = 0
#define VORTALIX2_RELATION(...) +1
#include "relations/flows/registry.hpp"
#undef VORTALIX2_RELATION
    ;

// out[k] = relation(in[0][k], ...) for k < n, the relation built from (ga, flag); every input
// holds n contiguous doubles. `flag` is ignored where the relation has none. Returns whether
// any result is a NaN or an infinity (looked over while the results are still in cache).
using LoopFn = bool (*)(double ga, bool flag, const double* const* in, double* out,
                        std::size_t n);
using LoopTable = std::array<LoopFn, relation_count>;

// Each level's table, defined by the code compiled for it.
extern const LoopTable scalar_loop_table;
extern const LoopTable sse2_loop_table;

// The table of `level`, or the scalar one where the build has none for it.
const LoopTable& loops(eval::Level level);

}  // namespace vortalix2::flows
