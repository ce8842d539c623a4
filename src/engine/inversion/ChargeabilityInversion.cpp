#include "engine/inversion/ChargeabilityInversion.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "core/import/GeometricFactor.h"
#include "core/qc/ReciprocalCheck.h"
#include "engine/inversion/BlockGrid.h"
#include "engine/inversion/IpData.h"
#include "engine/inversion/RoughnessTrials.h"

namespace vexora {

namespace {

constexpr const char* kSource = "RUNINVERSION";
constexpr double kHighestChargeability = 0.99;
// The logistic parameter of a start at 0 would be minus infinity.
constexpr double kLowestStart = 1e-5;
constexpr double kParameterBound = 25;

// eta = 0.99 / (1 + e^-u): every u is a chargeability within 0 .. 0.99, so
// no step leaves the range and no clamp turns a descent into an ascent.
double parameterOf(double eta)
{
    const double e = std::clamp(eta, kLowestStart, kHighestChargeability - kLowestStart);
    return std::log(e / (kHighestChargeability - e));
}
double chargeabilityOf(double u) { return kHighestChargeability / (1 + std::exp(-u)); }
// d eta / d u.
double slopeAt(double eta) { return eta * (1 - eta / kHighestChargeability); }

template <class... Args>
std::string text(const char* pattern, Args... args)
{
    char line[400];
    std::snprintf(line, sizeof line, pattern, args...);
    return line;
}

// Keeps the rows `kept` (increasing) of J, in place.
void keepRows(Jacobian& j, std::span<const std::size_t> kept)
{
    for (std::size_t i = 0; i < kept.size(); ++i)
        if (kept[i] != i) std::copy(j.row(kept[i]).begin(), j.row(kept[i]).end(), j.row(i).begin());
    j.rows = kept.size();
    j.values.resize(j.rows * j.cols);
}

void reportRange(const IpData& ip, const InversionSettings& settings, double scale, MessageLog& log)
{
    if (ip.unreadable > 0)
        log.warning(kSource,
                    std::to_string(ip.unreadable) + " IP data without a number are left out of the IP inversion.");
    if (ip.negative + ip.aboveRange > 0) {
        const std::string counts =
            text("IP data: %zu below 0 and %zu above %g %s", ip.negative, ip.aboveRange,
                 highestFraction(settings.highestApparentIp, scale) * scale, ipUnit(scale).c_str());
        log.warning(kSource, counts + (settings.leaveOutOfRangeIp
                                           ? " are left out of the IP inversion."
                                           : " are inverted as they are (#ip_leave_out_range 2)."));
    }
    if (ip.weak > 0)
        log.warning(kSource, text("IP data: %zu measured on less than %g mV of primary voltage are left out of "
                                  "the IP inversion (#ip_min_voltage).",
                                  ip.weak, settings.leastIpVoltage));
}

std::vector<double> stepped(const std::vector<double>& u, const std::vector<double>& update, double length)
{
    std::vector<double> next(u.size());
    for (std::size_t j = 0; j < u.size(); ++j)
        next[j] = std::clamp(u[j] + length * update[j], -kParameterBound, kParameterBound);
    return next;
}

// J d eta / d u from J d eta / d u at the slopes `from`: columns times to / from.
void rescaleColumns(Jacobian& j, const std::vector<double>& from, const std::vector<double>& to)
{
    std::vector<float> factors(j.cols);
    for (std::size_t c = 0; c < j.cols; ++c) factors[c] = static_cast<float>(to[c] / from[c]);
    for (std::size_t i = 0; i < j.rows; ++i) {
        std::span<float> row = j.row(i);
        for (std::size_t c = 0; c < j.cols; ++c) row[c] *= factors[c];
    }
}

}  // namespace

Status invertChargeability(const BlockGrid& grid, const Models& start, const Survey& survey,
                           const InversionSettings& settings, Jacobian& jacobian, std::span<const std::size_t> rows,
                           int threads, MessageLog& log, std::vector<double>& chargeability,
                           std::vector<double>& calculatedIp)
{
    const QuadrupoleTable& table = survey.quadrupoles;
    const double scale = start.ipScale;
    if (!survey.present.ip || table.ipWindows() == 0) return log.error(kSource, "No IP data to invert.");
    if (!(scale > 0)) return log.error(kSource, "The IP scale must be positive.");
    const std::string unit = ipUnit(scale);
    const IpData ip = selectIpData(survey, rows, scale, settings.ip.errors, settings.highestApparentIp,
                                   settings.leaveOutOfRangeIp, settings.leastIpVoltage);
    reportRange(ip, settings, scale, log);
    if (ip.rows.empty()) return log.error(kSource, "No IP data left to invert.");
    keepRows(jacobian, ip.kept);
    for (float& v : jacobian.values) v = -v;
    const std::size_t n = ip.rows.size();
    log.subWriteToTextBox(text("IP inversion: %zu data, errors %g %% + %g %s%s.%s", n, settings.ip.errors.percent,
                               settings.ip.errors.constant, unit.c_str(), settings.robust ? ", robust" : "",
                               kLineBreak));

    const std::size_t blocks = grid.size();
    std::vector<double> eta(blocks, 0.0), reference(blocks, 0.0);
    if (start.ip.size() == blocks)
        for (std::size_t j = 0; j < blocks; ++j)
            eta[j] = reference[j] = std::clamp(start.ip[j], 0.0, kHighestChargeability);
    const bool uniform = std::all_of(eta.begin(), eta.end(), [&](double v) { return v == eta.front(); });
    // The median of the data the start is taken from leaves skipped quadrupoles out.
    std::vector<double> apparent;
    for (std::size_t r = 0; r < n; ++r)
        if (!(ip.rows[r] < table.skip.size() && table.skip[ip.rows[r]] >= 1)) apparent.push_back(ip.values[r]);
    if (settings.startFromData && !start.ipImported && uniform && !apparent.empty()) {
        const double median = std::clamp(medianOf(apparent), 0.0, kHighestChargeability);
        std::fill(eta.begin(), eta.end(), median);
        reference = eta;
        log.subWriteToTextBox(
            text("IP starting model: median apparent chargeability %.4g (IP scale %g; %.4g as a fraction)%s",
                 median * scale, scale, median, kLineBreak));
    }

    // J is kept scaled by the slopes of the current model, the sensitivities
    // to its parameters u; eta / slope undoes that for the predicted data.
    std::vector<double> u(blocks), referenceU(blocks), slopes(blocks, 1.0), current(blocks);
    for (std::size_t j = 0; j < blocks; ++j) {
        u[j] = parameterOf(eta[j]);
        referenceU[j] = parameterOf(reference[j]);
        eta[j] = chargeabilityOf(u[j]);
        current[j] = slopeAt(eta[j]);
    }
    rescaleColumns(jacobian, slopes, current);
    slopes = current;
    std::vector<double> predicted(n), robust(n, 1.0);
    auto residualsOf = [&](const std::vector<double>& parameters) {
        std::vector<double> x(blocks);
        for (std::size_t j = 0; j < blocks; ++j) x[j] = chargeabilityOf(parameters[j]) / slopes[j];
        multiply(jacobian, x, predicted, 1, threads);
        std::vector<double> r(n);
        for (std::size_t i = 0; i < n; ++i) r[i] = ip.values[i] - predicted[i];
        return r;
    };
    auto weights = [&](bool withRobust) {
        std::vector<double> w(n);
        for (std::size_t i = 0; i < n; ++i) w[i] = (withRobust ? robust[i] : 1.0) / ip.errors[i];
        return w;
    };
    auto rms = [&](const std::vector<double>& r) {
        double sum = 0;
        for (double v : r) sum += v * v;
        return std::sqrt(sum / static_cast<double>(n)) * scale;
    };
    std::vector<double> residual = residualsOf(u);
    double chi2 = chiSquared(residual, weights(true));
    const bool fittedAtStart = atNoiseLevel(chi2);
    log.subWriteToTextBox(
        text("IP iteration 0: RMS %.4g %s, chi2 %.3f%s", rms(residual), unit.c_str(), chi2, kLineBreak));

    double lambda = settings.ip.initialRoughness;
    int retries = 0, iteration = 0;
    std::string ending;
    while (iteration < settings.ip.maxIterations && !atNoiseLevel(chi2)) {
        const bool reweighted = settings.robust && reweightsAt(iteration, settings.ip.reweightIterations);
        if (reweighted) robust = robustFactors(residual, ip.errors);
        const std::vector<double> w = weights(true);
        const double before = chiSquared(residual, w);
        const GaussNewtonStep step(jacobian, w, grid, settings.regularisation, threads);
        const std::vector<double> lambdas =
            roughnessTrialFactors(lambda, settings.ip.multiplier, settings.roughnessTrials);
        std::vector<std::vector<double>> updates;
        step.solve(lambdas, residual, u, referenceU, settings.ip.update, updates);
        std::vector<RoughnessTrial> trials;
        for (std::size_t t = 0; t < lambdas.size(); ++t)
            trials.push_back({lambdas[t], chiSquared(residualsOf(stepped(u, updates[t], 1.0)), w)});
        const std::size_t chosen = chooseRoughnessTrial(trials, before, settings.ip.optimalFactor);
        lambda = trials[chosen].lambda;
        const std::vector<double>& update = updates[chosen];
        if (!std::all_of(update.begin(), update.end(), [](double v) { return std::isfinite(v); })) {
            ending = text("The IP model update of IP iteration %d is not a number; the IP model of iteration %d "
                          "is kept.",
                          iteration + 1, iteration);
            break;
        }
        // Through the logistic the problem is no longer linear: halve the step while the misfit rose.
        double length = 1.0, after = 0;
        std::vector<double> next;
        bool accepted = false;
        for (int halving = 0; halving <= kStepHalvings && !accepted; ++halving, length /= 2) {
            next = stepped(u, update, length);
            after = chiSquared(residualsOf(next), w);
            accepted = after < before;
        }
        const StepJudgement judged =
            judgeStep(before, accepted ? after : std::numeric_limits<double>::infinity(), lambda, retries);
        if (accepted) {
            ++iteration;
            u = std::move(next);
            for (std::size_t j = 0; j < blocks; ++j) current[j] = slopeAt(chargeabilityOf(u[j]));
            rescaleColumns(jacobian, slopes, current);
            slopes = current;
            residual = residualsOf(u);
            chi2 = chiSquared(residual, w);
            log.subWriteToTextBox(text("IP iteration %d: roughness %g, RMS %.4g %s, chi2 %.3f%s%s", iteration, lambda,
                                       rms(residual), unit.c_str(), chi2,
                                       reweighted
                                           ? text(" (data reweighted: chi2 %.3f before the step)", before).c_str()
                                           : "",
                                       kLineBreak));
        } else {
            chi2 = before;
        }
        if (accepted && atNoiseLevel(chi2)) continue;
        if (judged.verdict == StepVerdict::Retry)
            log.subWriteToTextBox(
                text("IP iteration %d: chi2 %.3f before the step, %s: the roughness factor is lowered to %g (retry %d "
                     "of %d).%s",
                     accepted ? iteration : iteration + 1, before,
                     accepted ? text("%.3f after (same weights), less than 1 %% lower", after).c_str()
                              : "higher after every step length",
                     judged.lambda, judged.retries, kRoughnessRetries, kLineBreak));
        lambda = judged.lambda;
        retries = judged.retries;
        if (judged.verdict == StepVerdict::Stop) {
            ending = accepted ? text("The IP misfit stopped improving: chi2 %.3f before the step, %.3f after (same "
                                     "weights), %d lower roughness factors tried.",
                                     before, after, kRoughnessRetries)
                              : text("The IP misfit increased for every trial of IP iteration %d after %d lower "
                                     "roughness factors.",
                                     iteration + 1, kRoughnessRetries);
            break;
        }
    }
    if (!ending.empty()) log.subWriteToTextBox(ending + kLineBreak);
    if (iteration == 0)
        log.subWriteToTextBox(std::string(fittedAtStart ? "The starting IP model fits the IP data to the noise level"
                                                        : "No IP step lowered the misfit") +
                              ": the IP model is the starting model." + kLineBreak);
    const double plainChi2 = chiSquared(residual, weights(false));
    log.subWriteToTextBox(text("Final IP misfit: unweighted RMS %.4g %s, chi2 %.3f; weighted chi2 %.3f%s%s",
                               rms(residual), unit.c_str(), plainChi2, chi2,
                               settings.robust ? " (robust weights)." : " (no robust weights).", kLineBreak));
    log.subWriteToTextBox(text("%s (unweighted chi2 %.3f) after %d IP iterations.%s",
                               atNoiseLevel(plainChi2) ? "The IP misfit reached the noise level"
                                                       : "The IP misfit could not reach the noise level",
                               plainChi2, iteration, kLineBreak));

    for (std::size_t j = 0; j < blocks; ++j) eta[j] = chargeabilityOf(u[j]);
    log.subWriteToTextBox(
        text("IP model: largest chargeability %.4g %s; largest apparent chargeability inverted %.4g %s.%s",
             *std::max_element(eta.begin(), eta.end()) * scale, unit.c_str(),
             *std::max_element(ip.values.begin(), ip.values.end()) * scale, unit.c_str(), kLineBreak));

    residualsOf(u);
    calculatedIp.assign(table.size(), kCannotCompute);
    for (std::size_t r = 0; r < n; ++r) calculatedIp[ip.rows[r]] = predicted[r] * scale;
    chargeability = std::move(eta);
    return Status::Ok;
}

}  // namespace vexora
