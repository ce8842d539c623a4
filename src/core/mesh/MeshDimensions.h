#pragma once
// The node and block counts a set of mesh settings will give, estimated from
// the settings alone (nothing is built), and the labels that show them.

#include <cstdint>
#include <string>

#include "core/log/MessageLog.h"
#include "core/settings/SettingsTable.h"

namespace vexora {

struct MeshDimensions {
    std::int64_t padsLeft = 0, interiorX = 0, padsRight = 0;
    std::int64_t padsBack = 0, interiorY = 0, padsFront = 0;
    std::int64_t interiorZ = 0, padsBottom = 0;
    std::int64_t blocks = 0, nodes = 0;
};

// Above this many nodes the node label is drawn red.
inline constexpr std::int64_t kManyMeshNodes = 120000;

struct MeshDimensionLabels {
    std::string nodes, blocks, blocksX, blocksY, blocksZ;
    bool nodesRed = false;
};

// Returns Ok with the counts; Error, the counts zero and an error logged under
// `source`, when an element size is not positive, the foreground limits are
// reversed, or the counts do not fit in 64 bits.
Status CalculateMeshDimensions(const SettingsTable& table, MeshDimensions& dimensions, MessageLog& log);
// The forward workspace's twin: the same estimate.
Status CalculateFWMeshDimensions(const SettingsTable& table, MeshDimensions& dimensions, MessageLog& log);

MeshDimensionLabels meshDimensionLabels(const MeshDimensions& dimensions);

}  // namespace vexora
