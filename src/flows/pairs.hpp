// The toolkit's relations of two arguments (the oblique shock's, of Ma and an angle), by
// position: the order of their kernel tables, shared by the code compiled for each instruction
// set and by the extension module.
#pragma once

#include <array>
#include <cstddef>

#include "eval/dispatch.hpp"

namespace vortalix2::flows {

enum PairKernel : std::size_t {
    theta_from_ma_beta, mn1_from_ma_beta, ma2_from_ma_beta, p2_p1_from_ma_beta,
    t2_t1_from_ma_beta, rho2_rho1_from_ma_beta, po2_po1_from_ma_beta, beta_from_ma_theta,
    pair_kernel_count
};

// out[k] = relation(x[k], y[k]) for k < n, the relation built from (ga, flag); `flag` is
// `strong` where the relation has one.
using PairFn = void (*)(double ga, bool flag, const double* x, const double* y, double* out,
                        std::size_t n);
using PairTable = std::array<PairFn, pair_kernel_count>;

extern const PairTable scalar_pair_kernels;
extern const PairTable sse2_pair_kernels;
extern const PairTable* const avx2_pair_kernels;
extern const PairTable* const avx512_pair_kernels;

PairFn pair_kernel(eval::Level level, std::size_t relation);

}  // namespace vortalix2::flows
