#include "core/fielddata/SurveyView3D.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "core/import/GeometricFactor.h"
#include "core/qc/Pseudosection.h"
#include "core/settings/NumberText.h"

namespace vexora {

namespace {

constexpr double kDegree = 3.14159265358979323846 / 180;

// Turns the pair (u, v) about (uc, vc) by `degrees`.
void turnPair(double& u, double& v, double uc, double vc, double degrees)
{
    const double c = std::cos(degrees * kDegree), s = std::sin(degrees * kDegree);
    const double du = u - uc, dv = v - vc;
    u = c * du + s * dv + uc;
    v = -s * du + c * dv + vc;
}

std::string poleText(const ElectrodeRef& ref)
{
    return std::to_string(ref.cable) + "-" + std::to_string(ref.number);
}

bool usable(double v)
{
    return std::isfinite(v) && v != kCannotCompute;
}

}  // namespace

ViewTurn planeTurn(ViewPlane plane)
{
    switch (plane) {
    case ViewPlane::XY: return {};
    case ViewPlane::ZX: return {90, 0, 0};
    case ViewPlane::ZY: return {90, -90, 0};
    }
    return {};
}

bool isRemoteElectrode(const Survey& survey, const Electrode& electrode)
{
    const auto cable = static_cast<std::size_t>(electrode.cable);
    return cable >= 1 && cable <= survey.cableNames.size() && isRemoteCableName(survey.cableNames[cable - 1]);
}

ViewPoint barycentre(const Survey& survey)
{
    ViewPoint sum{};
    std::size_t count = 0;
    for (int pass = 0; pass < 2 && count == 0; ++pass)
        for (const Electrode& e : survey.electrodes) {
            if (pass == 0 && isRemoteElectrode(survey, e)) continue;
            sum[0] += e.x, sum[1] += e.y, sum[2] += e.z;
            ++count;
        }
    if (count > 0)
        for (double& v : sum) v /= static_cast<double>(count);
    return sum;
}

ViewPoint turnAbout(const ViewPoint& point, const ViewPoint& centre, const ViewTurn& turn)
{
    ViewPoint p = point;
    turnPair(p[1], p[2], centre[1], centre[2], turn.theta);
    turnPair(p[0], p[2], centre[0], centre[2], turn.gamma);
    turnPair(p[0], p[1], centre[0], centre[1], turn.phi);
    return p;
}

std::vector<ScreenPoint> projectToPicture(std::span<const ViewPoint> points, const ViewPoint& centre,
                                          const ViewTurn& turn, const PictureFrame& frame)
{
    std::vector<ViewPoint> turned(points.size());
    ViewPoint low{}, high{};
    for (std::size_t i = 0; i < points.size(); ++i) {
        turned[i] = turnAbout(points[i], centre, turn);
        for (std::size_t k = 0; k < 3; ++k) {
            low[k] = i == 0 ? turned[i][k] : std::min(low[k], turned[i][k]);
            high[k] = i == 0 ? turned[i][k] : std::max(high[k], turned[i][k]);
        }
    }
    const double spanX = high[0] - low[0], spanY = high[1] - low[1];
    const double extent = std::max({spanX, spanY, high[2] - low[2]});
    const double width = std::max(frame.width - 1, 0), height = std::max(frame.height - 1, 0);
    // One scale for both directions: the tighter of the two fits.
    double scale = 0;
    if (spanX > 0) scale = width / spanX;
    if (spanY > 0) scale = scale > 0 ? std::min(scale, height / spanY) : height / spanY;
    scale *= frame.zoom;
    const double midX = (low[0] + high[0]) / 2, midY = (low[1] + high[1]) / 2, midZ = (low[2] + high[2]) / 2;
    const double eye = 2.5 * extent;
    std::vector<ScreenPoint> screen(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        double grow = 1;
        if (frame.projection == ViewProjection::Perspective && eye > 0) grow = eye / (eye - (turned[i][2] - midZ));
        screen[i].x = static_cast<int>(std::lround(width / 2 + (turned[i][0] - midX) * scale * grow));
        screen[i].y = static_cast<int>(std::lround(height / 2 - (turned[i][1] - midY) * scale * grow));
        screen[i].depth = turned[i][2];
    }
    return screen;
}

std::vector<std::size_t> farthestFirst(std::span<const ScreenPoint> points)
{
    std::vector<std::size_t> order(points.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return points[a].depth < points[b].depth; });
    return order;
}

