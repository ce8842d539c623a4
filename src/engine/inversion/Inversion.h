#pragma once
// Smoothness-constrained Gauss-Newton (Occam-type) inversion of the
// resistivity data for the log conductivity m = ln sigma of every block.
//
// Data d_k = ln |V/I|_k measured, f_k(m) the same modelled, residual
// r = d - f(m); weights w_k = robust_k / e_k with e_k the relative error.
// Each iteration linearises f about m (J from the pole fields, no extra
// solves), solves the update of GaussNewtonStep.h for each roughness
// trial, chooses a trial by the rule of RoughnessTrials.h and accepts the
// new model after one forward solve, halving the step (twice at most) when
// the misfit rose. A step that lowers chi^2 by less than 1 % (before and
// after under the same weights) halves the roughness factor and goes on, a
// few times in a row at most (judgeStep). It stops when chi^2 <= 1 (the
// noise level), when those retries are used up, after the maximum number of
// iterations, or when the abort request comes (after the current
// iteration). The result is then the best model and its modelled data.
//
// The starting and reference model is the median apparent resistivity of
// the inverted data when "#start_from_data" is 1 and `start` is uniform and
// not imported; otherwise `start` as given.

#include <functional>

#include "engine/forward/ForwardModel.h"
#include "engine/forward2d/ForwardDimension.h"

namespace vexora {

// Outcome of an inversion: Aborted when the abort request stopped it.
enum class [[nodiscard]] InversionStatus { Ok = 0, Error = 1, Aborted = 3 };

struct InversionOutcome {
    int iterations = 0;
    double chiSquared = 0;           // with the robust weights
    double unweightedChiSquared = 0; // with the data's errors alone
    double rmsPercent = 0;
    bool reachedNoiseLevel = false;  // the unweighted chi^2 is at most 1 (within kNoiseLevelTolerance)
};

// Saves `model`, the model of iteration `iteration`; returns Ok, or Error
// with the reason logged.
using IterationSaver = std::function<Status(const Models& model, int iteration)>;

// What the inversion produces.
struct InversionResult {
    // The starting model with the inverted conductivity (and chargeability),
    // the data's cumulative sensitivity and, when asked for, the
    // depth-of-investigation index (DepthOfInvestigation.h).
    Models model;
    CalculatedData calculated;  // the model's V/I (and IP)
    InversionOutcome outcome;
};

// Inverts the measured V/I of `survey` (with their standard deviations
// when present; with "Model IP Data" = 1 then the mean of its IP windows)
// on `mesh`, from the starting model `start` (its conductivity is also the
// reference model; its chargeability and IP scale start the IP inversion),
// under the forward and inversion settings of `settings`. With "Save
// inverted model for each iteration" = 1, `saveIteration` (when given) gets
// each iteration's model.
//
// With `dimension` Two, or Automatic and the electrodes on one line, the
// inverted model is the section under the line (the 2.5D forward model),
// each block taking the section's value at its depth under its projection
// onto the line; Two for a survey that is not such a line is an Error.
//
// With "#doi_index" 1, two more inversions towards uniform references above
// and below the first one's give the depth-of-investigation index, and the
// log states the depth above which the model is constrained.
//
// Returns Ok with `result` filled; Aborted when the abort request
// stopped it, with the best model so far and its V/I in `result` (no
// chargeability); Error with the reason logged and `result` untouched.
InversionStatus runInversion(const Mesh& mesh, const Models& start, const Survey& survey, const SettingsTable& settings,
                             MessageLog& log, const ComputeControl& control, const IterationSaver& saveIteration,
                             InversionResult& result, ForwardDimension dimension = ForwardDimension::Three);

}  // namespace vexora
