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

bool factorBand(BandMatrix& a)
{
    const int w = a.width;
    for (std::int64_t i = 0; i < a.n; ++i) {
        const std::int64_t first = std::max<std::int64_t>(0, i - w);
        double* ri = &a.lower[static_cast<std::size_t>(i * (w + 1))];  // ri[i - j] = L(i, j)
        for (std::int64_t j = first; j <= i; ++j) {
            const double* rj = &a.lower[static_cast<std::size_t>(j * (w + 1))];
            double sum = ri[i - j];
            for (std::int64_t m = std::max(first, j - w); m < j; ++m) sum -= ri[i - m] * rj[j - m];
            if (j < i) ri[i - j] = sum / rj[0];
            else {
                if (!(sum > 0)) return false;
                ri[0] = std::sqrt(sum);
            }
        }
    }
    return true;
}

void solveBand(const BandMatrix& l, std::span<double> x)
{
    const int w = l.width;
    for (std::int64_t i = 0; i < l.n; ++i) {
        const double* ri = &l.lower[static_cast<std::size_t>(i * (w + 1))];
        double sum = x[static_cast<std::size_t>(i)];
        for (std::int64_t j = std::max<std::int64_t>(0, i - w); j < i; ++j) sum -= ri[i - j] * x[static_cast<std::size_t>(j)];
        x[static_cast<std::size_t>(i)] = sum / ri[0];
    }
    for (std::int64_t i = l.n - 1; i >= 0; --i) {
        const double xi = x[static_cast<std::size_t>(i)] / l.at(i, i);
        x[static_cast<std::size_t>(i)] = xi;
        const double* ri = &l.lower[static_cast<std::size_t>(i * (w + 1))];
        for (std::int64_t j = std::max<std::int64_t>(0, i - w); j < i; ++j) x[static_cast<std::size_t>(j)] -= ri[i - j] * xi;
    }
}

}  // namespace vexora
