// Mesh text files imported over the default settings.

#include <string>

#include "FuzzTargets.h"
#include "core/mesh/MeshFileImport.h"
#include "core/project/ProjectStore.h"

namespace vexora::fuzz {

void meshFile(std::string_view bytes)
{
    MessageLog log([] { return std::string("now"); });
    ProjectStore store;
    (void)importMeshText(bytes, "fuzz", store.settings, store.mesh, store.models, log);
}

}  // namespace vexora::fuzz
