// The element loops of every relation for one instruction set: built once as the baseline
// (scalar and two-lane tables) and once more for each wider set the build targets, with
// VORTALIX2_ISA and VORTALIX2_LANES naming it.
#include <utility>

#include "eval/dispatch.hpp"
#include "eval/loops.hpp"
#include "relations/all.hpp"

namespace vortalix2::eval {

static_assert(relations::count == relation_count);

namespace {
template <class T>
constexpr KernelTable table_of() {
    return loops::table<T, relations::All>(std::make_index_sequence<relation_count>{});
}
}  // namespace

#if !defined(VORTALIX2_LANES)
extern const KernelTable scalar_kernels = table_of<double>();
extern const KernelTable sse2_kernels = table_of<math::Lanes<2>>();
#elif VORTALIX2_LANES == 4
extern const KernelTable avx2_table = table_of<math::Lanes<4>>();
#elif VORTALIX2_LANES == 8
extern const KernelTable avx512_table = table_of<math::Lanes<8>>();
#endif

}  // namespace vortalix2::eval
