// The toolkit's loop table for a level; the level itself is the core's choice.
#include "flows/table.hpp"

namespace vortalix2::flows {

#if defined(VORTALIX2_HAVE_AVX2)
extern const LoopTable avx2_table;
extern const LoopTable* const avx2_loops = &avx2_table;
#else
extern const LoopTable* const avx2_loops = nullptr;
#endif
#if defined(VORTALIX2_HAVE_AVX512)
extern const LoopTable avx512_table;
extern const LoopTable* const avx512_loops = &avx512_table;
#else
extern const LoopTable* const avx512_loops = nullptr;
#endif

const LoopTable& loops(eval::Level level) {
    switch (level) {
        case eval::Level::scalar: return scalar_loops;
        case eval::Level::sse2: return sse2_loops;
        case eval::Level::avx2:
#if defined(VORTALIX2_HAVE_AVX2)
            return avx2_table;
#else
            break;
#endif
        case eval::Level::avx512:
#if defined(VORTALIX2_HAVE_AVX512)
            return avx512_table;
#else
            break;
#endif
    }
    return scalar_loops;
}

}  // namespace vortalix2::flows
