#pragma once
// Surveys on a line of surface electrodes for the forward-model tests: the
// store with its default mesh built, quadrupoles of the classic arrays, and
// the closed forms the results are checked against.

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "core/datafile/SurveyChecks.h"
#include "engine/forward/ForwardModel.h"
#include "core/mesh/DefaultMeshSettings.h"
#include "core/mesh/MeshBuild.h"
#include "engine/script/JobSteps.h"

namespace vexora::testing {

// A, B, M, N by their 1-based place among the survey's electrodes (on a
// single line, their numbers on cable 1); 0 is an absent pole.
using Quad = std::array<int, 4>;

// Surface electrodes at `points`; consecutive points at the same y share a
// cable, numbered 1.. along it (the first cable is "L"). A quadrupole names
// its poles by their 1-based place in `points`. The topography is given as
// it is, the mesh following it.
inline ProjectStore surfaceSurvey(const std::vector<NodePoint>& points, const std::vector<Quad>& quads,
                                  std::vector<TopographyPoint> topography)
{
    ProjectStore store;
    Survey& s = store.survey;
    std::vector<ElectrodeRef> refs;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i == 0 || points[i].y != points[i - 1].y)
            s.cableNames.push_back(i == 0 ? "L" : "L" + std::to_string(s.cableNames.size() + 1));
        Electrode e;
        e.cable = static_cast<int>(s.cableNames.size());
        e.number = i == 0 || e.cable != s.electrodes.back().cable ? 1 : s.electrodes.back().number + 1;
        e.x = points[i].x, e.y = points[i].y, e.z = points[i].z, e.elevation = e.z, e.type = 2;
        s.electrodes.push_back(e);
        refs.push_back({e.cable, e.number});
    }
    s.topography = std::move(topography);
    MessageLog log;
    (void)funCreateElecTable(s, log);  // the electrodes built here are always valid
    for (std::size_t k = 0; k < quads.size(); ++k) {
        Quadrupole q;
        q.id = static_cast<int>(k + 1);
        for (std::size_t p = 0; p < 4; ++p)
            q.pole[p] = quads[k][p] ? refs[static_cast<std::size_t>(quads[k][p] - 1)] : ElectrodeRef{};
        s.quadrupoles.rows.push_back(q);
    }
    s.quadrupoles.resistance.assign(quads.size(), 1.0);
    s.quadrupoles.skip.assign(quads.size(), 0);
    s.quadrupoles.current.assign(quads.size(), 1000.0);
    s.present.resistance = true;
    s.electrodesLoaded = s.dataLoaded = true;
    (void)SetDefaultMeshSettings(s, store.settings, store.mesh.lines, log);  // there are electrodes: Ok
    // A mesh on terrain keeps its depth under it everywhere.
    if (!s.topography.empty()) setSettingText(store.settings, Item::FlatZBottom, "2");
    return store;
}

// Electrodes 1..count every `spacing` metres along X at z = height(x) on
// cable 1.
inline ProjectStore lineSurvey(int count, double spacing, const std::vector<Quad>& quads,
                               const std::function<double(double)>& height, std::vector<TopographyPoint> topography)
{
    std::vector<NodePoint> points;
    for (int i = 0; i < count; ++i) points.push_back({i * spacing, 0.0, height(i * spacing)});
    return surfaceSurvey(points, quads, std::move(topography));
}

// The same at z = slope * x; with a slope, the topography follows the same plane.
inline ProjectStore lineSurvey(int count, double spacing, const std::vector<Quad>& quads, double slope = 0.0)
{
    std::vector<TopographyPoint> topography;
    if (slope != 0.0) {
        const double far = 4 * count * spacing;
        for (double x = -far; x <= far; x += count * spacing / 4)
            for (double y = -far; y <= far; y += count * spacing / 4) topography.push_back({x, y, slope * x});
    }
    return lineSurvey(count, spacing, quads, [slope](double x) { return slope * x; }, std::move(topography));
}

// The mean of a block's eight corners.
inline NodePoint blockCentre(const Mesh& mesh, std::size_t block)
{
    NodePoint c;
    for (std::int32_t n : mesh.elementNodes[block]) {
        const NodePoint& p = mesh.nodeGrid[static_cast<std::size_t>(n - 1)];
        c.x += p.x / 8, c.y += p.y / 8, c.z += p.z / 8;
    }
    return c;
}

inline Status buildMesh(ProjectStore& store, MessageLog& log)
{
    MeshBuildOutcome outcome;
    if (applyMeshSettings(store.settings, store.mesh, log) != Status::Ok) return Status::Error;
    return funMakeMesh(store.settings, store.survey, store.mesh, store.models, log, outcome);
}

