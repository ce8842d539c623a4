#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "engine/inversion/DataMisfit.h"
#include "engine/inversion/GaussNewtonStep.h"
#include "engine/inversion/ModelResolution.h"
#include "engine/inversion/RoughnessTrials.h"

namespace vexora {
namespace {

std::vector<double> randomVector(std::size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::normal_distribution<double> normal;
    std::vector<double> v(n);
    for (double& x : v) x = normal(rng);
    return v;
}

TEST(Roughness, NormalOperatorMatchesTheNormAndVanishesOnConstants)
{
    const BlockGrid grid{4, 3, 5};
    const RoughnessWeights weights{1.0, 0.5, 0.1};
    const std::vector<double> m = randomVector(grid.size(), 1);
    std::vector<double> rtr(grid.size());
    applyRoughnessNormal(grid, weights, m, rtr);
    double quadratic = 0;
    for (std::size_t i = 0; i < m.size(); ++i) quadratic += m[i] * rtr[i];
    EXPECT_NEAR(quadratic, roughnessNorm(grid, weights, m), 1e-10);

    // Pairs: x 3*3*5, y 4*2*5, z 4*3*4; the norm of a unit ramp along z counts only z pairs.
    std::vector<double> ramp(grid.size());
    for (std::size_t iz = 0; iz < grid.nz; ++iz)
        for (std::size_t iy = 0; iy < grid.ny; ++iy)
            for (std::size_t ix = 0; ix < grid.nx; ++ix) ramp[grid.index(ix, iy, iz)] = static_cast<double>(iz);
    EXPECT_NEAR(roughnessNorm(grid, weights, ramp), 0.1 * 4 * 3 * 4, 1e-12);

    const std::vector<double> constant(grid.size(), 3.7);
    applyRoughnessNormal(grid, weights, constant, rtr);
    for (double v : rtr) EXPECT_NEAR(v, 0.0, 1e-12);
}

// Solves the small dense system by Gaussian elimination, independently of CG.
std::vector<double> solveDense(std::vector<std::vector<double>> a, std::vector<double> b)
{
    const std::size_t n = b.size();
    for (std::size_t k = 0; k < n; ++k)
        for (std::size_t i = k + 1; i < n; ++i) {
            const double f = a[i][k] / a[k][k];
            for (std::size_t j = k; j < n; ++j) a[i][j] -= f * a[k][j];
            b[i] -= f * b[k];
        }
    std::vector<double> x(n);
    for (std::size_t k = n; k-- > 0;) {
        double s = b[k];
        for (std::size_t j = k + 1; j < n; ++j) s -= a[k][j] * x[j];
        x[k] = s / a[k][k];
    }
    return x;
}

struct StepCase {
    const char* name;
    bool constrainModel;
    double referenceWeight;
    double lambda;
};

// The dense normal matrices of a small problem, column by column:
// J^T W^2 J and R^T R.
struct DenseNormal {
    std::vector<std::vector<double>> data, roughness;
};

DenseNormal denseNormal(const Jacobian& j, const std::vector<double>& w, const BlockGrid& grid,
                        const RoughnessWeights& weights)
{
    const std::size_t n = j.cols;
    DenseNormal normal{std::vector<std::vector<double>>(n, std::vector<double>(n)),
                       std::vector<std::vector<double>>(n, std::vector<double>(n))};
    for (std::size_t col = 0; col < n; ++col) {
        std::vector<double> e(n, 0.0), rtr(n);
        e[col] = 1;
        applyRoughnessNormal(grid, weights, e, rtr);
        for (std::size_t row = 0; row < n; ++row) {
            double s = 0;
            for (std::size_t i = 0; i < j.rows; ++i) s += j.values[i * n + row] * w[i] * w[i] * j.values[i * n + col];
            normal.data[row][col] = s;
            normal.roughness[row][col] = rtr[row];
        }
    }
    return normal;
}

TEST(GaussNewtonStep, SolvesTheRegularisedNormalEquations)
{
    const BlockGrid grid{3, 2, 2};
    const std::size_t n = grid.size(), data = 20;
    Jacobian j{data, n, {}};
    const std::vector<double> jv = randomVector(data * n, 2);
    j.values.assign(jv.begin(), jv.end());
    const std::vector<double> w = [&] {
        std::vector<double> v = randomVector(data, 3);
        for (double& x : v) x = 1.0 + std::abs(x);
        return v;
    }();
    const std::vector<double> r = randomVector(data, 4), m = randomVector(n, 5), ref = randomVector(n, 6);
    const RoughnessWeights weights{1.0, 1.0, 0.1};

    for (const StepCase& c : {StepCase{"dm and m", true, 0.0, 10.0}, StepCase{"dm only", false, 0.0, 1.0},
                              StepCase{"reference", true, 0.05, 3.0}}) {
        SCOPED_TRACE(c.name);
        // A = J^T W^2 J + lambda (R^T R + a I).
        const DenseNormal normal = denseNormal(j, w, grid, weights);
        std::vector<std::vector<double>> a(n, std::vector<double>(n));
        for (std::size_t col = 0; col < n; ++col)
            for (std::size_t row = 0; row < n; ++row)
                a[row][col] = normal.data[row][col] +
                              c.lambda * (normal.roughness[row][col] + (row == col ? c.referenceWeight : 0.0));
        std::vector<double> b(n, 0.0), rtrm(n);
        applyRoughnessNormal(grid, weights, m, rtrm);
        for (std::size_t row = 0; row < n; ++row) {
            for (std::size_t i = 0; i < data; ++i) b[row] += j.values[i * n + row] * w[i] * w[i] * r[i];
            if (c.constrainModel) b[row] -= c.lambda * rtrm[row];
            b[row] -= c.lambda * c.referenceWeight * (m[row] - ref[row]);
        }
        const std::vector<double> expected = solveDense(a, b);

        // Solved beside a trial of another roughness factor, as the inversion does.
        const GaussNewtonStep step(j, w, grid, Regularisation{weights, c.constrainModel, c.referenceWeight}, 2);
        std::vector<std::vector<double>> dm;
        const std::vector<double> lambdas{c.lambda * 10, c.lambda};
        const std::vector<CgOutcome> outcome = step.solve(lambdas, r, m, ref, UpdateLimits{200, 1e-12}, dm);
        EXPECT_TRUE(outcome[0].converged && outcome[1].converged);
        for (std::size_t k = 0; k < n; ++k)
            EXPECT_NEAR(dm[1][k], expected[k], 1e-6 * (1 + std::abs(expected[k])));
    }
}

TEST(GaussNewtonStep, StopsAtTheIterationLimit)
{
    const BlockGrid grid{10, 10, 4};
    Jacobian j{50, grid.size(), {}};
    const std::vector<double> jv = randomVector(50 * grid.size(), 7);
    j.values.assign(jv.begin(), jv.end());
    const std::vector<double> w(50, 1.0), r = randomVector(50, 8), m(grid.size(), 0.0);
    const GaussNewtonStep step(j, w, grid, Regularisation{});
    std::vector<std::vector<double>> dm;
    const std::vector<double> lambdas{1e-3};
    const std::vector<CgOutcome> outcome = step.solve(lambdas, r, m, m, UpdateLimits{3, 1e-12}, dm);
    EXPECT_EQ(outcome[0].iterations, 3);
    EXPECT_FALSE(outcome[0].converged);
}

struct ResolutionCase {
    const char* name;
    BlockGrid grid;
    std::size_t colours;
    double lambda;
    bool exact;
    double meanError, worstError;  // allowed, against the dense diagonal
};

// The probed diagonal of the resolution matrix against the dense one,
// (J^T J + lambda R^T R)^-1 J^T J solved column by column by elimination.
// The Jacobian is a survey's: each datum sees a bump of blocks whose
// sensitivity fades with depth, so the resolution kernels are local as
// they are under electrodes.
TEST(ModelResolution, ProbedDiagonalMatchesTheDenseResolutionMatrix)
{
    for (const ResolutionCase& c :
         {ResolutionCase{"each probe one block", {3, 2, 2}, 4, 0.01, true, 1e-6, 1e-6},
          ResolutionCase{"coloured probes, rough", {9, 3, 4}, 3, 0.01, false, 0.04, 0.15},
          ResolutionCase{"coloured probes, smooth", {9, 3, 4}, 3, 1.0, false, 0.04, 0.15}}) {
        SCOPED_TRACE(c.name);
        const BlockGrid& grid = c.grid;
        const std::size_t n = grid.size(), data = 3 * n;
        Jacobian j{data, n, {}};
        j.values.resize(data * n);
        std::mt19937 rng(21);
        std::uniform_real_distribution<double> at(0.0, 1.0);
        for (std::size_t i = 0; i < data; ++i) {
            const double x = at(rng) * grid.nx, y = at(rng) * grid.ny, width = 1 + 2 * at(rng);
            for (std::size_t iz = 0; iz < grid.nz; ++iz)
                for (std::size_t iy = 0; iy < grid.ny; ++iy)
                    for (std::size_t ix = 0; ix < grid.nx; ++ix) {
                        const double dx = (ix + 0.5 - x) / width, dy = (iy + 0.5 - y) / width;
                        j.values[i * n + grid.index(ix, iy, iz)] = static_cast<float>(
                            std::exp(-dx * dx - dy * dy - static_cast<double>(iz) / width));
                    }
        }
        const std::vector<double> w(data, 1.0);
        const RoughnessWeights weights;
        const DenseNormal normal = denseNormal(j, w, grid, weights);
        std::vector<std::vector<double>> a(n, std::vector<double>(n));
        for (std::size_t col = 0; col < n; ++col)
            for (std::size_t row = 0; row < n; ++row)
                a[row][col] = normal.data[row][col] + c.lambda * normal.roughness[row][col];
        std::vector<double> dense(n);
        for (std::size_t col = 0; col < n; ++col) {
            std::vector<double> b(n);
            for (std::size_t row = 0; row < n; ++row) b[row] = normal.data[row][col];
            dense[col] = solveDense(a, b)[col];
        }

        ResolutionOptions options;
        options.lambda = c.lambda;
        options.colours = c.colours;
        options.limits = UpdateLimits{500, 1e-10};
        const ResolutionEstimate got = resolutionDiagonal(j, w, grid, options);
        EXPECT_EQ(got.exact, c.exact);
        EXPECT_EQ(got.probes, std::min<std::size_t>(c.colours, grid.nx) * std::min<std::size_t>(c.colours, grid.ny) *
                                  std::min<std::size_t>(c.colours, grid.nz));
        ASSERT_EQ(got.diagonal.size(), n);
        double mean = 0, worst = 0;
        for (std::size_t b = 0; b < n; ++b) {
            mean += std::abs(got.diagonal[b] - dense[b]) / static_cast<double>(n);
            worst = std::max(worst, std::abs(got.diagonal[b] - dense[b]));
        }
        EXPECT_LE(mean, c.meanError);
        EXPECT_LE(worst, c.worstError);
    }
}

struct ProductCase {
    std::size_t rows, cols;  // odd, and wider than a column tile
};

// The products against plain double loops, for every k and thread count;
// two threads must give the very same numbers as one.
TEST(Jacobian, ProductsMatchPlainLoops)
{
    for (const ProductCase c : {ProductCase{1, 3}, ProductCase{7, 33001}, ProductCase{13, 8197}}) {
        Jacobian j{c.rows, c.cols, {}};
        const std::vector<double> jv = randomVector(c.rows * c.cols, 9);
        j.values.assign(jv.begin(), jv.end());
        const std::vector<double> d = randomVector(c.rows, 10);
        std::vector<double> squares(c.cols);
        for (std::size_t col = 0; col < c.cols; ++col)
            for (std::size_t i = 0; i < c.rows; ++i) squares[col] += d[i] * j.values[i * c.cols + col] * j.values[i * c.cols + col];
        for (std::size_t k = 1; k <= 5; ++k) {
            const std::vector<double> x = randomVector(c.cols * k, 11), y = randomVector(c.rows * k, 12);
            std::vector<double> jx(c.rows * k, 0.0), jty(c.cols * k, 0.0), normal(c.cols * k, 0.0);
            for (std::size_t t = 0; t < k; ++t)
                for (std::size_t i = 0; i < c.rows; ++i)
                    for (std::size_t col = 0; col < c.cols; ++col) {
                        const double e = j.values[i * c.cols + col];
                        jx[t * c.rows + i] += e * x[t * c.cols + col];
                        jty[t * c.cols + col] += e * y[t * c.rows + i];
                    }
            for (std::size_t t = 0; t < k; ++t)
                for (std::size_t i = 0; i < c.rows; ++i)
                    for (std::size_t col = 0; col < c.cols; ++col)
                        normal[t * c.cols + col] += j.values[i * c.cols + col] * d[i] * jx[t * c.rows + i];
            auto expectNear = [](const std::vector<double>& got, const std::vector<double>& want, double scale) {
                ASSERT_EQ(got.size(), want.size());
                for (std::size_t e = 0; e < got.size(); ++e) ASSERT_NEAR(got[e], want[e], 1e-11 * scale) << e;
            };
            std::vector<std::vector<double>> results;
            for (int threads : {1, 2}) {
                SCOPED_TRACE(::testing::Message() << c.rows << " x " << c.cols << ", k " << k << ", threads " << threads);
                std::vector<double> gotJx(jx.size()), gotJty(jty.size()), gotNormal(normal.size()), gotSquares(c.cols);
                multiply(j, x, gotJx, k, threads);
                multiplyTransposed(j, y, gotJty, k, threads);
                multiplyNormal(j, d, x, gotNormal, k, threads);
                weightedColumnSquares(j, d, gotSquares, threads);
                expectNear(gotJx, jx, std::sqrt(static_cast<double>(c.cols)));
                expectNear(gotJty, jty, std::sqrt(static_cast<double>(c.rows)));
                expectNear(gotNormal, normal, static_cast<double>(c.rows * c.cols));
                expectNear(gotSquares, squares, static_cast<double>(c.rows));
                results.push_back(gotNormal);
                results.back().insert(results.back().end(), gotJx.begin(), gotJx.end());
            }
            EXPECT_EQ(results[0], results[1]);
        }
    }
}

// J, the factor and the batches of right-hand sides come from here: a large
// buffer starts on a huge page, a vector of it starts at zero, and a size
// that rounds up past the address space is refused rather than wrapped to
// a small buffer.
TEST(LargeMemory, AlignsZeroesAndRefusesTheImpossible)
{
    constexpr std::size_t kHuge = std::size_t{2} << 20;
    void* p = tryAllocateLarge(5 * kHuge + 3);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % kHuge, 0u);
    static_cast<char*>(p)[5 * kHuge + 2] = 1;
    freeLarge(p);
    const LargeVector<double> zeros(3 * kHuge / sizeof(double));
    EXPECT_EQ(std::count(zeros.begin(), zeros.end(), 0.0), static_cast<std::ptrdiff_t>(zeros.size()));
    EXPECT_EQ(tryAllocateLarge(std::numeric_limits<std::size_t>::max() - 8), nullptr);
    EXPECT_THROW(allocateLarge(std::numeric_limits<std::size_t>::max() / 2), std::bad_alloc);
}

struct TrialCase {
    const char* name;
    std::vector<double> chiSquared;  // for lambda 100, 10, 1, 0.1
    double current;
    std::size_t chosen;
};

TEST(RoughnessTrials, ChoosesTheSmoothestAcceptableTrial)
{
    const std::vector<double> lambdas = roughnessTrialFactors(100, 10, 4);
    ASSERT_EQ(lambdas, (std::vector<double>{100, 10, 1, 0.1}));
    const TrialCase cases[] = {
        {"noise level reached by two: the smoother one", {5.0, 0.95, 0.7, 0.6}, 10.0, 1},
        {"no trial fits: the smoothest lowering chi2 by 10%", {9.5, 8.9, 4.0, 3.0}, 10.0, 1},
        {"none lowers by 10%: the smallest misfit", {12.0, 11.0, 9.5, 9.8}, 10.0, 2},
        {"all worse than now: still the smallest", {30.0, 20.0, 15.0, 18.0}, 10.0, 2},
    };
    for (const TrialCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<RoughnessTrial> trials;
        for (std::size_t t = 0; t < lambdas.size(); ++t) trials.push_back({lambdas[t], c.chiSquared[t]});
        EXPECT_EQ(chooseRoughnessTrial(trials, c.current, 0.9), c.chosen);
    }
}

struct JudgedStep {
    const char* name;
    double before, after, lambda;
    int retries;
    StepVerdict verdict;
    double nextLambda;
    int nextRetries;
};

// A stalled step (less than 1 % lower, or no step accepted: infinity) halves
// the roughness factor and goes on, three times in a row at most.
TEST(RoughnessTrials, AStalledStepLowersTheRoughnessAndGoesOn)
{
    const double none = std::numeric_limits<double>::infinity();
    const JudgedStep cases[] = {
        {"2 % lower: improved, retries reset", 10.0, 9.8, 4.0, 2, StepVerdict::Improved, 4.0, 0},
        {"0.5 % lower: halved", 10.0, 9.95, 4.0, 0, StepVerdict::Retry, 2.0, 1},
        {"no step accepted: halved", 10.0, none, 2.0, 1, StepVerdict::Retry, 1.0, 2},
        {"third stall in a row: halved once more", 10.0, 10.0, 1.0, 2, StepVerdict::Retry, 0.5, 3},
        {"fourth stall: stop", 10.0, 9.99, 0.5, 3, StepVerdict::Stop, 0.5, 3},
    };
    for (const JudgedStep& c : cases) {
        SCOPED_TRACE(c.name);
        const StepJudgement j = judgeStep(c.before, c.after, c.lambda, c.retries);
        EXPECT_EQ(j.verdict, c.verdict);
        EXPECT_EQ(j.lambda, c.nextLambda);
        EXPECT_EQ(j.retries, c.nextRetries);
    }
    EXPECT_TRUE(atNoiseLevel(1.0));
    EXPECT_TRUE(atNoiseLevel(1.009));
    EXPECT_FALSE(atNoiseLevel(1.02));
}

TEST(DataMisfit, ErrorsWeightsAndStatistics)
{
    const std::vector<double> resistance{2.0, -0.5, 10.0, 0.0};
    std::size_t fallbacks = 0;
    const std::vector<double> fromModel = relativeErrors(resistance, {}, ErrorModel{5, 0.01}, fallbacks);
    EXPECT_NEAR(fromModel[0], 0.055, 1e-12);
    EXPECT_NEAR(fromModel[1], 0.07, 1e-12);
    EXPECT_NEAR(fromModel[2], 0.051, 1e-12);
    EXPECT_NEAR(fromModel[3], 1.05, 1e-12);  // no reading: an error that gives it no weight to speak of
    EXPECT_EQ(fallbacks, 0u);

    const std::vector<double> std{0.2, 0.0, -1.0, 0.1};
    const std::vector<double> mixed = relativeErrors(resistance, std, ErrorModel{5, 0.01}, fallbacks);
    EXPECT_NEAR(mixed[0], 0.1, 1e-12);
    EXPECT_NEAR(mixed[1], 0.07, 1e-12);
    EXPECT_NEAR(mixed[2], 0.051, 1e-12);
    EXPECT_EQ(fallbacks, 3u);

    const std::vector<double> residuals{0.01, -0.5, 0.03}, errors{0.05, 0.05, 0.05};
    const std::vector<double> factors = robustFactors(residuals, errors);
    EXPECT_DOUBLE_EQ(factors[0], 1.0);
    EXPECT_NEAR(factors[1], 2.0 / 10.0, 1e-12);
    EXPECT_DOUBLE_EQ(factors[2], 1.0);

    const std::vector<double> w{20, 20, 20};
    EXPECT_NEAR(chiSquared(residuals, w), (0.04 + 100.0 + 0.36) / 3, 1e-9);
    EXPECT_NEAR(rmsPercent(residuals), 100 * std::sqrt((1e-4 + 0.25 + 9e-4) / 3), 1e-9);
}

}  // namespace
}  // namespace vexora
