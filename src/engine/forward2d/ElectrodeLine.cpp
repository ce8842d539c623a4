#include "engine/forward2d/ElectrodeLine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vexora {

double alongLine(const ElectrodeLine& line, double x, double y)
{
    return (x - line.originX) * line.directionX + (y - line.originY) * line.directionY;
}

double offLine(const ElectrodeLine& line, double x, double y)
{
    return std::abs(-(x - line.originX) * line.directionY + (y - line.originY) * line.directionX);
}

LineFit fitElectrodeLine(const std::vector<Electrode>& electrodes, double tolerance, ElectrodeLine& line,
                         std::string& why)
{
    line = {};
    double cx = 0, cy = 0;
    int ordinary = 0;
    for (const Electrode& e : electrodes)
        if (e.type >= 0) cx += e.x, cy += e.y, ++ordinary;
    if (ordinary < 2) return LineFit::TooFew;
    cx /= ordinary, cy /= ordinary;
    double sxx = 0, sxy = 0, syy = 0;
    for (const Electrode& e : electrodes)
        if (e.type >= 0) sxx += (e.x - cx) * (e.x - cx), sxy += (e.x - cx) * (e.y - cy), syy += (e.y - cy) * (e.y - cy);
    if (sxx + syy == 0) return LineFit::TooFew;
    // The eigenvector of the larger eigenvalue of the 2 x 2 scatter matrix.
    const double angle = 0.5 * std::atan2(2 * sxy, sxx - syy);
    double dx = std::cos(angle), dy = std::sin(angle);
    if (dx < 0 || (dx == 0 && dy < 0)) dx = -dx, dy = -dy;

    double low = INFINITY, high = -INFINITY;
    for (const Electrode& e : electrodes)
        if (e.type >= 0) {
            const double s = (e.x - cx) * dx + (e.y - cy) * dy;
            low = std::min(low, s), high = std::max(high, s);
        }
    line.originX = cx + low * dx, line.originY = cy + low * dy;
    line.directionX = dx, line.directionY = dy;
    line.length = high - low;
    const double allowed = tolerance * line.length;
    for (std::size_t row = 0; row < electrodes.size(); ++row) {
        const Electrode& e = electrodes[row];
        line.s.push_back(alongLine(line, e.x, e.y));
        const double off = offLine(line, e.x, e.y);
        if (off > line.farthest) {
            line.farthest = off;
            if (off > allowed) {
                char text[200];
                std::snprintf(text, sizeof text, "electrode %d of cable %d lies %.3f m off the line (%.3f m allowed)",
                              e.number, e.cable, off, allowed);
                why = text;
            }
        }
    }
    return line.farthest > allowed ? LineFit::OffLine : LineFit::OnLine;
}

}  // namespace vexora
