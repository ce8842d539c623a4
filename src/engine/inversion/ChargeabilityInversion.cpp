#include "engine/inversion/ChargeabilityInversion.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/import/GeometricFactor.h"
#include "core/qc/ReciprocalCheck.h"
#include "engine/inversion/BlockGrid.h"
#include "engine/inversion/RoughnessTrials.h"

namespace vexora {

namespace {
constexpr const char* kSource = "RUNINVERSION";
constexpr double kHighestChargeability = 0.99;
}  // namespace

Status invertChargeability(const Mesh& mesh, const Models& start, const Survey& survey,
                           const InversionSettings& settings, Jacobian& jacobian, std::span<const std::size_t> rows,
                           int threads, MessageLog& log, std::vector<double>& chargeability,
                           std::vector<double>& calculatedIp)
{
    const QuadrupoleTable& table = survey.quadrupoles;
    const double scale = start.ipScale;
    if (!survey.present.ip || table.ipWindows() == 0) return log.error(kSource, "No IP data to invert.");
    if (!(scale > 0)) return log.error(kSource, "The IP scale must be positive.");

    // Data: the mean of the windows, as a fraction.
    std::vector<double> data(rows.size()), errors(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        double sum = 0;
        for (const auto& window : table.ip) sum += window[rows[r]];
        data[r] = sum / static_cast<double>(table.ipWindows()) / scale;
        errors[r] = settings.ip.errors.percent / 100.0 * std::abs(data[r]) + settings.ip.errors.constant;
        if (!(errors[r] > 0)) errors[r] = 1.0;  // a zero reading with no constant term: no weight to speak of
    }
    for (float& v : jacobian.values) v = -v;

    const BlockGrid grid = blockGrid(mesh);
    const std::size_t blocks = grid.size();
    std::vector<double> eta(blocks, 0.0), reference(blocks, 0.0);
    if (start.ip.size() == blocks)
        for (std::size_t j = 0; j < blocks; ++j)
            eta[j] = reference[j] = std::clamp(start.ip[j], 0.0, kHighestChargeability);
    const bool uniform = std::all_of(eta.begin(), eta.end(), [&](double v) { return v == eta.front(); });
    // The median of the data the start is taken from leaves skipped quadrupoles out.
    std::vector<double> apparent;
    for (std::size_t r = 0; r < rows.size(); ++r)
        if (std::isfinite(data[r]) && !(rows[r] < table.skip.size() && table.skip[rows[r]] >= 1))
            apparent.push_back(data[r]);
    char line[200];
    if (settings.startFromData && !start.ipImported && uniform && !apparent.empty()) {
        const double median = std::clamp(medianOf(apparent), 0.0, kHighestChargeability);
        std::fill(eta.begin(), eta.end(), median);
        reference = eta;
        std::snprintf(line, sizeof line,
                      "IP starting model: median apparent chargeability %.4g (IP scale %g; %.4g as a fraction)%s",
                      median * scale, scale, median, kLineBreak);
        log.subWriteToTextBox(line);
    }

    std::vector<double> predicted(rows.size()), residual(rows.size()), weights(rows.size());
    auto refresh = [&] {
        multiply(jacobian, eta, predicted, 1, threads);
        for (std::size_t r = 0; r < rows.size(); ++r) residual[r] = data[r] - predicted[r];
    };
    refresh();
    std::vector<double> robust(rows.size(), 1.0);
    auto currentWeights = [&] {
        for (std::size_t r = 0; r < rows.size(); ++r) weights[r] = robust[r] / errors[r];
    };
    currentWeights();
    double chi2 = chiSquared(residual, weights);
    auto rms = [&] {
        double sum = 0;
        for (double v : residual) sum += v * v;
        return std::sqrt(sum / static_cast<double>(std::max<std::size_t>(rows.size(), 1))) * scale;
    };
    std::snprintf(line, sizeof line, "IP iteration 0: RMS %.4g, chi2 %.3f%s", rms(), chi2, kLineBreak);
    log.subWriteToTextBox(line);

    double lambda = settings.ip.initialRoughness;
    int iteration = 0;
    while (iteration < settings.ip.maxIterations && chi2 > 1.0) {
        if (settings.robust && reweightsAt(iteration, settings.ip.reweightIterations)) {
            robust = robustFactors(residual, errors);
            currentWeights();
            chi2 = chiSquared(residual, weights);
        }
        const GaussNewtonStep step(jacobian, weights, grid, settings.regularisation, threads);
        const std::vector<double> lambdas = roughnessTrialFactors(lambda, settings.ip.multiplier, settings.roughnessTrials);
        std::vector<std::vector<double>> updates;
        step.solve(lambdas, residual, eta, reference, settings.ip.update, updates);
        // The problem is linear: each trial's misfit is exact once eta is clamped.
        std::vector<RoughnessTrial> trials;
        std::vector<std::vector<double>> candidates;
        std::vector<double> saved = eta;
        for (std::size_t t = 0; t < lambdas.size(); ++t) {
            for (std::size_t j = 0; j < blocks; ++j)
                eta[j] = std::clamp(saved[j] + updates[t][j], 0.0, kHighestChargeability);
            refresh();
            trials.push_back({lambdas[t], chiSquared(residual, weights)});
            candidates.push_back(eta);
        }
        const std::size_t chosen = chooseRoughnessTrial(trials, chi2, settings.ip.optimalFactor);
        const bool finite = std::all_of(candidates[chosen].begin(), candidates[chosen].end(),
                                        [](double v) { return std::isfinite(v); });
        if (!finite || trials[chosen].chiSquared >= chi2) {
            eta = saved;
            refresh();
            log.subWriteToTextBox("The IP misfit stopped improving." + std::string(kLineBreak));
            break;
        }
        ++iteration;
        const double previous = chi2;
        lambda = trials[chosen].lambda;
        eta = candidates[chosen];
        refresh();
        chi2 = chiSquared(residual, weights);
        std::snprintf(line, sizeof line, "IP iteration %d: roughness %g, RMS %.4g, chi2 %.3f%s", iteration, lambda, rms(),
                      chi2, kLineBreak);
        log.subWriteToTextBox(line);
        if (previous - chi2 < 0.01 * previous) break;
    }
    std::snprintf(line, sizeof line, "%s (chi2 %.3f).%s",
                  chi2 <= 1.0 ? "The IP misfit reached the noise level" : "The IP misfit could not reach the noise level",
                  chi2, kLineBreak);
    log.subWriteToTextBox(line);

    calculatedIp.assign(table.size(), kCannotCompute);
    for (std::size_t r = 0; r < rows.size(); ++r) calculatedIp[rows[r]] = predicted[r] * scale;
    chargeability = std::move(eta);
    return Status::Ok;
}

}  // namespace vexora
