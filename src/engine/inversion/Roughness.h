#pragma once
// The roughness of a block model: R m holds the differences between
// neighbouring blocks, weighted per axis, so that
//   |R m|^2 = sum over neighbour pairs (i, j) along axis a of w_a (m_i - m_j)^2.
// The inversion needs only R^T R, a weighted graph Laplacian over the
// block grid, applied without forming a matrix.

#include <span>

#include "engine/inversion/BlockGrid.h"

namespace vexora {

struct RoughnessWeights {
    double x = 1, y = 1, z = 0.1;
};

// out = R^T R m.
void applyRoughnessNormal(const BlockGrid& grid, const RoughnessWeights& weights, std::span<const double> m,
                          std::span<double> out);

// |R m|^2.
double roughnessNorm(const BlockGrid& grid, const RoughnessWeights& weights, std::span<const double> m);

// The diagonal of R^T R (for a Jacobi preconditioner).
void roughnessNormalDiagonal(const BlockGrid& grid, const RoughnessWeights& weights, std::span<double> out);

}  // namespace vexora
