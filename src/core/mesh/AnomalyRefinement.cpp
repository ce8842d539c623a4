#include "core/mesh/AnomalyRefinement.h"

#include <algorithm>
#include <cmath>

#include "core/mesh/MeshSettings.h"

namespace vexora {

namespace {

bool within(double v, double lo, double hi, double margin) { return v >= lo - margin && v <= hi + margin; }

bool nearSide(double v, double lo, double hi, double size)
{
    return std::abs(v - lo) <= size || std::abs(v - hi) <= size;
}

// Halves every interval of `lines` (ascending) wider than 3/4 `size` that
// lies in [lo, hi] and reaches within `elements` sizes of a centre.
int refineAxis(std::vector<double>& lines, const std::vector<double>& centres, double lo, double hi, double size,
               int elements)
{
    const double reach = elements * size;
    std::vector<double> refined;
    refined.reserve(lines.size());
    int added = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        refined.push_back(lines[i]);
        if (i + 1 == lines.size()) break;
        const double a = lines[i], b = lines[i + 1];
        if (b - a <= 0.75 * size || a < lo || b > hi) continue;
        if (std::none_of(centres.begin(), centres.end(), [&](double c) { return a < c + reach && b > c - reach; }))
            continue;
        refined.push_back((a + b) / 2);
        ++added;
    }
    lines = std::move(refined);
    return added;
}

}  // namespace

int refineAroundAnomalySides(MeshLines& lines, const ForegroundBox& box, const std::vector<Electrode>& electrodes,
                             const std::vector<Anomaly>& anomalies, const RefinementZone& zone)
{
    if (zone.elements <= 0 || !(zone.dx > 0) || !(zone.dy > 0) || !(zone.dz > 0)) return 0;
    std::vector<double> nearX, nearY, nearZ;
    for (const Anomaly& a : anomalies) {
        if (!a.valid) continue;
        for (const Electrode& e : electrodes) {
            const bool inBox = within(e.x, a.xMin, a.xMax, zone.dx) && within(e.y, a.yMin, a.yMax, zone.dy) &&
                               within(e.z, a.zMin, a.zMax, zone.dz);
            if (!inBox || !(nearSide(e.x, a.xMin, a.xMax, zone.dx) || nearSide(e.y, a.yMin, a.yMax, zone.dy) ||
                            nearSide(e.z, a.zMin, a.zMax, zone.dz)))
                continue;
            nearX.push_back(e.x);
            nearY.push_back(e.y);
            nearZ.push_back(e.z);
        }
    }
    // The Z lines run from the top down.
    std::reverse(lines.z.begin(), lines.z.end());
    const int inZ = refineAxis(lines.z, nearZ, box.zBottom, box.zMax, zone.dz, zone.elements);
    std::reverse(lines.z.begin(), lines.z.end());
    return refineAxis(lines.x, nearX, box.xMin, box.xMax, zone.dx, zone.elements) +
           refineAxis(lines.y, nearY, box.yMin, box.yMax, zone.dy, zone.elements) + inZ;
}

int refineNearAnomalies(const SettingsTable& settings, const std::vector<Electrode>& electrodes, Mesh& mesh)
{
    if (mesh.userDefined) return 0;
    const MeshSettings m = readMeshSettings(settings);
    const double elements = settingNumber(settings, Item::RefineNearAnomalies);
    if (!(elements >= 1 && elements <= 1000)) return 0;
    MessageLog quiet;
    return refineAroundAnomalySides(mesh.lines, mesh.foreground, electrodes, readAnomalies(settings, true, quiet),
                                    {m.dx, m.dy, m.dz, static_cast<int>(elements)});
}

}  // namespace vexora
