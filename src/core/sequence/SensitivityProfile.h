#pragma once
// How deep a sequence sees: the cumulative sensitivity of its quadrupoles
// (sum_k |J_kj| / volume_j, one value per mesh block) averaged over each
// layer of blocks under the electrodes (the foreground box), and the depth
// at which that average falls below a fraction of the top layer's. Two
// sequences on one layout and one mesh compare layer by layer.

#include <string>
#include <vector>

#include "core/mesh/Mesh.h"

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

}  // namespace vexora
