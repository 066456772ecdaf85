// The toolkit's kernel table for a level; the level itself is the core's choice.
#include "flows/table.hpp"

namespace vortalix2::flows {

#if defined(VORTALIX2_HAVE_AVX2)
extern const KernelTable avx2_table;
extern const KernelTable* const avx2_kernels = &avx2_table;
#else
extern const KernelTable* const avx2_kernels = nullptr;
#endif
#if defined(VORTALIX2_HAVE_AVX512)
extern const KernelTable avx512_table;
extern const KernelTable* const avx512_kernels = &avx512_table;
#else
extern const KernelTable* const avx512_kernels = nullptr;
#endif

eval::RunFn kernel(eval::Level level, std::size_t relation) {
    switch (level) {
        case eval::Level::scalar: return scalar_kernels[relation];
        case eval::Level::sse2: return sse2_kernels[relation];
        case eval::Level::avx2:
#if defined(VORTALIX2_HAVE_AVX2)
            return (*avx2_kernels)[relation];
#else
            break;
#endif
        case eval::Level::avx512:
#if defined(VORTALIX2_HAVE_AVX512)
            return (*avx512_kernels)[relation];
#else
            break;
#endif
    }
    return scalar_kernels[relation];
}

}  // namespace vortalix2::flows
