#include "engine/inversion/ModelResolution.h"

#include <algorithm>
#include <random>

namespace vexora {

ResolutionEstimate resolutionDiagonal(const Jacobian& j, std::span<const double> dataWeights, const BlockGrid& grid,
                                      const ResolutionOptions& options)
{
    ResolutionEstimate estimate;
    const std::size_t n = grid.size();
    if (n == 0 || j.cols != n || dataWeights.size() != j.rows) return estimate;
    const std::size_t p = std::max<std::size_t>(options.colours, 1);
    const std::size_t px = std::min(p, grid.nx), py = std::min(p, grid.ny), pz = std::min(p, grid.nz);
    estimate.exact = px == grid.nx && py == grid.ny && pz == grid.nz;
    estimate.diagonal.assign(n, 0.0);

    // Res v is the update for residuals J v about m = 0 with the model's own
    // roughness and any reference left out: b = J^T W^2 J v.
    Regularisation regularisation;
    regularisation.weights = options.weights;
    regularisation.constrainModelRoughness = false;
    const GaussNewtonStep step(j, dataWeights, grid, regularisation, options.threads);
    const std::vector<double> lambdas = {options.lambda}, zero(n, 0.0);
    std::mt19937 rng(options.seed);
    std::vector<double> probe(n), residuals(j.rows);
    std::vector<std::vector<double>> updates;
    for (std::size_t cz = 0; cz < pz; ++cz)
        for (std::size_t cy = 0; cy < py; ++cy)
            for (std::size_t cx = 0; cx < px; ++cx) {
                std::fill(probe.begin(), probe.end(), 0.0);
                for (std::size_t iz = cz; iz < grid.nz; iz += pz)
                    for (std::size_t iy = cy; iy < grid.ny; iy += py)
                        for (std::size_t ix = cx; ix < grid.nx; ix += px)
                            probe[grid.index(ix, iy, iz)] = (rng() & 1u) ? 1.0 : -1.0;
                multiply(j, probe, residuals, 1, options.threads);
                const CgOutcome outcome = step.solve(lambdas, residuals, zero, zero, options.limits, updates).front();
                estimate.worstIterations = std::max(estimate.worstIterations, outcome.iterations);
                for (std::size_t b = 0; b < n; ++b)
                    if (probe[b] != 0) estimate.diagonal[b] = probe[b] * updates.front()[b];
                ++estimate.probes;
            }
    return estimate;
}

}  // namespace vexora
