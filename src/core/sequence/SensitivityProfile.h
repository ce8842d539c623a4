#pragma once
// How deep a sequence sees: the cumulative sensitivity of its quadrupoles
// (sum_k |J_kj| / volume_j, one value per mesh block) averaged over each
// layer of blocks under the electrodes (the foreground box), and the depth
// at which that average falls below a fraction of the top layer's. Two
// sequences on one layout and one mesh compare layer by layer.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/mesh/Mesh.h"
#include "core/platform/Feedback.h"
#include "core/sequence/SequenceDesign.h"

namespace vexora {

struct LayerSensitivity {
    double top = 0, bottom = 0;  // depths below the mesh top (m)
    double mean = 0;             // mean cumulative sensitivity of its foreground blocks
};

// One entry per block layer, top down; empty when the sizes disagree.
std::vector<LayerSensitivity> layerSensitivity(const Mesh& mesh, const std::vector<double>& sensitivity);

// The bottom of the deepest layer, counted from the top, before the first
// whose mean is below `fraction` of the top layer's; 0 for no layers.
double sensitiveDepth(const std::vector<LayerSensitivity>& layers, double fraction);

// Share of the foreground blocks where `second` exceeds `first`.
double shareWhereSecondSeesMore(const Mesh& mesh, const std::vector<double>& first, const std::vector<double>& second);

// The comparison as text lines: a table of depth, the two means and their
// ratio, then the sensitive depths (1 % of the top layer) and the share.
std::vector<std::string> comparisonLines(const Mesh& mesh, const std::vector<double>& first,
                                         const std::vector<double>& second);

// A target of the survey: the blocks under the electrodes whose centre lies
// between the depths `top` and `bottom` below the mesh top (m).
struct TargetDepth {
    double top = 0, bottom = 0;
};

struct TargetFigures {
    std::size_t blocks = 0;  // 0: no block at the target, the means are 0
    double sensitivity = 0;  // mean cumulative sensitivity
    double resolution = 0;   // mean diagonal of the resolution matrix (0 without one)
};

// `resolution` may be empty; otherwise both hold one value per block.
TargetFigures targetFigures(const Mesh& mesh, const std::vector<double>& sensitivity,
                            const std::vector<double>& resolution, TargetDepth target);

// One sequence's figures for a side-by-side comparison.
struct SequenceFigures {
    const SequenceSummary* summary = nullptr;      // the design's counts, when known
    std::vector<double> sensitivity, resolution;   // per block
};

struct FigureRow {
    std::string label, first, second;
};

// The comparison table: the design counts (when both summaries are known:
// quadrupoles, current injections, depth of investigation), the sensitive
// depth, then the target's blocks, mean sensitivity and mean resolution, and
// the mean resolution of all the blocks under the electrodes. Empty when a
// sensitivity does not match the mesh.
std::vector<FigureRow> comparisonRows(const Mesh& mesh, const SequenceFigures& first, const SequenceFigures& second,
                                      TargetDepth target);

// Which sequence sees the target better, by its mean resolution there (the
// sensitivity without one), with the field time it costs in injections.
std::string targetVerdict(const Mesh& mesh, const SequenceFigures& first, const SequenceFigures& second,
                          TargetDepth target);

// Two sequence files figured on one mesh by the numerical side (the
// sensitivity job and the resolution estimate), their viewer files written
// as PREFIX_1.vwer and PREFIX_2.vwer.
struct ComparedSequences {
    Mesh mesh;
    std::vector<double> sensitivity[2], resolution[2];
    std::filesystem::path viewerFiles[2];
};
using SequenceComparer =
    std::function<Status(const std::filesystem::path& first, const std::filesystem::path& second,
                         const std::filesystem::path& viewerPrefix, double lambda, ComparedSequences& compared,
                         MessageLog& log, const Feedback& feedback)>;

}  // namespace vexora
