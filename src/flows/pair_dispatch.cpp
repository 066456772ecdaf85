// The kernel table of the relations of two arguments for a level; the level is the core's.
#include "flows/pairs.hpp"

namespace vortalix2::flows {

#if defined(VORTALIX2_HAVE_AVX2)
extern const PairTable avx2_pair_table;
extern const PairTable* const avx2_pair_kernels = &avx2_pair_table;
#else
extern const PairTable* const avx2_pair_kernels = nullptr;
#endif
#if defined(VORTALIX2_HAVE_AVX512)
extern const PairTable avx512_pair_table;
extern const PairTable* const avx512_pair_kernels = &avx512_pair_table;
#else
extern const PairTable* const avx512_pair_kernels = nullptr;
#endif

PairFn pair_kernel(eval::Level level, std::size_t relation) {
    switch (level) {
        case eval::Level::scalar: return scalar_pair_kernels[relation];
        case eval::Level::sse2: return sse2_pair_kernels[relation];
        case eval::Level::avx2:
#if defined(VORTALIX2_HAVE_AVX2)
            return (*avx2_pair_kernels)[relation];
#else
            break;
#endif
        case eval::Level::avx512:
#if defined(VORTALIX2_HAVE_AVX512)
            return (*avx512_pair_kernels)[relation];
#else
            break;
#endif
    }
    return scalar_pair_kernels[relation];
}

}  // namespace vortalix2::flows
