#include "engine/inversion/Inversion.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "core/import/GeometricFactor.h"
#include "core/qc/DataErrors.h"
#include "core/qc/ReciprocalCheck.h"
#include "engine/inversion/BlockGrid.h"
#include "engine/inversion/ChargeabilityInversion.h"
#include "engine/inversion/DepthOfInvestigation.h"
#include "engine/inversion/InversionProgress.h"
#include "engine/inversion/InversionSettings.h"
#include "core/jobfiles/CorePrograms.h"
#include "engine/inversion/LineInversionForward.h"
#include "engine/inversion/MeshInversionForward.h"
#include "engine/inversion/RoughnessTrials.h"

namespace vexora {

namespace {

constexpr const char* kSource = "RUNINVERSION";
// Log conductivity stays within 1e-6 .. 1e4 S/m (resistivity 1e-4 .. 1e6 ohm m).
constexpr double kLowestLogSigma = -13.815510557964274;
constexpr double kHighestLogSigma = 9.210340371976184;
// Rows of J assembled at a time for the cumulative sensitivity: J is not
// held whole once the iterations are over.
constexpr std::size_t kSensitivityRows = 64;

// A modelled V/I can be compared with the measured one on a log scale: it
// exists and has the measured sign.
bool comparable(double modelled, double measuredSign)
{
    return modelled != kCannotCompute && modelled * measuredSign > 0;
}

// How the sensitivity rows are shared: "Sensitivity matrix on 2 ranks:
// 1115 + 1114 rows, 295 + 295 MB".
std::string rankShareMessage(std::size_t rows, std::size_t blocks, int count)
{
    std::string counts, sizes;
    for (int r = 0; r < count; ++r) {
        const std::size_t n = rankShare(rows, r, count).size();
        const std::string plus = r > 0 ? " + " : "";
        counts += plus + std::to_string(n);
        sizes += plus + std::to_string((n * blocks * sizeof(float) + (1 << 19)) >> 20);
    }
    return "Sensitivity matrix on " + std::to_string(count) + " ranks: " + counts + " rows, " + sizes + " MB" +
           kLineBreak;
}

bool uniform(const std::vector<double>& values)
{
    return std::all_of(values.begin(), values.end(), [&](double v) { return v == values.front(); });
}

using Clock = std::chrono::steady_clock;
double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string format(const char* pattern, double a, double b = 0, double c = 0, double d = 0)
{
    char text[256];
    std::snprintf(text, sizeof text, pattern, a, b, c, d);
    return text;
}

// The loop over the parameters of `forward`: `start` holds one value per
// parameter (conductivity, and chargeability when it has one). With
// `doiReference` (ohm m) it is one of the depth-of-investigation runs: that
// uniform model starts it and is its reference, constrained even when the
// settings do not constrain to the reference; no iteration is saved, no IP
// inverted and no sensitivity summed.
class ResistivityInversion {
public:
    ResistivityInversion(InversionForward& forward, const Models& start, const Survey& survey,
                         const SettingsTable& settings, MessageLog& log, const ComputeControl& control,
                         const IterationSaver& save, std::optional<double> doiReference = {})
        : forward_(forward), start_(start), survey_(survey), table_(settings), log_(log),
          control_(control), save_(save), doiReference_(doiReference)
    {
    }

    InversionStatus run(InversionResult& result);
    // The median resistivity of the reference model (ohm m), after run().
    double referenceResistivity() const
    {
        std::vector<double> rho(reference_.size());
        for (std::size_t j = 0; j < rho.size(); ++j) rho[j] = std::exp(-reference_[j]);
        return rho.empty() ? 0.0 : medianOf(rho);
    }

private:
    Status setup();
    // The model's V/I, held as the forward model's trial; residuals of the data rows.
    Status model(const std::vector<double>& logSigma, std::vector<double>& resistance, const Feedback& progress);
    std::vector<double> residuals(const std::vector<double>& resistance) const;
    // 1 / error of each usable datum, times its robust factor unless `robust`
    // is false (the misfit the data's errors alone give).
    std::vector<double> weights(bool robust = true) const;
    // The starting (and reference) log conductivity: the median apparent
    // resistivity of the data, or the given model.
    void chooseStart(std::vector<double>& logSigma) const;
    // sum_i w_i |J_ij| / size_j over the usable data at the kept model `m`
    // with V/I `resistance`, relative to the largest.
    std::vector<double> cumulativeSensitivity(const std::vector<double>& m, const std::vector<double>& resistance);
    const Ranks& ranks() const { return *control_.ranks; }
    // This rank's part of a per-row vector (its rows of J).
    std::span<const double> own(const std::vector<double>& perRow) const
    {
        return std::span<const double>(perRow).subspan(own_.first, own_.size());
    }
    // The abort request, seen by any rank, stops every rank at the same point.
    bool cancelled() const { return anyRank(ranks(), control_.cancelled()); }
    void report(int percent, const std::string& stage) const
    {
        control_.report(percent, stage);
    }
    std::vector<double> conductivity(const std::vector<double>& logSigma) const
    {
        std::vector<double> sigma(logSigma.size());
        for (std::size_t j = 0; j < sigma.size(); ++j) sigma[j] = std::exp(logSigma[j]);
        return sigma;
    }

