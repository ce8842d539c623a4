#include "core/mesh/AdaptGrid.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "core/log/MessageLog.h"
#include "core/mesh/NodeSearch.h"

namespace vexora {

namespace {

bool samePosition(const Electrode& a, const Electrode& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

// A node claimed by electrodes at different positions serves none of them.
void excludeSharedNodes(const std::vector<Electrode>& electrodes, const std::vector<std::int32_t>& nearest,
                        std::vector<char>& adaptable)
{
    std::vector<std::size_t> order(electrodes.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return nearest[a] != nearest[b] ? nearest[a] < nearest[b] : a < b;
    });
    for (std::size_t run = 0; run < order.size();) {
        std::size_t end = run + 1;
        while (end < order.size() && nearest[order[end]] == nearest[order[run]]) ++end;
        const Electrode& first = electrodes[order[run]];
        const bool oneSpot = std::all_of(order.begin() + static_cast<std::ptrdiff_t>(run),
                                         order.begin() + static_cast<std::ptrdiff_t>(end),
                                         [&](std::size_t e) { return samePosition(electrodes[e], first); });
        if (!oneSpot)
            for (std::size_t i = run; i < end; ++i) adaptable[order[i]] = 0;
        run = end;
    }
}

std::string cableName(const Survey& survey, std::int32_t cable)
{
    if (cable >= 1 && static_cast<std::size_t>(cable) <= survey.cableNames.size())
        return survey.cableNames[static_cast<std::size_t>(cable - 1)];
    return std::to_string(cable);
}

}  // namespace

Status AdaptGridToElectrodes(Mesh& mesh, const Survey& survey, const ElementSize& size, std::string& warning)
{
    warning.clear();
    const std::vector<Electrode>& electrodes = survey.electrodes;
    std::vector<NodePoint> positions;
    positions.reserve(electrodes.size());
    for (const Electrode& e : electrodes) positions.push_back({e.x, e.y, e.z});
    const std::vector<std::int32_t> nearest = nearestRealNodes(mesh, positions, 1, mesh.nz, false);

    std::vector<char> adaptable(electrodes.size(), 1);
    for (std::size_t e = 0; e < electrodes.size(); ++e)
        if (nearest[e] == 0) adaptable[e] = 0;
    excludeSharedNodes(electrodes, nearest, adaptable);

    const bool sizesUsable = size.dx > 0 && size.dy > 0 && size.dz > 0;
    std::string listed;
    for (std::size_t e = 0; e < electrodes.size(); ++e) {
        const Electrode& el = electrodes[e];
        if (adaptable[e] && sizesUsable) {
            NodePoint& node = mesh.nodeGrid[static_cast<std::size_t>(nearest[e] - 1)];
            const double move = std::abs((node.x - el.x) / size.dx) + std::abs((node.y - el.y) / size.dy) +
                                std::abs((node.z - el.z) / size.dz);
            if (move <= kAdaptLimit) {
                node = {el.x, el.y, el.z};
                continue;
            }
        }
        listed += kLineBreak;
        listed += "Cable: " + cableName(survey, el.cable) + ", Electrode: " + std::to_string(el.number);
    }
    if (listed.empty()) return Status::Ok;
    warning = std::string(kAdaptWarningHead) + kLineBreak + std::string(kAdaptWarningList) + listed;
    return Status::Error;
}

}  // namespace vexora
