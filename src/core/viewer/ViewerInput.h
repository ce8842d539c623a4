#pragma once
// What the viewer program is given: a viewer script naming a model file, or
// a model file itself (the binary viewer file or a mesh-and-model text
// file), and where its three sections start.

#include <array>
#include <filesystem>
#include <optional>

#include "core/log/MessageLog.h"
#include "core/mesh/ViewerModelRead.h"
#include "core/shell/ViewerScript.h"
#include "core/viewer/ViewerScene.h"

namespace vexora {

struct ViewerInput {
    std::filesystem::path modelFile;
    ViewerModel model;
    std::optional<ViewerScript> script;
    // Where the sections across x, y and z cut: the script's centre, or the
    // model's when there is no script or it has no section across that axis.
    Point3 sectionsAt{};
    bool electrodes = true;
};

// Reads `path` as a script (then its model) or as a model file. Error,
// logged with what is wrong and where, when either cannot be read or the
// model holds no block; `input` is then untouched.
Status readViewerInput(const std::filesystem::path& path, ViewerInput& input, MessageLog& log);

// The quantity shown first: resistivity when the model holds it, else its
// first quantity.
std::string firstQuantity(const ViewerModel& model);

}  // namespace vexora
