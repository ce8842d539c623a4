#pragma once
// What quitting a project leaves behind.

#include "core/project/ProjectStore.h"

namespace vexora {

// Quitting a project empties its shared data: the survey's tables, the
// electrodes and data loaded flags and the presence flags, the reciprocal
// pairing, the mesh and the models; no IP windows to merge, the IP scale
// back to 1000, no project type. The settings and their column layouts
// stay: the next project starts from them.
void resetProjectData(ProjectStore& store);

}  // namespace vexora