    InversionForward& forward_;
    const Models& start_;
    const Survey& survey_;
    const SettingsTable& table_;
    MessageLog& log_;
    const ComputeControl& control_;
    const IterationSaver& save_;
    std::optional<double> doiReference_;

    InversionSettings settings_;
    std::vector<double> reference_;  // log conductivity
    BlockGrid grid_;
    std::vector<std::size_t> rows_;   // quadrupoles inverted
    RankShare own_;                   // the rows of rows_ whose sensitivities this rank holds
    std::vector<double> data_;        // ln |V/I| measured, per row
    std::vector<double> sign_;        // sign of the measured V/I
    std::vector<double> errors_;      // relative, per row
    std::vector<double> robust_;      // robust factors, per row
    std::vector<std::uint8_t> usable_;  // the modelled V/I has the measured sign
    double forwardSeconds_ = 0;
    int forwardModels_ = 0;  // forward solves this iteration
};

Status ResistivityInversion::setup()
{
    if (readInversionSettings(table_, settings_, log_) != Status::Ok) return Status::Error;
    if (forward_.prepare() != Status::Ok) return Status::Error;
    const QuadrupolePlan& plan = forward_.plan();
    const QuadrupoleTable& table = survey_.quadrupoles;
    if (!survey_.present.resistance || table.resistance.size() != table.size())
        return log_.error(kSource, "No measured data to invert.");
    std::size_t unusable = 0;
    for (std::size_t k = 0; k < table.size(); ++k) {
        if (!plan.computed[k]) continue;
        const double v = table.resistance[k];
        if (!std::isfinite(v) || v == 0 || v == kCannotCompute) {
            ++unusable;
            continue;
        }
        rows_.push_back(k);
        data_.push_back(std::log(std::abs(v)));
        sign_.push_back(v > 0 ? 1.0 : -1.0);
    }
    if (rows_.empty()) return log_.error(kSource, "No data to invert: every quadrupole is skipped or has no reading.");
    if (unusable > 0)
        log_.warning(kSource, std::to_string(unusable) +
                                  " quadrupoles without a usable reading (0 or none) are left out.");

    std::size_t fallbacks = 0;
    errors_ = surveyErrors(survey_, rows_, settings_.rho.errors, fallbacks);
    if (fallbacks > 0)
        log_.warning(kSource, std::to_string(fallbacks) +
                                  " data have no positive standard deviation (zero, negative or missing); the "
                                  "error model (" +
                                  format("%g %% + %g", settings_.rho.errors.percent, settings_.rho.errors.constant) +
                                  ") is used for them.");
    robust_.assign(rows_.size(), 1.0);
    usable_.assign(rows_.size(), 1);

    grid_ = forward_.grid();
    own_ = rankShare(rows_.size(), ranks());
    // The whole peak of this rank, before the first model allocates any of it.
    const std::uint64_t available = forward_.availableBytes();
    InversionSize size = forward_.size();
    size.data = static_cast<std::int64_t>(rows_.size());
    size.heldTrial = !settings_.linearisedTrials;
    const InversionMemory needed = inversionMemoryPerRank(size, ranks().count(), available);
    // The ranks on one machine share its memory.
    if (available > 0 && needed.total() * static_cast<std::uint64_t>(ranks().onThisMachine()) > available) {
        const int fit = ranksThatFit(size, available, kMostCoreProcesses);
        return log_.error(kSource, "The inversion of " + std::to_string(rows_.size()) + " data and " +
                                       std::to_string(grid_.size()) + " blocks needs " +
                                       inversionMemoryText(needed, ranks().count()) + "; " +
                                       std::to_string(available >> 20) + " MB are available" +
                                       (ranks().onThisMachine() > 1
                                            ? " to the " + std::to_string(ranks().onThisMachine()) +
                                                  " ranks on this machine. "
                                            : ". ") +
                                       (fit > 0 ? "It fits on " + std::to_string(fit) +
                                                      " ranks (machines with this much memory each)."
                                                : "More ranks do not help: what every rank holds whole is "
                                                  "already too large; use a coarser mesh."));
    }
    log_.subWriteToTextBox("Memory: " + inversionMemoryText(needed, ranks().count()) + kLineBreak);
    log_.subWriteToTextBox("Inversion: " + std::to_string(rows_.size()) + " data, " + std::to_string(grid_.size()) +
                           " blocks, " + std::to_string(settings_.roughnessTrials) + " roughness trials" +
                           (settings_.linearisedTrials ? " (linearised)" : " (each modelled)") +
                           (settings_.robust ? ", robust" : "") + ", " +
                           std::to_string(forward_.settings().threads) + " threads" +
                           (settings_.rho.errors.potentialPercent > 0
                                ? format(", potential error %g %% of each pole term",
                                         settings_.rho.errors.potentialPercent)
                                : "") +
                           kLineBreak);
    if (ranks().count() > 1) log_.subWriteToTextBox(rankShareMessage(rows_.size(), grid_.size(), ranks().count()));
    return Status::Ok;
}

Status ResistivityInversion::model(const std::vector<double>& logSigma, std::vector<double>& resistance,
                                   const Feedback& progress)
{
    const auto start = Clock::now();
    const Status status = forward_.model(conductivity(logSigma), progress, resistance);
    forwardSeconds_ += secondsSince(start);
    ++forwardModels_;
    return status;
}

std::vector<double> ResistivityInversion::residuals(const std::vector<double>& resistance) const
{
    std::vector<double> r(rows_.size(), 0.0);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const double v = resistance[rows_[i]];
        if (comparable(v, sign_[i])) r[i] = data_[i] - std::log(std::abs(v));  // otherwise weight 0
    }
    return r;
}

std::vector<double> ResistivityInversion::weights(bool robust) const
{
    std::vector<double> w(rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i) w[i] = usable_[i] ? (robust ? robust_[i] : 1.0) / errors_[i] : 0.0;
    return w;
}

void ResistivityInversion::chooseStart(std::vector<double>& logSigma) const
{
    if (doiReference_) {
        std::fill(logSigma.begin(), logSigma.end(),
                  std::clamp(-std::log(*doiReference_), kLowestLogSigma, kHighestLogSigma));
        log_.subWriteToTextBox("Depth of investigation: inversion from and towards the reference model " +
                               format("%.4g", *doiReference_) + " ohm m." + kLineBreak);
        return;
    }
    const bool asGiven = start_.conductivityImported || !uniform(start_.conductivity);
    if (asGiven) {
        log_.subWriteToTextBox(std::string("Starting model: the given model (imported or with anomalies).") +
                               kLineBreak);
        return;
    }
    const double fixed = 1 / start_.conductivity.front();
    if (!settings_.startFromData) {
        log_.subWriteToTextBox("Starting model: fixed resistivity " + format("%.4g", fixed) + " ohm m." + kLineBreak);
        return;
    }
    // Skipped quadrupoles are inverted with "Calc. All" but say nothing of the ground.
    const std::vector<double> k = funGeometricFactor(survey_, false);
    const std::vector<std::int16_t>& skip = survey_.quadrupoles.skip;
    std::vector<double> apparent;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i] < skip.size() && skip[rows_[i]] >= 1) continue;
        const double factor = k[rows_[i]];
        const double rho = factor == kCannotCompute ? 0.0 : factor * sign_[i] * std::exp(data_[i]);
        if (std::isfinite(rho) && rho > 0) apparent.push_back(rho);
    }
    if (apparent.empty()) {
        log_.warning(kSource, "No positive apparent resistivity among the data: the starting model stays at " +
                                  format("%.4g", fixed) + " ohm m.");
        return;
    }
    const double median = medianOf(apparent);
    std::fill(logSigma.begin(), logSigma.end(), std::clamp(-std::log(median), kLowestLogSigma, kHighestLogSigma));
    log_.subWriteToTextBox("Starting model: median apparent resistivity " + format("%.4g", median) + " ohm m." +
                           kLineBreak);
}

