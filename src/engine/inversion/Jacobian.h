#pragma once
// The sensitivity matrix J (data x model parameters), J_ij = d f_i / d m_j,
// stored row by row in single precision: it is the largest object of an
// inversion, and its entries carry far less accuracy than a float holds.
//
// The products take k vectors at once, one after the other (element c of
// vector t at t * n + c): each pass over J serves all of them, and passes
// over J are what an inversion's update costs. Results do not depend on the
// thread count.

#include <cstddef>
#include <span>
#include <vector>

#include "engine/memory/LargeMemory.h"

namespace vexora {

struct Jacobian {
    using Values = std::vector<float, UninitialisedAllocator<float>>;
    std::size_t rows = 0, cols = 0;
    Values values;  // rows * cols, row-major

    std::span<float> row(std::size_t i) { return {values.data() + i * cols, cols}; }
    std::span<const float> row(std::size_t i) const { return {values.data() + i * cols, cols}; }
};

// Y = J X for k vectors (X: k * cols, Y: k * rows).
void multiply(const Jacobian& j, std::span<const double> x, std::span<double> y, std::size_t k = 1, int threads = 1);
// X = J^T Y for k vectors.
void multiplyTransposed(const Jacobian& j, std::span<const double> y, std::span<double> x, std::size_t k = 1,
                        int threads = 1);
// Y = J^T D J X for k vectors, D = diag(d): two passes over J, J X and then
// J^T of the scaled result, which keeps the vectors in cache.
void multiplyNormal(const Jacobian& j, std::span<const double> d, std::span<const double> x, std::span<double> y,
                    std::size_t k = 1, int threads = 1);
// out_c = sum_i w_i J_ic^2, the diagonal of J^T diag(w) J, in one pass.
void weightedColumnSquares(const Jacobian& j, std::span<const double> w, std::span<double> out, int threads = 1);

}  // namespace vexora
