#include "inversion/Jacobian.h"

#include <algorithm>
#include <cassert>

#include "VectorClones.h"
#include "inversion/ShareOut.h"

namespace vexora {

namespace {

// r . x with eight partial sums: a single running sum is a chain the
// compiler may not reorder, eight independent ones fill the vector units.
inline double rowDot(const float* r, const double* x, std::size_t n)
{
    double acc[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    std::size_t c = 0;
    for (; c + 8 <= n; c += 8)
        for (std::size_t l = 0; l < 8; ++l) acc[l] += r[c + l] * x[c + l];
    double sum = ((acc[0] + acc[1]) + (acc[2] + acc[3])) + ((acc[4] + acc[5]) + (acc[6] + acc[7]));
    for (; c < n; ++c) sum += r[c] * x[c];
    return sum;
}

}  // namespace

void multiply(const Jacobian& j, std::span<const double> x, std::span<double> y, std::size_t k, int threads)
{
    assert(x.size() == j.cols * k && y.size() == j.rows * k);
    shareOut(j.rows, threads, [&](std::size_t, std::size_t first, std::size_t last) {
        for (std::size_t i = first; i < last; ++i) {
            const float* r = j.values.data() + i * j.cols;
            for (std::size_t t = 0; t < k; ++t) y[t * j.rows + i] = rowDot(r, x.data() + t * j.cols, j.cols);
        }
    });
}

void multiplyTransposed(const Jacobian& j, std::span<const double> y, std::span<double> x, std::size_t k, int threads)
{
    assert(x.size() == j.cols * k && y.size() == j.rows * k);
    // Each thread owns a range of columns, so the sums need no locks.
    shareOut(j.cols, threads, [&](std::size_t, std::size_t first, std::size_t last) {
        for (std::size_t t = 0; t < k; ++t) std::fill(x.begin() + t * j.cols + first, x.begin() + t * j.cols + last, 0.0);
        for (std::size_t i = 0; i < j.rows; ++i) {
            const float* r = j.values.data() + i * j.cols;
            for (std::size_t t = 0; t < k; ++t) {
                const double yi = y[t * j.rows + i];
                double* xt = x.data() + t * j.cols;
                for (std::size_t c = first; c < last; ++c) xt[c] += r[c] * yi;
            }
        }
    });
}

namespace {

// out += J_rows^T D J_rows X over rows [first, last).
VEXORA_VECTOR_CLONES
void addNormalRows(const Jacobian& j, const double* d, const double* x, double* out, std::size_t k, std::size_t first,
                   std::size_t last)
{
    for (std::size_t i = first; i < last; ++i) {
        const float* r = j.values.data() + i * j.cols;
        for (std::size_t t = 0; t < k; ++t) {
            const double scaled = d[i] * rowDot(r, x + t * j.cols, j.cols);
            double* yt = out + t * j.cols;
            for (std::size_t c = 0; c < j.cols; ++c) yt[c] += r[c] * scaled;
        }
    }
}

}  // namespace

void multiplyNormal(const Jacobian& j, std::span<const double> d, std::span<const double> x, std::span<double> y,
                    std::size_t k, int threads)
{
    assert(x.size() == j.cols * k && y.size() == j.cols * k && d.size() == j.rows);
    // Each thread sums its rows' contributions into its own copy of Y.
    std::vector<std::vector<double>> partial(shareCount(j.rows, threads) - 1, std::vector<double>(y.size(), 0.0));
    std::fill(y.begin(), y.end(), 0.0);
    shareOut(j.rows, threads, [&](std::size_t part, std::size_t first, std::size_t last) {
        addNormalRows(j, d.data(), x.data(), part == 0 ? y.data() : partial[part - 1].data(), k, first, last);
    });
    for (const std::vector<double>& p : partial)
        for (std::size_t c = 0; c < y.size(); ++c) y[c] += p[c];
}

}  // namespace vexora
