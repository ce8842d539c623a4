#include "engine/inversion/Jacobian.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "engine/Lanes.h"
#include "engine/VectorClones.h"
#include "engine/inversion/ShareOut.h"

namespace vexora {

namespace {

// A row of J is far longer than a cache holds, while the vectors of a product
// are k times longer still in double: streaming them once per row made the
// products cost the vectors' traffic, not J's. So both products go through
// column tiles: the tile of all k vectors stays in the core's L2 while the
// rows pass it, and J itself is the only thing read from memory.
//
//   rows pass:    v_i = J_i X, tile after tile, rows shared out to threads;
//   columns pass: Y = J^T V, each thread owning whole tiles of columns.
//
// Up to four vectors go through a kernel at once, in registers with a few
// rows together, so each loaded float of J serves every vector and row pair.

constexpr std::size_t kMaxVectors = 4;
constexpr std::size_t kTileBytes = 256 * 1024;  // of the k vectors' tile: a quarter of L2

// Columns per tile for kc vectors, a multiple of the lane count.
std::size_t tileColumns(std::size_t kc)
{
    return std::max<std::size_t>(kTileBytes / (sizeof(double) * kc) / 4 * 4, 64);
}

__attribute__((always_inline)) inline Lanes loadVector(const double* p)
{
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

__attribute__((always_inline)) inline void storeVector(double* p, Lanes v) { std::memcpy(p, &v, sizeof v); }

// out[r * stride + t] += J_r[c0, c1) . x_t[c0, c1) for R rows and K vectors.
template <std::size_t K, std::size_t R>
__attribute__((always_inline)) inline void dotTile(const float* const* rows, const double* x, std::size_t n,
                                                   std::size_t c0, std::size_t c1, double* out, std::size_t stride)
{
    Lanes acc[R][K] = {};
    std::size_t c = c0;
    for (; c + 4 <= c1; c += 4) {
        Lanes xs[K], js[R];
        #pragma GCC unroll 16
        for (std::size_t t = 0; t < K; ++t) xs[t] = loadVector(x + t * n + c);
        #pragma GCC unroll 16
        for (std::size_t r = 0; r < R; ++r) js[r] = loadFloats(rows[r] + c);
        #pragma GCC unroll 16
        for (std::size_t r = 0; r < R; ++r)
            #pragma GCC unroll 16
            for (std::size_t t = 0; t < K; ++t) acc[r][t] += js[r] * xs[t];
    }
    #pragma GCC unroll 16
    for (std::size_t r = 0; r < R; ++r)
        #pragma GCC unroll 16
        for (std::size_t t = 0; t < K; ++t) {
            double sum = (acc[r][t][0] + acc[r][t][1]) + (acc[r][t][2] + acc[r][t][3]);
            for (std::size_t e = c; e < c1; ++e) sum += rows[r][e] * x[t * n + e];
            out[r * stride + t] += sum;
        }
}

// y_t[c0, c1) += sum_r J_r[c0, c1) v[r * stride + t], rows added in order.
template <std::size_t K, std::size_t R>
__attribute__((always_inline)) inline void axpyTile(const float* const* rows, const double* v, std::size_t stride,
                                                    std::size_t c0, std::size_t c1, double* y, std::size_t n)
{
    Lanes a[R][K];
    #pragma GCC unroll 16
    for (std::size_t r = 0; r < R; ++r)
        #pragma GCC unroll 16
        for (std::size_t t = 0; t < K; ++t) a[r][t] = Lanes{} + v[r * stride + t];
    std::size_t c = c0;
    for (; c + 4 <= c1; c += 4) {
        Lanes js[R];
        #pragma GCC unroll 16
        for (std::size_t r = 0; r < R; ++r) js[r] = loadFloats(rows[r] + c);
        #pragma GCC unroll 16
        for (std::size_t t = 0; t < K; ++t) {
            Lanes s = loadVector(y + t * n + c);
            #pragma GCC unroll 16
            for (std::size_t r = 0; r < R; ++r) s += js[r] * a[r][t];
            storeVector(y + t * n + c, s);
        }
    }
    for (; c < c1; ++c)
        #pragma GCC unroll 16
        for (std::size_t t = 0; t < K; ++t) {
            double s = y[t * n + c];
            #pragma GCC unroll 16
            for (std::size_t r = 0; r < R; ++r) s += rows[r][c] * v[r * stride + t];
            y[t * n + c] = s;
        }
}

// out[first, last) += sum_i w_i J_i^2, tile by tile so out stays in cache.
VEXORA_VECTOR_CLONES
void squaresPass(const Jacobian& j, const double* w, double* out, std::size_t first, std::size_t last)
{
    const std::size_t width = tileColumns(1);
    for (std::size_t c0 = first; c0 < last; c0 += width) {
        const std::size_t c1 = std::min(last, c0 + width);
        for (std::size_t i = 0; i < j.rows; ++i) {
            const float* r = j.values.data() + i * j.cols;
            const double wi = w[i];
            for (std::size_t c = c0; c < c1; ++c) out[c] += wi * (static_cast<double>(r[c]) * r[c]);
        }
    }
}

// Rows taken together per kernel call. In the rows pass: enough independent
// sums to hide the latency of an add, few enough that the sums and factors
// stay in registers. In the columns pass each y_t load and store serves all
// of them, and those stores, not the arithmetic, are its limit.
constexpr std::size_t groupRows(std::size_t k) { return k <= 2 ? 4 : 2; }
constexpr std::size_t kColumnsPassRows = 4;

template <std::size_t K>
__attribute__((always_inline)) inline void rowsPassFor(const Jacobian& j, const double* x, double* v,
                                                       std::size_t stride, std::size_t first, std::size_t last)
{
    constexpr std::size_t R = groupRows(K);
    const std::size_t width = tileColumns(K);
    for (std::size_t c0 = 0; c0 < j.cols; c0 += width) {
        const std::size_t c1 = std::min(j.cols, c0 + width);
        std::size_t i = first;
        for (; i + R <= last; i += R) {
            const float* rows[R];
            for (std::size_t r = 0; r < R; ++r) rows[r] = j.values.data() + (i + r) * j.cols;
            dotTile<K, R>(rows, x, j.cols, c0, c1, v + i * stride, stride);
        }
        for (; i < last; ++i) {
            const float* rows[1] = {j.values.data() + i * j.cols};
            dotTile<K, 1>(rows, x, j.cols, c0, c1, v + i * stride, stride);
        }
    }
}

template <std::size_t K>
__attribute__((always_inline)) inline void columnsPassFor(const Jacobian& j, const double* v, std::size_t stride,
                                                          double* y, std::size_t first, std::size_t last)
{
    constexpr std::size_t R = kColumnsPassRows;
    const std::size_t width = tileColumns(K);
    for (std::size_t c0 = first; c0 < last; c0 += width) {
        const std::size_t c1 = std::min(last, c0 + width);
        std::size_t i = 0;
        for (; i + R <= j.rows; i += R) {
            const float* rows[R];
            for (std::size_t r = 0; r < R; ++r) rows[r] = j.values.data() + (i + r) * j.cols;
            axpyTile<K, R>(rows, v + i * stride, stride, c0, c1, y, j.cols);
        }
        for (; i < j.rows; ++i) {
            const float* rows[1] = {j.values.data() + i * j.cols};
            axpyTile<K, 1>(rows, v + i * stride, stride, c0, c1, y, j.cols);
        }
    }
}

// v[i * stride + t] += J_i x_t for rows [first, last) and kc <= 4 vectors.
VEXORA_VECTOR_CLONES
void rowsPass(const Jacobian& j, const double* x, std::size_t kc, double* v, std::size_t stride, std::size_t first,
              std::size_t last)
{
    switch (kc) {
    case 1: return rowsPassFor<1>(j, x, v, stride, first, last);
    case 2: return rowsPassFor<2>(j, x, v, stride, first, last);
    case 3: return rowsPassFor<3>(j, x, v, stride, first, last);
    default: return rowsPassFor<4>(j, x, v, stride, first, last);
    }
}

// y_t[first, last) += sum_i J_i v[i * stride + t] for kc <= 4 vectors.
VEXORA_VECTOR_CLONES
void columnsPass(const Jacobian& j, const double* v, std::size_t kc, std::size_t stride, double* y, std::size_t first,
                 std::size_t last)
{
    switch (kc) {
    case 1: return columnsPassFor<1>(j, v, stride, y, first, last);
    case 2: return columnsPassFor<2>(j, v, stride, y, first, last);
    case 3: return columnsPassFor<3>(j, v, stride, y, first, last);
    default: return columnsPassFor<4>(j, v, stride, y, first, last);
    }
}

// V = J X with V row by row (v[i * k + t]); each row's sums depend only on
// the tiles, so the result is the same for any thread count.
std::vector<double> rowProducts(const Jacobian& j, const double* x, std::size_t k, int threads)
{
    std::vector<double> v(j.rows * k, 0.0);
    shareOut(j.rows, threads, [&](std::size_t, std::size_t first, std::size_t last) {
        for (std::size_t t0 = 0; t0 < k; t0 += kMaxVectors)
            rowsPass(j, x + t0 * j.cols, std::min(kMaxVectors, k - t0), v.data() + t0, k, first, last);
    });
    return v;
}

// Y = J^T V, V row by row; threads own ranges of columns, whole tiles apart
// from the last, so no sums are shared.
void columnProducts(const Jacobian& j, const std::vector<double>& v, std::size_t k, double* y, int threads)
{
    std::fill(y, y + j.cols * k, 0.0);
    const std::size_t width = tileColumns(std::min(k, kMaxVectors));
    const std::size_t tiles = (j.cols + width - 1) / width;
    shareOut(tiles, threads, [&](std::size_t, std::size_t firstTile, std::size_t lastTile) {
        const std::size_t first = firstTile * width, last = std::min(j.cols, lastTile * width);
        for (std::size_t t0 = 0; t0 < k; t0 += kMaxVectors)
            columnsPass(j, v.data() + t0, std::min(kMaxVectors, k - t0), k, y + t0 * j.cols, first, last);
    });
}

}  // namespace

void multiply(const Jacobian& j, std::span<const double> x, std::span<double> y, std::size_t k, int threads)
{
    assert(x.size() == j.cols * k && y.size() == j.rows * k);
    const std::vector<double> v = rowProducts(j, x.data(), k, threads);
    for (std::size_t i = 0; i < j.rows; ++i)
        for (std::size_t t = 0; t < k; ++t) y[t * j.rows + i] = v[i * k + t];
}

void multiplyTransposed(const Jacobian& j, std::span<const double> y, std::span<double> x, std::size_t k, int threads)
{
    assert(x.size() == j.cols * k && y.size() == j.rows * k);
    std::vector<double> v(j.rows * k);
    for (std::size_t i = 0; i < j.rows; ++i)
        for (std::size_t t = 0; t < k; ++t) v[i * k + t] = y[t * j.rows + i];
    columnProducts(j, v, k, x.data(), threads);
}

void multiplyNormal(const Jacobian& j, std::span<const double> d, std::span<const double> x, std::span<double> y,
                    std::size_t k, int threads)
{
    assert(x.size() == j.cols * k && y.size() == j.cols * k && d.size() == j.rows);
    std::vector<double> v = rowProducts(j, x.data(), k, threads);
    for (std::size_t i = 0; i < j.rows; ++i)
        for (std::size_t t = 0; t < k; ++t) v[i * k + t] *= d[i];
    columnProducts(j, v, k, y.data(), threads);
}

void weightedColumnSquares(const Jacobian& j, std::span<const double> w, std::span<double> out, int threads)
{
    assert(w.size() == j.rows && out.size() == j.cols);
    std::fill(out.begin(), out.end(), 0.0);
    shareOut(j.cols, threads, [&](std::size_t, std::size_t first, std::size_t last) {
        squaresPass(j, w.data(), out.data(), first, last);
    });
}

}  // namespace vexora
