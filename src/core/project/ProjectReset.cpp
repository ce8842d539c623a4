#include "core/project/ProjectReset.h"

#include <utility>

namespace vexora {

void resetProjectData(ProjectStore& store)
{
    ProjectStore emptied;
    emptied.settings = std::move(store.settings);
    emptied.electrodeFormat = std::move(store.electrodeFormat);
    emptied.dataFormat = std::move(store.dataFormat);
    emptied.topographyFormat = std::move(store.topographyFormat);
    // Move-assigning frees the survey's tables instead of keeping their capacity.
    store = std::move(emptied);
}

}  // namespace vexora
