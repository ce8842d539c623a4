#include "inversion/GaussNewtonStep.h"

#include <cassert>
#include <vector>

namespace vexora {

GaussNewtonStep::GaussNewtonStep(const Jacobian& jacobian, std::span<const double> dataWeights,
                                 const BlockGrid& grid, const Regularisation& regularisation)
    : jacobian_(jacobian), weights_(dataWeights), grid_(grid), regularisation_(regularisation),
      dataDiagonal_(jacobian.cols, 0.0), roughnessDiagonal_(jacobian.cols, 0.0)
{
    assert(dataWeights.size() == jacobian.rows && grid.size() == jacobian.cols);
    for (std::size_t i = 0; i < jacobian.rows; ++i) {
        const std::span<const float> row = jacobian.row(i);
        const double w2 = weights_[i] * weights_[i];
        for (std::size_t c = 0; c < jacobian.cols; ++c) dataDiagonal_[c] += w2 * row[c] * row[c];
    }
    roughnessNormalDiagonal(grid_, regularisation_.weights, roughnessDiagonal_);
}

CgOutcome GaussNewtonStep::solve(double lambda, std::span<const double> residuals, std::span<const double> model,
                                 std::span<const double> reference, const UpdateLimits& limits,
                                 std::span<double> update) const
{
    const std::size_t n = jacobian_.cols;
    const double a = regularisation_.referenceWeight;
    std::vector<double> dataSpace(jacobian_.rows), roughness(n), rhs(n);

    // b = J^T W^2 r
    for (std::size_t i = 0; i < jacobian_.rows; ++i) dataSpace[i] = weights_[i] * weights_[i] * residuals[i];
    multiplyTransposed(jacobian_, dataSpace, rhs);
    // - lambda R^T R m
    if (regularisation_.constrainModelRoughness) {
        applyRoughnessNormal(grid_, regularisation_.weights, model, roughness);
        for (std::size_t c = 0; c < n; ++c) rhs[c] -= lambda * roughness[c];
    }
    // - lambda a (m - m_ref)
    if (a > 0)
        for (std::size_t c = 0; c < n; ++c) rhs[c] -= lambda * a * (model[c] - reference[c]);

    auto apply = [&](std::span<const double> x, std::span<double> y) {
        multiply(jacobian_, x, dataSpace);
        for (std::size_t i = 0; i < jacobian_.rows; ++i) dataSpace[i] *= weights_[i] * weights_[i];
        multiplyTransposed(jacobian_, dataSpace, y);
        applyRoughnessNormal(grid_, regularisation_.weights, x, roughness);
        for (std::size_t c = 0; c < n; ++c) y[c] += lambda * (roughness[c] + a * x[c]);
    };
    auto precondition = [&](std::span<const double> r, std::span<double> z) {
        for (std::size_t c = 0; c < n; ++c) {
            const double d = dataDiagonal_[c] + lambda * (roughnessDiagonal_[c] + a);
            z[c] = d > 0 ? r[c] / d : r[c];
        }
    };
    std::fill(update.begin(), update.end(), 0.0);
    return conjugateGradient(apply, precondition, rhs, update, limits.tolerance, limits.maxIterations);
}

}  // namespace vexora
