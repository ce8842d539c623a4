#pragma once
// A block model from either file the programs write: the binary viewer
// model file (recognised by its headers) or a mesh-and-model text file.

#include <filesystem>

#include "core/log/MessageLog.h"
#include "core/mesh/ViewerModelRead.h"

namespace vexora {

// Error, logged under "readModelFile" with what is wrong and where, when the
// file cannot be read as either; `model` is then untouched.
Status readModelFile(const std::filesystem::path& path, ViewerModel& model, MessageLog& log);

}  // namespace vexora