InversionStatus ResistivityInversion::run(InversionResult& result)
{
    const auto start = Clock::now();
    if (agreedStatus(ranks(), setup()) != Status::Ok) return InversionStatus::Error;
    const std::size_t blocks = grid_.size();
    std::vector<double> m(blocks);
    for (std::size_t j = 0; j < blocks; ++j)
        m[j] = std::clamp(std::log(start_.conductivity[j]), kLowestLogSigma, kHighestLogSigma);
    chooseStart(m);
    reference_ = m;
    const std::vector<double>& reference = reference_;
    if (doiReference_)
        settings_.regularisation.referenceWeight = std::max(settings_.regularisation.referenceWeight, kReferenceWeight);
    InversionProgress progress(settings_.rho.maxIterations, forward_.settings().modelIp && !doiReference_);

    std::vector<double> resistance, trialResistance;
    const Feedback startProgress =
        control_.part(progress.startModel(0), progress.startModel(1), "Starting model: forward model");
    if (model(m, resistance, startProgress) != Status::Ok) return InversionStatus::Error;
    forward_.keepTrial();
    auto markUsable = [&](const std::vector<double>& v) {
        std::size_t dropped = 0;
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            usable_[i] = comparable(v[rows_[i]], sign_[i]);
            dropped += !usable_[i];
        }
        return dropped;
    };
    if (const std::size_t dropped = markUsable(resistance); dropped > 0)
        log_.warning(kSource, std::to_string(dropped) +
                                  " data whose modelled V/I has the other sign (or none) get no weight.");
    if (std::count(usable_.begin(), usable_.end(), 1) == 0) {
        log_.logError(kSource, "No datum can be compared with the model: nothing to invert.");
        return InversionStatus::Error;
    }

    std::vector<double> r = residuals(resistance);
    double chi2 = chiSquared(r, weights());
    log_.subWriteToTextBox("Iteration 0: " + format("RMS %.2f %%, chi2 %.3f", rmsPercent(r), chi2) + kLineBreak);

    double lambda = settings_.rho.initialRoughness;
    int retries = 0;
    bool aborted = false;
    int iteration = 0;
    std::string ending;
    Jacobian j;
    std::vector<double> predicted(rows_.size());
    const int threads = forward_.settings().threads;
    while (iteration < settings_.rho.maxIterations) {
        if (atNoiseLevel(chi2)) break;
        if (cancelled()) {
            aborted = true;
            break;
        }
        const auto iterationStart = Clock::now();
        forwardSeconds_ = 0;
        forwardModels_ = 0;
        const int at = iteration + 1;
        const std::string name = "Iteration " + std::to_string(at);
        // The forward solves this iteration expects: the trials' when each
        // is modelled, then the step's (halvings take the part's end).
        const int forwardsExpected = 1 + (settings_.linearisedTrials ? 0 : settings_.roughnessTrials);
        int forwardsDone = 0;
        const auto forwardProgress = [&] {
            const int from = progress.at(at, IterationPart::Forward, double(forwardsDone) / forwardsExpected);
            ++forwardsDone;
            return control_.part(from, progress.at(at, IterationPart::Forward, double(forwardsDone) / forwardsExpected),
                                 name + ": forward model");
        };
        // Robust data weights follow the residuals of the current model; the
        // step is judged under the weights it was taken with.
        const bool reweighted = settings_.robust && reweightsAt(iteration, settings_.rho.reweightIterations);
        if (reweighted) robust_ = robustFactors(r, errors_);
        const std::vector<double> w = weights();
        const double before = chiSquared(r, w);

        const auto sensitivityStart = Clock::now();
        forward_.jacobian(conductivity(m), std::span<const std::size_t>(rows_).subspan(own_.first, own_.size()),
                          resistance,
                          control_.part(progress.at(at, IterationPart::Sensitivities, 0),
                                        progress.at(at, IterationPart::Sensitivities, 1), name + ": sensitivities"),
                          j);
        const double sensitivitySeconds = secondsSince(sensitivityStart);

        // The roughness trials.
        const auto updateStart = Clock::now();
        const int cgLimit = std::max(settings_.rho.update.maxIterations, 1);
        const auto onCgIteration = [&](int done) {
            report(progress.at(at, IterationPart::Update, double(done) / cgLimit), name + ": model update");
        };
        onCgIteration(0);
        const GaussNewtonStep step(j, own(w), grid_, settings_.regularisation, threads, ranks());
        const std::vector<double> lambdas =
            roughnessTrialFactors(lambda, settings_.rho.multiplier, settings_.roughnessTrials);
        std::vector<std::vector<double>> updates;
        step.solve(lambdas, own(r), m, reference, settings_.rho.update, updates, onCgIteration);
        std::vector<RoughnessTrial> trials;
        // The modelled trial that is the choice so far, its fields held by
        // the forward model and its V/I here: the full step to it needs no
        // solve of its own.
        std::optional<std::size_t> held;
        std::vector<double> heldResistance;
        if (settings_.linearisedTrials) {
            // All trials' J dm in one pass over J.
            std::vector<double> stacked(blocks * lambdas.size());
            for (std::size_t t = 0; t < lambdas.size(); ++t)
                std::copy(updates[t].begin(), updates[t].end(), stacked.begin() + t * blocks);
            std::vector<double> ownPredicted(own_.size() * lambdas.size());
            multiply(j, stacked, ownPredicted, lambdas.size(), threads);
            // Every rank judges the trials on all the data.
            predicted.assign(rows_.size() * lambdas.size(), 0.0);
            for (std::size_t t = 0; t < lambdas.size(); ++t)
                std::copy_n(ownPredicted.begin() + t * own_.size(), own_.size(),
                            predicted.begin() + t * rows_.size() + own_.first);
            ranks().sum(predicted);
        }
        for (std::size_t t = 0; t < lambdas.size(); ++t) {
            double trialChi2 = 0;
            if (settings_.linearisedTrials) {
                std::vector<double> rest(rows_.size());
                for (std::size_t i = 0; i < rows_.size(); ++i) rest[i] = r[i] - predicted[t * rows_.size() + i];
                trialChi2 = chiSquared(rest, w);
            } else {
                std::vector<double> next(blocks);
                for (std::size_t b = 0; b < blocks; ++b)
                    next[b] = std::clamp(m[b] + updates[t][b], kLowestLogSigma, kHighestLogSigma);
                if (model(next, trialResistance, forwardProgress()) != Status::Ok) return InversionStatus::Error;
                trialChi2 = chiSquared(residuals(trialResistance), w);
            }
            trials.push_back({lambdas[t], trialChi2});
            // The choice among trials 0..t is the choice among 0..t-1 or t
            // itself, so holding each newly chosen one holds the final choice.
            if (!settings_.linearisedTrials &&
                chooseRoughnessTrial(trials, before, settings_.rho.optimalFactor) == t) {
                forward_.holdTrial();
                std::swap(heldResistance, trialResistance);
                held = t;
            }
        }
        const double updateSeconds = secondsSince(updateStart) - (settings_.linearisedTrials ? 0 : forwardSeconds_);
        // J is the largest object of the inversion: let it go before the
        // forward solve (and its factor) below takes its own memory.
        Jacobian::Values().swap(j.values);
        const std::size_t chosen = chooseRoughnessTrial(trials, before, settings_.rho.optimalFactor);
        lambda = trials[chosen].lambda;
        std::vector<double>& update = updates[chosen];
        if (!std::all_of(update.begin(), update.end(), [](double v) { return std::isfinite(v); })) {
            ending = "The model update of iteration " + std::to_string(iteration + 1) +
                     " is not a number; the model of iteration " + std::to_string(iteration) + " is kept.";
            break;
        }

        // Accept the step after one forward solve; halve it while the misfit rose.
        double scale = 1.0, after = 0;
        std::vector<double> next(blocks);
        bool accepted = false;
        for (int halving = 0; halving <= kStepHalvings; ++halving, scale /= 2) {
            for (std::size_t b = 0; b < blocks; ++b)
                next[b] = std::clamp(m[b] + scale * update[b], kLowestLogSigma, kHighestLogSigma);
            if (halving == 0 && held == chosen) {
                forward_.restoreTrial();
                std::swap(trialResistance, heldResistance);
            } else if (model(next, trialResistance, forwardProgress()) != Status::Ok) {
                return InversionStatus::Error;
            }
            after = chiSquared(residuals(trialResistance), w);
            if (after < before) {
                accepted = true;
                break;
            }
        }
        progress.measured(sensitivitySeconds, updateSeconds, forwardSeconds_);
        const StepJudgement judged =
            judgeStep(before, accepted ? after : std::numeric_limits<double>::infinity(), lambda, retries);
        if (accepted) {
            ++iteration;
            m = next;
            forward_.keepTrial();
            std::swap(resistance, trialResistance);
            markUsable(resistance);
            r = residuals(resistance);
            chi2 = chiSquared(r, weights());
            log_.subWriteToTextBox(
                "Iteration " + std::to_string(iteration) + ": " +
                format("roughness %g, RMS %.2f %%, chi2 %.3f", lambda, rmsPercent(r), chi2) +
                (reweighted ? format(" (data reweighted: chi2 %.3f before the step), ", before) : ", ") +
                std::to_string(std::count(usable_.begin(), usable_.end(), 1)) + " data, " +
                format("%.1f s (forward %.1f s for %.0f model", secondsSince(iterationStart), forwardSeconds_,
                       forwardModels_) +
                (forwardModels_ == 1 ? "" : "s") +
                format(", sensitivity %.1f s, update %.1f s)", sensitivitySeconds, updateSeconds) +
                kLineBreak);
            report(progress.at(iteration, IterationPart::Forward, 1),
                   "Iteration " + std::to_string(iteration) + format(": chi2 %.3f", chi2));
            if (save_ && settings_.saveIterations && !doiReference_) {
                Models current = start_;
                current.conductivity = conductivity(m);
                current.sensitivity.clear();
                current.doiIndex.clear();
                if (agreedStatus(ranks(), save_(current, iteration)) != Status::Ok) return InversionStatus::Error;
            }
        } else {
            chi2 = before;  // the weights of this attempt stay
        }
        if (accepted && atNoiseLevel(chi2)) continue;  // ends at the loop's test
        if (judged.verdict == StepVerdict::Retry) {
            const std::string what =
                accepted ? format("chi2 %.3f before the step, %.3f after (same weights), less than 1 %% lower",
                                  before, after)
                         : format("chi2 %.3f before the step, higher after every step length", before);
            log_.subWriteToTextBox("Iteration " + std::to_string(accepted ? iteration : iteration + 1) + ": " + what +
                                   format(": the roughness factor is lowered to %g (retry %.0f of %.0f).",
                                          judged.lambda, judged.retries, kRoughnessRetries) +
                                   kLineBreak);
        }
        lambda = judged.lambda;
        retries = judged.retries;
        if (judged.verdict == StepVerdict::Stop) {
            ending = accepted ? "The misfit stopped improving: " +
                                    format("chi2 %.3f before the step, %.3f after (same weights), ", before, after) +
                                    std::to_string(kRoughnessRetries) + " lower roughness factors tried."
                              : "The misfit increased for every trial of iteration " + std::to_string(iteration + 1) +
                                    " after " + std::to_string(kRoughnessRetries) +
                                    " lower roughness factors; the model of iteration " + std::to_string(iteration) +
                                    " is kept.";
            break;
        }
    }

    // A request that came during the last iteration still counts: the job
    // then ends as aborted, with this model saved.
    if (!aborted && cancelled()) aborted = true;
    if (aborted)
        ending = "Inversion aborted after iteration " + std::to_string(iteration) + "; the best model so far is kept.";
    if (!ending.empty()) log_.subWriteToTextBox(ending + kLineBreak);
    const double plainChi2 = chiSquared(r, weights(false));
    std::vector<double> weightedResiduals(r.size());
    for (std::size_t i = 0; i < r.size(); ++i) weightedResiduals[i] = robust_[i] * r[i];
    log_.subWriteToTextBox(format("Final misfit: unweighted RMS %.2f %%, chi2 %.3f; weighted RMS %.2f %%, chi2 %.3f",
                                  rmsPercent(r), plainChi2, rmsPercent(weightedResiduals), chi2) +
                           (settings_.robust ? " (robust weights)." : " (no robust weights).") + kLineBreak);
    std::string verdict;
    if (atNoiseLevel(plainChi2))
        verdict = format("The misfit reached the noise level (unweighted chi2 %.3f).", plainChi2);
    else if (atNoiseLevel(chi2))
        verdict = format("The weighted misfit reached the noise level (chi2 %.3f), the unweighted did not (chi2 "
                         "%.3f): the robust weights set some data aside.",
                         chi2, plainChi2);
    else
        verdict = format("The misfit could not reach the noise level: unweighted chi2 %.3f after ", plainChi2) +
                  std::to_string(iteration) + " iterations.";
    log_.subWriteToTextBox(verdict + format(" Total time %.1f s.", secondsSince(start)) + kLineBreak);

    Models model = start_;
    CalculatedData calculated;
    // "Model IP Data": the chargeability follows, linearised about the final
    // model, which must be one the resistivity accepted (or a start that fits).
    const bool modelIp = !aborted && !doiReference_ && forward_.settings().modelIp;
    const bool resistivityAccepted = iteration > 0 || atNoiseLevel(chi2);
    if (modelIp && !resistivityAccepted) {
        log_.warning(kSource, "The IP inversion is not run: no resistivity step was accepted, and the starting "
                              "model's sensitivities would not describe the ground. The result has no IP model.");
        model.ipModelling = false;
        model.ip.assign(1, 0.0);
    }
    if (modelIp && resistivityAccepted) {
        std::vector<std::size_t> ipRows;
        for (std::size_t i = 0; i < rows_.size(); ++i)
            if (usable_[i]) ipRows.push_back(rows_[i]);
        forward_.jacobian(conductivity(m), ipRows, resistance,
                          control_.part(progress.chargeability(0), progress.chargeability(0.5),
                                        "IP inversion: sensitivities"),
                          j);
        report(progress.chargeability(0.5), "IP inversion");
        if (invertChargeability(forward_.grid(), start_, survey_, settings_, j, ipRows, threads, log_, model.ip,
                                calculated.ip) != Status::Ok)
            return InversionStatus::Error;
        model.ipModelling = true;
    }

    model.conductivity = conductivity(m);
    model.sensitivity.clear();
    model.doiIndex.clear();
    if (!doiReference_) model.sensitivity = cumulativeSensitivity(m, resistance);
    calculated.resistance = std::move(resistance);
    result.model = std::move(model);
    result.calculated = std::move(calculated);
    result.outcome = {iteration, chi2, plainChi2, rmsPercent(r), atNoiseLevel(plainChi2)};
    return aborted ? InversionStatus::Aborted : InversionStatus::Ok;
}

