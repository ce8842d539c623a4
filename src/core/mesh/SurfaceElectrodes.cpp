#include "core/mesh/NodeSearch.h"
#include "core/mesh/Topography.h"

namespace vexora {

void UpdateSurfaceElectrodes(const Mesh& mesh, std::vector<Electrode>& electrodes)
{
    std::vector<NodePoint> surface;
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < electrodes.size(); ++i)
        if (electrodes[i].type == 2 || electrodes[i].type == -2) {
            surface.push_back({electrodes[i].x, electrodes[i].y, 0});
            rows.push_back(i);
        }
    if (surface.empty()) return;
    const std::vector<std::int32_t> nearest = nearestRealNodes(mesh, surface, 1, 1, true);
    for (std::size_t j = 0; j < rows.size(); ++j) {
        if (nearest[j] == 0) continue;
        const double z = mesh.nodeGrid[static_cast<std::size_t>(nearest[j] - 1)].z;
        electrodes[rows[j]].z = z;
        electrodes[rows[j]].elevation = z;
    }
}

}  // namespace vexora
