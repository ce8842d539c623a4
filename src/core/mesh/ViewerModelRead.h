#pragma once
// Reading the binary model file of the 3D viewer (ViewerModelFile.h) back:
// nodes, blocks, every stored quantity and the electrodes. Every count and
// offset is checked against the file's size before it is used, so a
// truncated or damaged file is refused with the place it breaks.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/mesh/Mesh.h"

namespace vexora {

struct ViewerElectrode {
    std::int32_t cable = 0, number = 0;
    double x = 0, y = 0, z = 0;
};

struct ViewerModel {
    std::vector<std::int32_t> nodeNumbers;           // the mesh's node number of each node
    std::vector<NodePoint> nodes;
    std::vector<std::array<std::int32_t, 8>> blocks;  // indices into `nodes`, the mesh's corner order
    // "Resistivity", "Conductivity", "Chargeability", "Sensitivity", "DOI index"
    std::vector<std::string> quantities;
    std::vector<std::vector<double>> values;          // per quantity, one per block
    std::vector<ViewerElectrode> electrodes;

    // The values of a quantity, or null.
    const std::vector<double>* quantity(std::string_view name) const;
    // "the model holds no NAME (it holds ...)", for a quantity() that is null.
    std::string lacking(std::string_view name) const;
};

enum class [[nodiscard]] ViewerReadStatus { Read = 0, NotViewerFile = 1, Damaged = 2 };

// NotViewerFile when the bytes do not start as a viewer file does; Damaged,
// with `why` saying where, when a count, offset or node number does not fit
// the file. `model` is filled only on Read.
ViewerReadStatus readViewerModel(std::string_view bytes, ViewerModel& model, std::string& why);

}  // namespace vexora
