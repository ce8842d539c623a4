#pragma once
// A data file saved without its configuration reloads with the mesh settings
// derived from its electrodes: what a workspace showed before the save may
// then not be the mesh a later load (or a console inversion) builds.

#include <string>

#include "core/project/ProjectStore.h"

namespace vexora {

// The mesh settings in use that a reload of the survey alone would not give
// back, as "#tag now -> on reload" separated by "; ", or empty when they all
// come back.
std::string meshSettingsLostOnReload(const ProjectStore& store);

}  // namespace vexora
