#pragma once
// A symmetric positive definite band matrix and its Cholesky factor, for the
// small systems of a line model (a few thousand nodes, band a few dozen
// wide): faster to factor than to hand to a general sparse solver, one per
// source and wavenumber, and safe to use from any number of threads.

#include <cstdint>
#include <span>
#include <vector>

namespace vexora {

struct BandMatrix {
    std::int64_t n = 0;
    int width = 0;  // A(i, j) = 0 for |i - j| > width
    // A(i, j), i - width <= j <= i, at i * (width + 1) + width - (i - j): each
    // row's band in column order, so the factor's dot products run forward.
    std::vector<double> lower;

    double& at(std::int64_t i, std::int64_t j)
    {
        return lower[static_cast<std::size_t>(i * (width + 1) + width - (i - j))];
    }
    double at(std::int64_t i, std::int64_t j) const
    {
        return lower[static_cast<std::size_t>(i * (width + 1) + width - (i - j))];
    }
};

BandMatrix makeBandMatrix(std::int64_t n, int width);

// Adds v to A(i, j) (and so A(j, i)); |i - j| <= width.
inline void addSymmetric(BandMatrix& a, std::int64_t i, std::int64_t j, double v)
{
    if (i >= j) a.at(i, j) += v;
    else a.at(j, i) += v;
}

// Replaces `a` by its Cholesky factor L (A = L L^T); false when a pivot is
// not positive.
[[nodiscard]] bool factorBand(BandMatrix& a);

// Solves L L^T x = b in place.
void solveBand(const BandMatrix& l, std::span<double> x);

}  // namespace vexora
