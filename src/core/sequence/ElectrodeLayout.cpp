#include "core/sequence/ElectrodeLayout.h"

#include <algorithm>
#include <cmath>

#include "core/import/tables/ImportFill.h"

namespace vexora {

namespace {

constexpr const char* kSource = "ElectrodeLayout";
constexpr std::int16_t kSurfaceElectrode = 2;

bool positiveFinite(double v) { return std::isfinite(v) && v > 0; }

// Cables "1".."count" holding `perCable` electrodes each, positions by
// `place(cable, electrode)` (both 0-based).
template <class Place>
void fillCables(int count, int perCable, Place&& place, ElectrodeLayout& layout)
{
    layout = ElectrodeLayout{};
    layout.electrodes.reserve(static_cast<std::size_t>(count) * static_cast<std::size_t>(perCable));
    for (int c = 0; c < count; ++c) {
        layout.cableNames.push_back(std::to_string(c + 1));
        for (int e = 0; e < perCable; ++e) {
            const auto [x, y] = place(c, e);
            layout.electrodes.push_back({c + 1, e + 1, x, y, 0.0, 0.0, kSurfaceElectrode});
        }
    }
}

Status refuseSize(MessageLog& log, long long electrodes)
{
    return log.error(kSource, "A layout of " + std::to_string(electrodes) + " electrodes: between 4 and " +
                                  std::to_string(kMaxLayoutElectrodes) + " are designed.");
}

}  // namespace

Status cableLineLayout(int cables, int electrodesPerCable, double spacing, ElectrodeLayout& layout, MessageLog& log)
{
    if (cables < 1 || electrodesPerCable < 1) return log.error(kSource, "Cables and electrodes per cable must be 1 or more.");
    const long long total = static_cast<long long>(cables) * electrodesPerCable;
    if (total < 4 || total > kMaxLayoutElectrodes) return refuseSize(log, total);
    if (!positiveFinite(spacing)) return log.error(kSource, "The electrode spacing must be above 0 m.");
    fillCables(cables, electrodesPerCable,
               [&](int c, int e) { return std::pair{(c * electrodesPerCable + e) * spacing, 0.0}; }, layout);
    layout.lines.emplace_back(static_cast<std::size_t>(total));
    for (std::int32_t r = 0; r < total; ++r) layout.lines[0][static_cast<std::size_t>(r)] = r;
    layout.spacing = spacing;
    return Status::Ok;
}

Status gridLayout(int nx, int ny, double dx, double dy, ElectrodeLayout& layout, MessageLog& log)
{
    if (nx < 2 || ny < 1) return log.error(kSource, "A grid needs 2 or more electrodes per row and 1 or more rows.");
    const long long total = static_cast<long long>(nx) * ny;
    if (total < 4 || total > kMaxLayoutElectrodes) return refuseSize(log, total);
    if (!positiveFinite(dx) || !positiveFinite(dy)) return log.error(kSource, "The grid spacings must be above 0 m.");
    fillCables(ny, nx, [&](int row, int e) { return std::pair{e * dx, row * dy}; }, layout);
    for (int row = 0; row < ny; ++row) {
        std::vector<std::int32_t>& line = layout.lines.emplace_back(static_cast<std::size_t>(nx));
        for (int e = 0; e < nx; ++e) line[static_cast<std::size_t>(e)] = row * nx + e;
    }
    layout.spacing = dx;
    return Status::Ok;
}

Status surveyLayout(const Survey& survey, ElectrodeLayout& layout, MessageLog& log)
{
    if (survey.electrodes.size() < 4 || survey.electrodes.size() > static_cast<std::size_t>(kMaxLayoutElectrodes))
        return refuseSize(log, static_cast<long long>(survey.electrodes.size()));
    layout = ElectrodeLayout{};
    layout.cableNames = survey.cableNames;
    layout.electrodes = survey.electrodes;
    std::vector<std::vector<std::int32_t>> byCable(survey.cableNames.size());
    for (std::size_t r = 0; r < survey.electrodes.size(); ++r) {
        const std::int32_t cable = survey.electrodes[r].cable;
        if (cable >= 1 && static_cast<std::size_t>(cable) <= byCable.size())
            byCable[static_cast<std::size_t>(cable - 1)].push_back(static_cast<std::int32_t>(r));
    }
    double spacing = 0;
    for (std::vector<std::int32_t>& line : byCable) {
        if (line.size() < 2) continue;
        std::stable_sort(line.begin(), line.end(), [&](std::int32_t a, std::int32_t b) {
            return survey.electrodes[static_cast<std::size_t>(a)].number < survey.electrodes[static_cast<std::size_t>(b)].number;
        });
        for (std::size_t k = 1; k < line.size(); ++k) {
            const Electrode& p = survey.electrodes[static_cast<std::size_t>(line[k - 1])];
            const Electrode& q = survey.electrodes[static_cast<std::size_t>(line[k])];
            const double d = std::hypot(q.x - p.x, q.y - p.y, q.z - p.z);
            if (d > 0 && (spacing == 0 || d < spacing)) spacing = d;
        }
        layout.lines.push_back(std::move(line));
    }
    if (layout.lines.empty() || spacing == 0)
        return log.error(kSource, "The loaded electrodes form no cable of two or more separate electrodes.");
    layout.spacing = spacing;
    return Status::Ok;
}

std::int32_t addRemoteElectrode(ElectrodeLayout& layout)
{
    const auto existing = std::find(layout.cableNames.begin(), layout.cableNames.end(), kRemoteCableName);
    const auto cable = static_cast<std::int32_t>(existing - layout.cableNames.begin()) + 1;
    if (existing != layout.cableNames.end())
        for (std::size_t r = 0; r < layout.electrodes.size(); ++r)
            if (layout.electrodes[r].cable == cable) return static_cast<std::int32_t>(r);
    double xMin = layout.electrodes[0].x, xMax = xMin, yMin = layout.electrodes[0].y, yMax = yMin, zSum = 0;
    for (const Electrode& e : layout.electrodes) {
        xMin = std::min(xMin, e.x), xMax = std::max(xMax, e.x);
        yMin = std::min(yMin, e.y), yMax = std::max(yMax, e.y);
        zSum += e.z;
    }
    const double z = zSum / static_cast<double>(layout.electrodes.size());
    const double extent = std::max({xMax - xMin, yMax - yMin, layout.spacing});
    if (existing == layout.cableNames.end()) layout.cableNames.emplace_back(kRemoteCableName);
    // Broadside to the layout's longer side, where it disturbs the in-line
    // potentials least.
    const bool alongX = xMax - xMin >= yMax - yMin;
    const double cx = (xMin + xMax) / 2, cy = (yMin + yMax) / 2;
    const double x = alongX ? cx : cx + 20 * extent, y = alongX ? cy + 20 * extent : cy;
    layout.electrodes.push_back({cable, 1, x, y, z, z, kSurfaceElectrode});
    return static_cast<std::int32_t>(layout.electrodes.size() - 1);
}

}  // namespace vexora
