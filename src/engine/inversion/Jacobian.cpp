#include "inversion/Jacobian.h"

#include <algorithm>
#include <cassert>

namespace vexora {

void multiply(const Jacobian& j, std::span<const double> x, std::span<double> y)
{
    assert(x.size() == j.cols && y.size() == j.rows);
    for (std::size_t i = 0; i < j.rows; ++i) {
        const std::span<const float> r = j.row(i);
        double sum = 0;
        for (std::size_t c = 0; c < j.cols; ++c) sum += r[c] * x[c];
        y[i] = sum;
    }
}

void multiplyTransposed(const Jacobian& j, std::span<const double> y, std::span<double> x)
{
    assert(x.size() == j.cols && y.size() == j.rows);
    std::fill(x.begin(), x.end(), 0.0);
    for (std::size_t i = 0; i < j.rows; ++i) {
        const std::span<const float> r = j.row(i);
        const double yi = y[i];
        for (std::size_t c = 0; c < j.cols; ++c) x[c] += r[c] * yi;
    }
}

}  // namespace vexora
