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
// the misfit rose. It stops when chi^2 <= 1 (the noise level), when chi^2
// falls by less than 1 % in an iteration, after the maximum number of
// iterations, or when the abort request comes (after the current
// iteration). The store then holds the best model and its modelled data.

#include <functional>

#include "engine/forward/ForwardModel.h"

namespace vexora {

inline constexpr int kInversionAborted = 3;

struct InversionOutcome {
    int iterations = 0;
    double chiSquared = 0;
    double rmsPercent = 0;
    bool reachedNoiseLevel = false;
};

// Saves the model of iteration `iteration` (the store holds it); returns 0
// or 1 with the reason logged.
using IterationSaver = std::function<int(const ProjectStore& store, int iteration)>;

// Returns 0 with the inverted model and its modelled data in the store;
// kInversionAborted when the abort request stopped it (the best model so far
// is in the store); 1 with the reason logged and the store untouched.
int runInversion(ProjectStore& store, MessageLog& log, const ComputeControl& control,
                 const IterationSaver& saveIteration, InversionOutcome& outcome);

}  // namespace vexora
