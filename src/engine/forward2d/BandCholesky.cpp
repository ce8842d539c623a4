#include "engine/forward2d/BandCholesky.h"

#include <algorithm>
#include <cmath>

namespace vexora {

BandMatrix makeBandMatrix(std::int64_t n, int width)
{
    BandMatrix a;
    a.n = n;
    a.width = width;
    a.lower.assign(static_cast<std::size_t>(n * (width + 1)), 0.0);
    return a;
}

namespace {

// sum x[m] y[m] over m < n, in four partial sums.
double dotProduct(const double* x, const double* y, std::int64_t n)
{
    double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    std::int64_t m = 0;
    for (; m + 4 <= n; m += 4) {
        s0 += x[m] * y[m];
        s1 += x[m + 1] * y[m + 1];
        s2 += x[m + 2] * y[m + 2];
        s3 += x[m + 3] * y[m + 3];
    }
    for (; m < n; ++m) s0 += x[m] * y[m];
    return (s0 + s1) + (s2 + s3);
}

}  // namespace

bool factorBand(BandMatrix& a)
{
    const int w = a.width;
    for (std::int64_t i = 0; i < a.n; ++i) {
        const std::int64_t first = std::max<std::int64_t>(0, i - w);
        double* ri = &a.lower[static_cast<std::size_t>(i * (w + 1) + w - i)];  // ri[j] = L(i, j)
        for (std::int64_t j = first; j <= i; ++j) {
            const double* rj = &a.lower[static_cast<std::size_t>(j * (w + 1) + w - j)];
            const std::int64_t from = std::max(first, j - w);
            const double sum = ri[j] - dotProduct(ri + from, rj + from, j - from);
            if (j < i) ri[j] = sum / rj[j];
            else {
                if (!(sum > 0)) return false;
                ri[i] = std::sqrt(sum);
            }
        }
    }
    return true;
}

void solveBand(const BandMatrix& l, std::span<double> x)
{
    const int w = l.width;
    for (std::int64_t i = 0; i < l.n; ++i) {
        const double* ri = &l.lower[static_cast<std::size_t>(i * (w + 1) + w - i)];
        const std::int64_t first = std::max<std::int64_t>(0, i - w);
        x[static_cast<std::size_t>(i)] =
            (x[static_cast<std::size_t>(i)] - dotProduct(ri + first, x.data() + first, i - first)) / ri[i];
    }
    for (std::int64_t i = l.n - 1; i >= 0; --i) {
        const double* ri = &l.lower[static_cast<std::size_t>(i * (w + 1) + w - i)];
        const double xi = x[static_cast<std::size_t>(i)] / ri[i];
        x[static_cast<std::size_t>(i)] = xi;
        for (std::int64_t j = std::max<std::int64_t>(0, i - w); j < i; ++j) x[static_cast<std::size_t>(j)] -= ri[j] * xi;
    }
}

}  // namespace vexora
