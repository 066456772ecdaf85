// Every relation that the module offers, in the order of its function table, so that code
// compiled for each instruction set can be looked up by position.
#pragma once

#include <cstddef>
#include <tuple>
#include <type_traits>

#include "relations/isentropic.hpp"
#include "relations/isentropic_inversions.hpp"
#include "relations/iterative_inversions.hpp"
#include "relations/newton_inversions.hpp"
#include "relations/normal_shock.hpp"

namespace vortalix2::inline VORTALIX2_ISA::relations {

using All = std::tuple<ToTFromMa, PoPFromMa, RhooRhoFromMa, VCpToFromMa, McpToAPoFromMa,
                       McpToAPFromMa, AAcritFromMa, MashFromMa, PoshPoFromMa, MaFromPoP,
                       MaFromToT, MaFromRhooRho, MaFromVCpTo, MaFromFMcpTo, MaFromMcpToAPo,
                       MaFromMcpToAP, MaFromAAcrit, MaFromMash, MaFromPoshPo>;

inline constexpr std::size_t count = std::tuple_size_v<All>;

template <class R, std::size_t I = 0>
constexpr std::size_t index_of() {
    if constexpr (std::is_same_v<R, std::tuple_element_t<I, All>>) {
        return I;
    } else {
        return index_of<R, I + 1>();
    }
}

}  // namespace vortalix2::inline VORTALIX2_ISA::relations