std::vector<double> ResistivityInversion::cumulativeSensitivity(const std::vector<double>& m,
                                                                const std::vector<double>& resistance)
{
    const auto start = Clock::now();
    report(99, "cumulative sensitivity");
    std::vector<std::size_t> rows;
    std::vector<double> w;
    const std::vector<double> all = weights();
    for (std::size_t i = own_.first; i < own_.last; ++i)
        if (all[i] > 0) rows.push_back(rows_[i]), w.push_back(all[i]);
    const std::vector<ParameterPlace> places = forward_.places();
    std::vector<double> sum(places.size(), 0.0);
    Jacobian j;
    for (std::size_t first = 0; first < rows.size(); first += kSensitivityRows) {
        const std::size_t count = std::min(kSensitivityRows, rows.size() - first);
        forward_.jacobian(conductivity(m), std::span<const std::size_t>(rows.data() + first, count), resistance, {},
                          j);
        for (std::size_t r = 0; r < count; ++r) {
            const std::span<const float> row = j.row(r);
            for (std::size_t b = 0; b < sum.size(); ++b) sum[b] += w[first + r] * std::abs(static_cast<double>(row[b]));
        }
    }
    ranks().sum(sum);
    double largest = 0;
    for (std::size_t b = 0; b < sum.size(); ++b) {
        sum[b] /= places[b].size > 0 ? places[b].size : 1.0;
        largest = std::max(largest, sum[b]);
    }
    if (largest > 0)
        for (double& v : sum) v /= largest;
    const auto counted = static_cast<std::size_t>(std::count_if(all.begin(), all.end(), [](double v) { return v > 0; }));
    log_.subWriteToTextBox("Cumulative sensitivity of " + std::to_string(counted) + " data at the final model: " +
                           format("%.1f s.", secondsSince(start)) + kLineBreak);
    return sum;
}

