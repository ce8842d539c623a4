#pragma once
// The sensitivity matrix J (data x model parameters), J_ij = d f_i / d m_j,
// stored row by row in single precision: it is the largest object of an
// inversion, and its entries carry far less accuracy than a float holds.
//
// The products take k vectors at once, one after the other (element c of
// vector t at t * n + c): each row of J is brought from memory once for all
// of them, and passes over J are what an inversion's update costs.

#include <cstddef>
#include <span>
#include <vector>

namespace vexora {

struct Jacobian {
    std::size_t rows = 0, cols = 0;
    std::vector<float> values;  // rows * cols, row-major

    std::span<float> row(std::size_t i) { return {values.data() + i * cols, cols}; }
    std::span<const float> row(std::size_t i) const { return {values.data() + i * cols, cols}; }
};

// Y = J X for k vectors (X: k * cols, Y: k * rows).
void multiply(const Jacobian& j, std::span<const double> x, std::span<double> y, std::size_t k = 1, int threads = 1);
// X = J^T Y for k vectors.
void multiplyTransposed(const Jacobian& j, std::span<const double> y, std::span<double> x, std::size_t k = 1,
                        int threads = 1);
// Y = J^T D J X for k vectors, D = diag(d): each row of J is read once for
// both products, which halves the passes over J of an update.
void multiplyNormal(const Jacobian& j, std::span<const double> d, std::span<const double> x, std::span<double> y,
                    std::size_t k = 1, int threads = 1);

}  // namespace vexora
