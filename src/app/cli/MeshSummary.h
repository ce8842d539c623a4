#pragma once
// What the mesh commands share: loading a data file with its default mesh
// settings (and a configuration over them), and the summary lines of a mesh.

#include <iosfwd>
#include <optional>
#include <string>

#include "core/log/MessageLog.h"
#include "core/mesh/MeshBuild.h"
#include "core/project/ProjectStore.h"

namespace vexora::cli {

// The configuration file's settings over the loaded ones; the data file's
// column layouts stay, the configuration's go to records of their own. False
// when it cannot be read (said on `err`) or holds no tags (logged).
bool applyConfiguration(ProjectStore& store, const std::string& path, MessageLog& log, std::ostream& err,
                        const char* command);

// Loads the data file, derives the default mesh settings from its
// electrodes and applies the configuration when one is given. False when a
// step failed (logged, or a configuration that cannot be read said on `err`).
bool loadForMesh(ProjectStore& store, const std::string& input, const std::optional<std::string>& config,
                 MessageLog& log, std::ostream& err, const char* command);

// Prints lines, nodes, elements, foreground, boundary counts and `adapt`.
void printMeshSummary(const ProjectStore& store, const std::string& adapt, std::ostream& out);

}  // namespace vexora::cli
