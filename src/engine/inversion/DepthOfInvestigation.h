#pragma once
// The depth-of-investigation index of two inversions of the same data that
// differ only in their (uniform) reference and starting models: where the
// data constrain a block both find the same value, where they do not each
// stays near its own reference. Per block
//   R = |m1 - m2| / |ref1 - ref2|      (log resistivity),
// near 0 where the model is resolved and near 1 where it follows the
// reference (its size alone: the sign tells nothing of the resolution).
// Going down under the electrodes, layer by layer (median index of each),
// the model counts as constrained from the first layer below kDoiThreshold
// to the last one before a layer above it. (The near surface may lie above
// the threshold: the data leave it free between the electrodes; and a thick
// deep layer of the mesh may fall below it again, one block that the
// longest spreads move in both inversions alike.)

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/inversion/InversionForward.h"

namespace vexora {

// The two reference models lie this factor above and below the inversion's
// own: far enough apart to tell, near enough that both still fit the data
// in the usual iterations (10 left the upper one short of the noise level
// on a plain line of dipole-dipole data).
inline constexpr double kDoiReferenceFactor = 5.0;
// Two inversions that fit the same data to their noise still differ by
// some 0.1 where the data see the ground.
inline constexpr double kDoiThreshold = 0.2;

// `first` and `second` in log conductivity, inverted towards the uniform
// references `firstReference` and `secondReference` (also log conductivity).
std::vector<double> doiIndex(std::span<const double> first, std::span<const double> second, double firstReference,
                             double secondReference);

// Depth below the surface (the layer's mean) of the bottom of that last
// constrained layer; nothing when no layer's median is below kDoiThreshold.
std::optional<double> constrainedDepth(std::span<const ParameterPlace> places, std::span<const double> index);

// The log line that states it.
std::string constrainedDepthMessage(std::span<const ParameterPlace> places, std::span<const double> index);

}  // namespace vexora