// The arrays on electrodes 1..count, electrode spacing a = 1 unit.
inline std::vector<Quad> wenner(int count)
{
    std::vector<Quad> q;
    for (int a = 1; 3 * a < count; ++a)
        for (int i = 1; i + 3 * a <= count; i += a) q.push_back({i, i + 3 * a, i + a, i + 2 * a});
    return q;
}
inline std::vector<Quad> schlumberger(int count)
{
    std::vector<Quad> q;
    for (int n = 1; 2 * n + 1 < count; ++n)
        for (int i = 1; i + 2 * n + 1 <= count; i += 2) q.push_back({i, i + 2 * n + 1, i + n, i + n + 1});
    return q;
}
inline std::vector<Quad> dipoleDipole(int count)
{
    std::vector<Quad> q;
    for (int n = 1; n <= 6; ++n)
        for (int i = 1; i + n + 2 <= count; ++i) q.push_back({i, i + 1, i + n + 1, i + n + 2});
    return q;
}
// Dipole-dipole on a long line: current and potential dipoles of one
// spacing, up to `widest` spacings apart, the current dipole on every
// `step`-th electrode, so that many current electrodes lie far from the
// middle of the line.
inline std::vector<Quad> wideDipoleDipole(int count, int widest, int step)
{
    std::vector<Quad> q;
    for (int n = 1; n <= widest; ++n)
        for (int i = 1; i + n + 2 <= count; i += step) q.push_back({i, i + 1, i + n + 1, i + n + 2});
    return q;
}

inline std::vector<Quad> poleDipole(int count)
{
    std::vector<Quad> q;
    for (int n = 1; n <= 6; ++n)
        for (int i = 1; i + n + 1 <= count; ++i) q.push_back({i, 0, i + n, i + n + 1});
    return q;
}

// Potential at horizontal distance r from a unit current on the surface of
// rho1 over rho2 at depth h, by images:
//   u = rho1 / (2 pi) (1 / r + 2 sum_n k^n / sqrt(r^2 + (2 n h)^2)).
inline double twoLayerPotential(double r, double rho1, double rho2, double h)
{
    const double k = (rho2 - rho1) / (rho2 + rho1);
    double sum = 1 / r, kn = 1;
    for (int n = 1; n < 4000 && std::abs(kn) > 1e-14; ++n) {
        kn *= k;
        sum += 2 * kn / std::sqrt(r * r + 4.0 * n * n * h * h);
    }
    return rho1 / (2 * std::numbers::pi) * sum;
}

// Each block of the built mesh takes 1 / rho1 above `depth` and 1 / rho2
// below it, by the mean height of its nodes.
inline void setTwoLayers(ProjectStore& store, double rho1, double rho2, double depth)
{
    for (std::size_t e = 0; e < store.models.conductivity.size(); ++e) {
        double z = 0;
        for (std::int32_t n : store.mesh.elementNodes[e])
            z += store.mesh.nodeGrid[static_cast<std::size_t>(n - 1)].z / 8;
        store.models.conductivity[e] = 1 / (z < -depth ? rho2 : rho1);
    }
}

// V/I of a quadrupole of surface electrodes along X over the two layers
// (absent poles left out).
inline double twoLayerResistance(const std::vector<Electrode>& el, const Quad& q, double rho1, double rho2,
                                 double depth)
{
    double v = 0;
    for (int c = 0; c < 2; ++c)
        for (int m = 2; m < 4; ++m) {
            if (!q[static_cast<std::size_t>(c)] || !q[static_cast<std::size_t>(m)]) continue;
            const double r = std::abs(el[static_cast<std::size_t>(q[static_cast<std::size_t>(c)] - 1)].x -
                                      el[static_cast<std::size_t>(q[static_cast<std::size_t>(m)] - 1)].x);
            v += ((c == 0) == (m == 2) ? 1 : -1) * twoLayerPotential(r, rho1, rho2, depth);
        }
    return v;
}

// |modelled / image-series V/I - 1| of every quadrupole after a forward run.
inline std::vector<double> twoLayerErrors(const ProjectStore& store, const std::vector<Quad>& quads, double rho1,
                                          double rho2, double depth)
{
    std::vector<double> error;
    for (std::size_t k = 0; k < quads.size(); ++k)
        error.push_back(std::abs(store.survey.quadrupoles.calcResistance[k] /
                                     twoLayerResistance(store.survey.electrodes, quads[k], rho1, rho2, depth) -
                                 1));
    return error;
}

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : (v[(v.size() - 1) / 2] + v[v.size() / 2]) / 2;
}

}  // namespace vexora::testing
