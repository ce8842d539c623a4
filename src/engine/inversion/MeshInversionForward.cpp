#include "engine/inversion/MeshInversionForward.h"

#include <algorithm>

namespace vexora {

Status MeshInversionForward::prepare()
{
    if (prepareForward(mesh_, start_, survey_, table_, control_, true, source_, log_, setup_) != Status::Ok)
        return Status::Error;
    stiffness_ = blockStiffnesses(mesh_);
    return Status::Ok;
}

std::vector<ParameterPlace> MeshInversionForward::places() const
{
    const BlockGrid grid = blockGrid(mesh_);
    const std::vector<double> volume = blockVolumes(mesh_);
    const ForegroundBox& box = mesh_.foreground;
    auto faceZ = [](const ElementCorners3& c, std::size_t first) {
        return (c[first].z + c[first + 1].z + c[first + 2].z + c[first + 3].z) / 4;
    };
    std::vector<ParameterPlace> places(grid.size());
    for (std::size_t e = 0; e < places.size(); ++e) {
        const ElementCorners3 c = blockCorners(mesh_, static_cast<std::int64_t>(e));
        // The surface over the block: the top face of the top block of its column.
        const double surface = faceZ(blockCorners(mesh_, static_cast<std::int64_t>(e % (grid.nx * grid.ny))), 0);
        double xMin = c[0].x, xMax = c[0].x, yMin = c[0].y, yMax = c[0].y;
        for (const NodePoint& p : c) {
            xMin = std::min(xMin, p.x), xMax = std::max(xMax, p.x);
            yMin = std::min(yMin, p.y), yMax = std::max(yMax, p.y);
        }
        places[e] = {volume[e], e / (grid.nx * grid.ny), surface - faceZ(c, 4),
                     xMax >= box.xMin && xMin <= box.xMax && yMax >= box.yMin && yMin <= box.yMax};
    }
    return places;
}

Status MeshInversionForward::model(std::span<const double> conductivity, const Feedback& progress,
                                   std::vector<double>& resistance)
{
    ComputeControl inner;
    inner.progress = progress.progress;
    inner.memoryLimitBytes = control_.memoryLimitBytes;
    inner.ranks = control_.ranks;
    return modelFieldsAndResistances(mesh_, setup_, conductivity, inner, 0, 100, "Forward model", source_, log_,
                                     system_, trialFields_, resistance);
}

void MeshInversionForward::jacobian(std::span<const double> conductivity, std::span<const std::size_t> rows,
                                    std::span<const double> resistance, const Feedback& progress, Jacobian& j)
{
    assembleJacobian(mesh_, conductivity, setup_.plan, fields_, stiffness_, rows, resistance, setup_.settings.threads,
                     j, progress);
}

}  // namespace vexora
