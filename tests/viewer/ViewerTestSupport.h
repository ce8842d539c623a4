#pragma once
// Block models for the viewer's tests and benchmarks, written by the
// programs' own viewer-file writer: cubes of side 1 m, `blocks` along each
// axis from (0, 0, 0) down to z = -blocks, resistivity 10, 100 and 1000
// ohm m by depth thirds, chargeability 5 (times the IP scale 1000: 5 mV/V
// becomes 5), one electrode at the surface above the middle.

#include <filesystem>

#include "../core/MeshTestSupport.h"
#include "core/mesh/NodeMesh.h"
#include "core/mesh/ViewerModelFile.h"
#include "core/project/ProjectStore.h"

namespace vexora::testing {

inline double layeredResistivity(double depth, int blocks)
{
    return depth < blocks / 3.0 ? 10 : depth < 2 * blocks / 3.0 ? 100 : 1000;
}

inline bool writeLayeredModel(const std::filesystem::path& file, int blocks, MessageLog& log)
{
    ProjectStore store;
    const std::string n = std::to_string(blocks);
    store.settings = settingsWith({{Item::PlotBounds, "-1 " + std::to_string(blocks + 1) + " -1 " +
                                                          std::to_string(blocks + 1) + " -" +
                                                          std::to_string(blocks + 1) + " 1"},
                                   {Item::GridSizeX, "1"}, {Item::GridSizeY, "1"}, {Item::GridSizeZ, "1"}});
    store.mesh = meshOfLines(evenLines(0, 1, blocks + 1), evenLines(0, 1, blocks + 1), evenLines(0, -1, blocks + 1));
    if (NodeMesh(store.mesh, store.settings, log) != NodeMeshStatus::Made) return false;
    store.mesh.present = true;
    store.models.conductivity.reserve(store.mesh.elementNodes.size());
    for (const ElementCorners& corners : store.mesh.elementNodes) {
        const double top = store.mesh.nodeGrid[static_cast<std::size_t>(corners[0] - 1)].z;
        const double bottom = store.mesh.nodeGrid[static_cast<std::size_t>(corners[4] - 1)].z;
        store.models.conductivity.push_back(1 / layeredResistivity(-(top + bottom) / 2, blocks));
    }
    store.models.ip.assign(store.models.conductivity.size(), 0.005);
    store.models.ipScale = 1000;
    store.survey.electrodes = {electrode(1, 1, blocks / 2.0, blocks / 2.0, 0)};
    return modBinOutput(file, "RHO", store.settings, store.survey, store.mesh, store.models, log) ==
           ViewerFileStatus::Written;
}

}  // namespace vexora::testing
