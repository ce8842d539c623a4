#include "engine/inversion/GaussNewtonStep.h"

#include <cassert>
#include <cmath>

namespace vexora {

GaussNewtonStep::GaussNewtonStep(const Jacobian& jacobian, std::span<const double> dataWeights,
                                 const BlockGrid& grid, const Regularisation& regularisation, int threads,
                                 const Ranks& ranks)
    : jacobian_(jacobian), weights_(dataWeights), grid_(grid), regularisation_(regularisation), threads_(threads),
      ranks_(ranks), dataDiagonal_(jacobian.cols, 0.0), roughnessDiagonal_(jacobian.cols, 0.0)
{
    assert(dataWeights.size() == jacobian.rows && grid.size() == jacobian.cols);
    std::vector<double> squaredWeights(jacobian.rows);
    for (std::size_t i = 0; i < jacobian.rows; ++i) squaredWeights[i] = weights_[i] * weights_[i];
    weightedColumnSquares(jacobian, squaredWeights, dataDiagonal_, threads);
    ranks_.sum(dataDiagonal_);
    roughnessNormalDiagonal(grid_, regularisation_.weights, roughnessDiagonal_);
}

std::vector<CgOutcome> GaussNewtonStep::solve(std::span<const double> lambdas, std::span<const double> residuals,
                                              std::span<const double> model, std::span<const double> reference,
                                              const UpdateLimits& limits,
                                              std::vector<std::vector<double>>& updates,
                                              const std::function<void(int)>& onIteration) const
{
    const std::size_t n = jacobian_.cols, data = jacobian_.rows, k = lambdas.size();
    const double a = regularisation_.referenceWeight;
    std::vector<double> squaredWeights(data), roughness(n);
    for (std::size_t i = 0; i < data; ++i) squaredWeights[i] = weights_[i] * weights_[i];

    // b_t = J^T W^2 r - lambda_t R^T R m [dm and m] - lambda_t a (m - m_ref)
    std::vector<double> common(n), weighted(data);
    for (std::size_t i = 0; i < data; ++i) weighted[i] = weights_[i] * weights_[i] * residuals[i];
    multiplyTransposed(jacobian_, weighted, common, 1, threads_);
    ranks_.sum(common);
    if (regularisation_.constrainModelRoughness) applyRoughnessNormal(grid_, regularisation_.weights, model, roughness);
    std::vector<double> b(n * k);
    for (std::size_t c = 0; c < n; ++c)
        for (std::size_t t = 0; t < k; ++t) {
            double v = common[c];
            if (regularisation_.constrainModelRoughness) v -= lambdas[t] * roughness[c];
            if (a > 0) v -= lambdas[t] * a * (model[c] - reference[c]);
            b[t * n + c] = v;
        }

    // q_t = (J^T W^2 J + lambda_t (R^T R + a I)) p_t for all t.
    auto apply = [&](const std::vector<double>& p, std::vector<double>& q) {
        multiplyNormal(jacobian_, squaredWeights, p, q, k, threads_);
        ranks_.sum(q);
        for (std::size_t t = 0; t < k; ++t) {
            const std::span<const double> pt(p.data() + t * n, n);
            applyRoughnessNormal(grid_, regularisation_.weights, pt, roughness);
            for (std::size_t c = 0; c < n; ++c) q[t * n + c] += lambdas[t] * (roughness[c] + a * pt[c]);
        }
    };
    auto precondition = [&](const std::vector<double>& r, std::vector<double>& z) {
        for (std::size_t t = 0; t < k; ++t)
            for (std::size_t c = 0; c < n; ++c) {
                const double d = dataDiagonal_[c] + lambdas[t] * (roughnessDiagonal_[c] + a);
                z[t * n + c] = d > 0 ? r[t * n + c] / d : r[t * n + c];
            }
    };
    auto dots = [&](const std::vector<double>& u, const std::vector<double>& v) {
        std::vector<double> s(k, 0.0);
        for (std::size_t t = 0; t < k; ++t)
            for (std::size_t c = 0; c < n; ++c) s[t] += u[t * n + c] * v[t * n + c];
        return s;
    };

    // Preconditioned CG from x = 0, one recurrence per roughness factor; a
    // converged recurrence stops moving while the others go on.
    std::vector<double> x(n * k, 0.0), r = b, z(n * k), p(n * k), q(n * k);
    precondition(r, z);
    p = z;
    std::vector<double> rz = dots(r, z);
    const std::vector<double> bNorm2 = dots(b, b);
    std::vector<CgOutcome> outcome(k);
    std::vector<bool> active(k, true);
    for (int iteration = 0;; ++iteration) {
        const std::vector<double> rr = dots(r, r);
        bool any = false;
        for (std::size_t t = 0; t < k; ++t) {
            if (!active[t]) continue;
            outcome[t].relativeResidual = bNorm2[t] > 0 ? std::sqrt(rr[t] / bNorm2[t]) : 0.0;
            if (outcome[t].relativeResidual <= limits.tolerance) outcome[t].converged = true;
            if (outcome[t].converged || iteration >= limits.maxIterations) active[t] = false;
            any = any || active[t];
        }
        if (!any) break;
        apply(p, q);
        const std::vector<double> pq = dots(p, q);
        std::vector<double> alpha(k, 0.0);
        for (std::size_t t = 0; t < k; ++t) {
            if (!active[t]) continue;
            if (!(pq[t] > 0)) {  // not positive definite along p: keep the last iterate
                active[t] = false;
                continue;
            }
            alpha[t] = rz[t] / pq[t];
            ++outcome[t].iterations;
        }
        for (std::size_t t = 0; t < k; ++t)
            for (std::size_t c = 0; c < n; ++c) {
                x[t * n + c] += alpha[t] * p[t * n + c];
                r[t * n + c] -= alpha[t] * q[t * n + c];
            }
        precondition(r, z);
        const std::vector<double> rzNext = dots(r, z);
        for (std::size_t t = 0; t < k; ++t)
            if (active[t])
                for (std::size_t c = 0; c < n; ++c) p[t * n + c] = z[t * n + c] + rzNext[t] / rz[t] * p[t * n + c];
        rz = rzNext;
        if (onIteration) onIteration(iteration + 1);
    }

    updates.resize(k);
    for (std::size_t t = 0; t < k; ++t) updates[t].assign(x.begin() + t * n, x.begin() + (t + 1) * n);
    return outcome;
}

}  // namespace vexora