std::vector<std::optional<ViewPoint>> measurementPoints(const Survey& survey)
{
    std::vector<std::optional<ViewPoint>> points(survey.quadrupoles.size());
    for (std::size_t row = 0; row < points.size(); ++row) {
        const QuadrupolePoles pole = quadrupolePoles(survey, row);
        const Electrode* current = pole[A] ? pole[A] : pole[B];
        const Electrode* potential = pole[M] ? pole[M] : pole[N];
        if (!current || !potential) continue;
        const auto pairCentre = [](const Electrode* a, const Electrode* b, double Electrode::*axis) {
            return a && b ? (a->*axis + b->*axis) / 2 : (a ? a->*axis : b->*axis);
        };
        double z = 0;
        int present = 0;
        for (const Electrode* e : pole)
            if (e) z += e->z, ++present;
        points[row] = ViewPoint{(pairCentre(pole[A], pole[B], &Electrode::x) + pairCentre(pole[M], pole[N], &Electrode::x)) / 2,
                                (pairCentre(pole[A], pole[B], &Electrode::y) + pairCentre(pole[M], pole[N], &Electrode::y)) / 2,
                                z / present - quadrupolePseudoDepth(pole)};
    }
    return points;
}

std::vector<std::size_t> selectInBand(std::span<const std::optional<ViewPoint>> points, BandAxis axis, double bound1,
                                      double bound2)
{
    const double low = std::min(bound1, bound2), high = std::max(bound1, bound2);
    const auto k = static_cast<std::size_t>(axis);
    std::vector<std::size_t> rows;
    for (std::size_t row = 0; row < points.size(); ++row)
        if (points[row] && (*points[row])[k] >= low && (*points[row])[k] <= high) rows.push_back(row);
    return rows;
}

std::optional<std::size_t> pickNearest(std::span<const ScreenPoint> points, int x, int y, int radius)
{
    std::optional<std::size_t> best;
    long long bestDistance = static_cast<long long>(radius) * radius;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const long long dx = points[i].x - x, dy = points[i].y - y, distance = dx * dx + dy * dy;
        if (distance > bestDistance) continue;
        if (best && distance == bestDistance && points[i].depth <= points[*best].depth) continue;
        best = i, bestDistance = distance;
    }
    return best;
}

std::string selectionDescription(const Survey& survey, std::size_t selectedCount, std::size_t row,
                                 const std::optional<ViewPoint>& at)
{
    std::string text = "Sel. " + std::to_string(selectedCount) + " Qp.";
    if (row >= survey.quadrupoles.size()) return text;
    const QuadrupoleTable& t = survey.quadrupoles;
    const Quadrupole& q = t.rows[row];
    text += " ID " + std::to_string(q.id) + ": A " + poleText(q.pole[A]) + ", B " + poleText(q.pole[B]) + ", M " +
            poleText(q.pole[M]) + ", N " + poleText(q.pole[N]);
    const bool hasCurrent = row < t.current.size();
    if (survey.present.resistance && row < t.resistance.size() && usable(t.resistance[row])) {
        const double r = t.resistance[row];
        if (hasCurrent) text += "; v = " + formatNumber(r * t.current[row]) + " mV";
        const double k = geometricFactorOfRow(survey, row, false);
        if (usable(k)) text += "; rho = " + formatNumber(r * k) + " ohm m";
    }
    if (hasCurrent) text += "; i = " + formatNumber(t.current[row]) + " mA";
    if (survey.present.ip && !t.ip.empty()) {
        double sum = 0;
        for (const auto& window : t.ip) sum += window[row];
        text += "; m = " + formatNumber(sum / static_cast<double>(t.ip.size()));
    }
    if (survey.present.resistanceStd && row < t.resistanceStd.size())
        text += "; q = " + formatNumber(t.resistanceStd[row]);
    if (at)
        text += "; at x = " + formatFixed((*at)[0], 2) + ", y = " + formatFixed((*at)[1], 2) + ", z = " +
                formatFixed((*at)[2], 2);
    return text;
}

}  // namespace vexora
