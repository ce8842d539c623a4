#pragma once
// The sensitivity matrix J (data x model parameters), J_ij = d f_i / d m_j,
// stored row by row in single precision: it is the largest object of an
// inversion, and its entries carry far less accuracy than a float holds.

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

// y = J x.
void multiply(const Jacobian& j, std::span<const double> x, std::span<double> y);
// x = J^T y.
void multiplyTransposed(const Jacobian& j, std::span<const double> y, std::span<double> x);

}  // namespace vexora
