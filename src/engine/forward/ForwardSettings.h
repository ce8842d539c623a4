#pragma once
// The forward solver's settings, read once from the settings table.

#include <array>

#include "core/log/MessageLog.h"
#include "core/settings/SettingsTable.h"
#include "engine/solver/LinearSolver.h"

namespace vexora {

enum class FaceCondition { Dirichlet = 0, Mixed = 1, Neumann = 2 };

// Outer faces in the order of the boundary codes: -X, +X, -Y, +Y, -Z (bottom).
enum OuterFace { kFaceMinusX = 0, kFacePlusX, kFaceMinusY, kFacePlusY, kFaceBottom, kOuterFaces };

struct ForwardSettings {
    std::array<FaceCondition, kOuterFaces> faces{FaceCondition::Mixed, FaceCondition::Mixed, FaceCondition::Mixed,
                                                 FaceCondition::Mixed, FaceCondition::Mixed};
    IterationSettings iteration;
    bool skipTxWithoutRx = false;  // leave out skipped quadrupoles and the sources only they use
    bool modelIp = false;
    int threads = 1;
};

// Returns Ok, or Error with the item logged when a value is out of range.
Status readForwardSettings(const SettingsTable& table, ForwardSettings& settings, MessageLog& log);

}  // namespace vexora
