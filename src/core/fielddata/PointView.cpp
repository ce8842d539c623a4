#include "core/fielddata/PointView.h"

#include <algorithm>
#include <cmath>

#include "core/fielddata/AcceptImport.h"

namespace vexora {

namespace {

bool remoteElectrode(const Survey& survey, const Electrode& e)
{
    return e.cable >= 1 && static_cast<std::size_t>(e.cable) <= survey.cableNames.size() &&
           isRemoteCable(survey.cableNames[static_cast<std::size_t>(e.cable - 1)]);
}

// Turns (u, v) about (uc, vc) by `degrees`.
void turn(double& u, double& v, double uc, double vc, double degrees)
{
    if (degrees == 0) return;
    const double a = degrees * M_PI / 180.0, c = std::cos(a), s = std::sin(a);
    const double du = u - uc, dv = v - vc;
    u = c * du + s * dv + uc;
    v = -s * du + c * dv + vc;
}

}  // namespace

Point3 electrodeBarycentre(const Survey& survey)
{
    Point3 sum;
    std::size_t n = 0;
    for (int pass = 0; pass < 2 && n == 0; ++pass)
        for (const Electrode& e : survey.electrodes) {
            if (pass == 0 && remoteElectrode(survey, e)) continue;
            sum.x += e.x;
            sum.y += e.y;
            sum.z += e.z;
            ++n;
        }
    if (n == 0) return {};
    return {sum.x / static_cast<double>(n), sum.y / static_cast<double>(n), sum.z / static_cast<double>(n)};
}

Point3 rotatePoint(const Point3& p, const Point3& centre, const ViewAngles& angles)
{
    Point3 r = p;
    turn(r.y, r.z, centre.y, centre.z, angles.theta);
    turn(r.x, r.z, centre.x, centre.z, angles.gamma);
    turn(r.x, r.y, centre.x, centre.y, angles.phi);
    return r;
}

std::vector<Pixel> mapToPixels(const std::vector<Point3>& points, int width, int height, int margin, double zoom,
                               bool perspective)
{
    std::vector<Pixel> pixels(points.size());
    if (points.empty()) return pixels;
    double xMin = HUGE_VAL, xMax = -HUGE_VAL, yMin = HUGE_VAL, yMax = -HUGE_VAL, zMin = HUGE_VAL, zMax = -HUGE_VAL;
    for (const Point3& p : points) {
        xMin = std::min(xMin, p.x), xMax = std::max(xMax, p.x);
        yMin = std::min(yMin, p.y), yMax = std::max(yMax, p.y);
        zMin = std::min(zMin, p.z), zMax = std::max(zMax, p.z);
    }
    const double left = margin, right = width - 1 - margin, top = margin, bottom = height - 1 - margin;
    const double midX = (left + right) / 2, midY = (top + bottom) / 2;
    for (std::size_t k = 0; k < points.size(); ++k) {
        const Point3& p = points[k];
        double px = xMax > xMin ? left + (p.x - xMin) / (xMax - xMin) * (right - left) : midX;
        double py = zMax > zMin ? top + (zMax - p.z) / (zMax - zMin) * (bottom - top) : midY;
        double scale = zoom;
        // Depth from 0 (farthest) to 1 (nearest): the nearest half again as large as the farthest.
        if (perspective && yMax > yMin) scale *= 0.8 + 0.4 * (p.y - yMin) / (yMax - yMin);
        px = midX + (px - midX) * scale;
        py = midY + (py - midY) * scale;
        pixels[k] = {static_cast<int>(std::lround(px)), static_cast<int>(std::lround(py))};
    }
    return pixels;
}

std::vector<Point3> measurementPoints(const Survey& survey)
{
    const QuadrupoleTable& table = survey.quadrupoles;
    std::vector<Point3> points(table.size());
    const Point3 centre = electrodeBarycentre(survey);
    for (std::size_t r = 0; r < table.size(); ++r) {
        const Electrode* poles[4];
        int n = 0;
        for (const ElectrodeRef& pole : table.rows[r].pole) {
            const std::int32_t row = survey.lookup.find(pole.cable, pole.number);
            if (row < 0) continue;
            const Electrode& e = survey.electrodes[static_cast<std::size_t>(row)];
            if (!remoteElectrode(survey, e)) poles[n++] = &e;
        }
        if (n == 0) {
            points[r] = centre;
            continue;
        }
        Point3 mean;
        double spread = 0;
        for (int i = 0; i < n; ++i) {
            mean.x += poles[i]->x / n;
            mean.y += poles[i]->y / n;
            mean.z += poles[i]->z / n;
            for (int j = i + 1; j < n; ++j)
                spread = std::max(spread, std::hypot(poles[i]->x - poles[j]->x, poles[i]->y - poles[j]->y,
                                                     poles[i]->z - poles[j]->z));
        }
        mean.z -= spread / 4;
        points[r] = mean;
    }
    return points;
}

}  // namespace vexora
