#pragma once
// Blocks left out of a model file's pictures and exports: those the data do
// not constrain, by the depth-of-investigation index above a limit, or by
// the cumulative sensitivity below one (both as the inversion writes them
// into the viewer file).

#include <optional>
#include <string>

#include "core/mesh/ViewerModelRead.h"

namespace vexora {

struct ModelMask {
    std::optional<double> doiAbove;          // leave out blocks whose DOI index exceeds this
    std::optional<double> sensitivityBelow;  // leave out blocks whose sensitivity is below this
};

// Removes the masked blocks and their values; the nodes stay. False, with
// `why` and `model` untouched, when the mask needs a quantity the model does
// not hold.
bool maskModel(ViewerModel& model, const ModelMask& mask, std::string& why);

}  // namespace vexora