using ForwardMaker = std::function<std::unique_ptr<InversionForward>()>;

// The same control with its progress mapped onto from..to of the whole.
ComputeControl share(const ComputeControl& control, int from, int to)
{
    ComputeControl part = control;
    static_cast<Feedback&>(part) = control.part(from, to);
    return part;
}

// The depth-of-investigation index from two more inversions with references
// kDoiReferenceFactor above and below `background` (ohm m); empty with a
// warning when either fails, Aborted when the abort request stopped one.
InversionStatus depthOfInvestigation(const ForwardMaker& makeForward, double background, const Models& start,
                                     const Survey& survey, const SettingsTable& settings, MessageLog& log,
                                     const ComputeControl& control, std::vector<double>& index)
{
    const double references[2] = {background * kDoiReferenceFactor, background / kDoiReferenceFactor};
    log.subWriteToTextBox("Depth of investigation: two more inversions with reference models " +
                          format("%.4g and %.4g ohm m.", references[0], references[1]) + kLineBreak);
    const IterationSaver none;
    std::vector<double> logSigma[2];
    std::vector<ParameterPlace> places;
    for (int k = 0; k < 2; ++k) {
        const std::unique_ptr<InversionForward> forward = makeForward();
        const ComputeControl third = share(control, 34 + 33 * k, 67 + 33 * k);
        ResistivityInversion run(*forward, start, survey, settings, log, third, none, references[k]);
        InversionResult result;
        const InversionStatus status = run.run(result);
        if (status != InversionStatus::Ok) {
            log.warning(kSource, status == InversionStatus::Aborted
                                     ? "Depth of investigation not computed: the inversion was aborted."
                                     : "Depth of investigation not computed: the inversion with the reference "
                                       "model " + format("%.4g", references[k]) + " ohm m failed.");
            return status == InversionStatus::Aborted ? status : InversionStatus::Ok;
        }
        for (double sigma : result.model.conductivity) logSigma[k].push_back(std::log(sigma));
        places = forward->places();
    }
    auto logSigmaOf = [](double rho) { return std::clamp(-std::log(rho), kLowestLogSigma, kHighestLogSigma); };
    index = doiIndex(logSigma[0], logSigma[1], logSigmaOf(references[0]), logSigmaOf(references[1]));
    log.subWriteToTextBox(constrainedDepthMessage(places, index) + kLineBreak);
    return InversionStatus::Ok;
}

