#pragma once
// The quality figures of two sequences designed on one layout: both data
// files loaded as a core job loads them, one mesh built (the ground: its
// starting model), and on it the cumulative sensitivity of each sequence
// (the sensitivity job) and the diagonal of its model resolution matrix
// (ModelResolution.h) under the inversion's data weights and a stated
// roughness factor. Shared by `vexora sequence-compare` and the sequencer.

#include <filesystem>

#include "core/log/MessageLog.h"
#include "core/project/ProjectStore.h"
#include "core/sequence/SensitivityProfile.h"
#include "engine/forward/ForwardModel.h"
#include "engine/inversion/ModelResolution.h"

namespace vexora {

struct DesignFigureOptions {
    double lambda = 10;        // roughness factor, the inversion's first
    double errorPercent = 5;   // relative data error: weights 1 / error on ln V/I
    std::size_t colours = 3;   // probe colours along an axis (ModelResolution.h)
};

struct DesignFigureRun {
    ProjectStore ground;                 // the mesh both are figured on and its model
    Survey surveys[2];                   // the two sequences
    std::vector<double> sensitivity[2];  // cumulative, absolute, per block
    ResolutionEstimate resolution[2];
};

// Error, with the reason logged, when a file does not load, the sequences
// stand on different electrodes, or the mesh or a sensitivity fails.
Status figureTwoSequences(const std::filesystem::path& first, const std::filesystem::path& second,
                          const DesignFigureOptions& options, MessageLog& log, const ComputeControl& control,
                          DesignFigureRun& run);

// Sequence k's (0 or 1) viewer model: the ground's resistivity with the
// quantities "Sensitivity" and "Resolution".
Status saveDesignFigures(const DesignFigureRun& run, int k, const std::filesystem::path& path, MessageLog& log);

// The sequencer's SequenceComparer: both runs with the default options but
// `lambda`, and the viewer files.
Status compareSequenceFiles(const std::filesystem::path& first, const std::filesystem::path& second,
                            const std::filesystem::path& viewerPrefix, double lambda, ComparedSequences& compared,
                            MessageLog& log, const Feedback& feedback);

}  // namespace vexora
