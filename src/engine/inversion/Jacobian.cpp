#include "inversion/Jacobian.h"

#include <algorithm>
#include <cassert>
#include <functional>
#include <thread>

#include "VectorClones.h"

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

// Runs work(first, last) over [0, n) split among up to `threads` threads.
template <class Work>
void shareOut(std::size_t n, int threads, Work&& work)
{
    const std::size_t count = std::clamp<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)), 1, std::max<std::size_t>(n, 1));
    std::vector<std::thread> pool;
    for (std::size_t t = 1; t < count; ++t) pool.emplace_back(work, n * t / count, n * (t + 1) / count);
    work(std::size_t{0}, n / count);
    for (std::thread& th : pool) th.join();
}

}  // namespace

void multiply(const Jacobian& j, std::span<const double> x, std::span<double> y, std::size_t k, int threads)
{
    assert(x.size() == j.cols * k && y.size() == j.rows * k);
    shareOut(j.rows, threads, [&](std::size_t first, std::size_t last) {
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
    shareOut(j.cols, threads, [&](std::size_t first, std::size_t last) {
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
    const std::size_t count = std::clamp<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)), 1,
                                                      std::max<std::size_t>(j.rows, 1));
    std::vector<std::vector<double>> partial(count - 1, std::vector<double>(y.size(), 0.0));
    std::fill(y.begin(), y.end(), 0.0);
    std::vector<std::thread> pool;
    for (std::size_t t = 1; t < count; ++t)
        pool.emplace_back(addNormalRows, std::cref(j), d.data(), x.data(), partial[t - 1].data(), k,
                          j.rows * t / count, j.rows * (t + 1) / count);
    addNormalRows(j, d.data(), x.data(), y.data(), k, 0, j.rows / count);
    for (std::thread& th : pool) th.join();
    for (const std::vector<double>& p : partial)
        for (std::size_t c = 0; c < y.size(); ++c) y[c] += p[c];
}

}  // namespace vexora