// The inversion on the forward models `makeForward` gives, with the depth
// of investigation after it when the settings ask for it.
InversionStatus invert(const ForwardMaker& makeForward, const Models& start, const Survey& survey,
                       const SettingsTable& settings, MessageLog& log, const ComputeControl& control,
                       const IterationSaver& save, InversionResult& result)
{
    InversionStatus status = InversionStatus::Error;
    double background = 0;
    // With the depth of investigation each of the three inversions takes a third of the progress.
    const bool wanted = depthOfInvestigationAsked(settings);
    {
        // Its fields and factor go before the next inversion makes its own.
        const std::unique_ptr<InversionForward> forward = makeForward();
        const ComputeControl first = wanted ? share(control, 0, 34) : control;
        ResistivityInversion inversion(*forward, start, survey, settings, log, first, save);
        status = inversion.run(result);
        background = inversion.referenceResistivity();
    }
    if (status != InversionStatus::Ok || !wanted) return status;
    return depthOfInvestigation(makeForward, background, start, survey, settings, log, control, result.model.doiIndex);
}

}  // namespace

InversionStatus runInversion(const Mesh& mesh, const Models& start, const Survey& survey, const SettingsTable& settings,
                             MessageLog& log, const ComputeControl& control, const IterationSaver& saveIteration,
                             InversionResult& result, ForwardDimension dimension)
{
    std::optional<ElectrodeLine> line;
    if (chooseForwardDimension(survey, dimension, kSource, "No 2D inversion", log, line) != Status::Ok)
        return InversionStatus::Error;
    if (!line) {
        const ForwardMaker make = [&] {
            return std::make_unique<MeshInversionForward>(mesh, start, survey, settings, control, kSource, log);
        };
        return invert(make, start, survey, settings, log, control, saveIteration, result);
    }

    // The section under the line, its cells the parameters; every model
    // leaves as the mesh's blocks, each taking the cell at its depth below
    // the surface under its projection onto the line.
    LineModel section;
    if (sampleLineModel(mesh, start, *line, survey, log, section) != Status::Ok) return InversionStatus::Error;
    const std::vector<std::size_t> cellOf = lineCellsOfBlocks(mesh, *line, section.grid);
    auto onMesh = [&](const Models& cells) {
        Models blocks = cells;
        // Per-cell values only: a uniform chargeability (one value) stays as it is.
        for (auto member : {&Models::conductivity, &Models::ip, &Models::sensitivity, &Models::doiIndex}) {
            const std::vector<double>& values = cells.*member;
            if (values.size() != cells.conductivity.size()) continue;
            std::vector<double>& mapped = blocks.*member;
            mapped.resize(cellOf.size());
            for (std::size_t b = 0; b < cellOf.size(); ++b) mapped[b] = values[cellOf[b]];
        }
        return blocks;
    };
    Models cellStart = start;
    cellStart.conductivity = section.conductivity;
    if (section.ip.size() == section.conductivity.size()) cellStart.ip = section.ip;
    log.subWriteToTextBox("2D inversion of the section under the line: " + std::to_string(section.grid.sCount() - 1) +
                          " x " + std::to_string(section.grid.depthCount() - 1) + " cells." + kLineBreak);
    const IterationSaver save = [&](const Models& cells, int iteration) {
        return saveIteration ? saveIteration(onMesh(cells), iteration) : Status::Ok;
    };
    const ForwardMaker make = [&] {
        return std::make_unique<LineInversionForward>(*line, section, survey, settings, control, kSource, log);
    };
    InversionResult cells;
    const InversionStatus status = invert(make, cellStart, survey, settings, log, control, save, cells);
    if (status == InversionStatus::Error) return status;
    result = {onMesh(cells.model), std::move(cells.calculated), cells.outcome};
    return status;
}

}  // namespace vexora
