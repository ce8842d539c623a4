#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "MeshTestSupport.h"
#include "core/mesh/Topography.h"

using namespace vexora;
namespace vt = vexora::testing;
using vexora::testing::logHas;

namespace {

using Points = std::vector<TopographyPoint>;

Points sorted(Points points)
{
    std::sort(points.begin(), points.end(),
              [](const TopographyPoint& a, const TopographyPoint& b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
    return points;
}

TEST(TerrainBinning, FewPointsAreFatal)
{
    Points points = {{0, 0, 1}, {1, 1, 2}, {-INFINITY, 0, 0}};
    MessageLog log;
    EXPECT_EQ(BinandSort(points, {{0, 1}, {0, 1}, {0}}, 0.5, 0.5, log), TopographyStatus::Fatal);
    EXPECT_TRUE(logHas(log, "Warning: BinandSort: 1 topography points are not finite numbers and were left out."));
    EXPECT_TRUE(logHas(log, "\r\nTopography Fatal Error: few points "));
}

TEST(TerrainBinning, ProfileIsCopiedAcrossAndCornersAdded)
{
    // A profile at y = 5 on Y lines from -40 to 50; the corners take the X
    // extremes' elevations, nearer than the Y extremes (all at y = 5).
    Points points = {{0, 5, 1}, {10, 5, 2}, {20, 5, 3}};
    MessageLog log;
    ASSERT_EQ(BinandSort(points, {{-10, 0, 10, 20, 30}, {-40, 5, 50}, {0}}, 0.5, 0.5, log), TopographyStatus::Ready);
    EXPECT_EQ(sorted(points), sorted({{0, 5, 1}, {10, 5, 2}, {20, 5, 3}, {0, -40, 1}, {10, -40, 2}, {20, -40, 3},
                                      {0, 50, 1}, {10, 50, 2}, {20, 50, 3}, {-10.001, -40.001, 1},
                                      {-10.001, 50.001, 1}, {30.001, -40.001, 3}, {30.001, 50.001, 3}}));
}

TEST(TerrainBinning, PointsOfOneBinBecomeTheirMean)
{
    // Bins of 0.5 / 4 = 0.125 m from X(1) = 0: x = 1.00 and 1.01 both fall into bin 8.
    Points points = {{1.0, 2, 1}, {1.01, 2, 3}, {5, 5, 0}, {5, 0, 0}};
    MessageLog log;
    const MeshLines lines{{0, 10}, {0, 10}, {0}};
    ASSERT_EQ(BinandSort(points, lines, 0.5, 0.5, log), TopographyStatus::Ready);
    EXPECT_EQ(points.size(), 3u + 4u);
    EXPECT_NE(std::find(points.begin(), points.end(), TopographyPoint{1.005, 2, 2}), points.end());
    // Lines spanning 10 m with dx = 20: bins of 10 / 5 = 2 m, not 5 m, so x = 0.9 and 1.1 stay apart.
    points = {{0.9, 3, 1}, {1.1, 3, 2}, {5, 8, 0}};
    ASSERT_EQ(BinandSort(points, lines, 20, 20, log), TopographyStatus::Ready);
    EXPECT_EQ(points.size(), 3u + 4u);
}

// X lines 0 to 10 and Y lines 0 to 8 every 0.5 m; the helper corners lie 0.001 m outside.
const MeshLines planeLines{vt::evenLines(0, 0.5, 21), vt::evenLines(0, 0.5, 17), {0}};

struct Plane {
    double a, b, c;  // z = a + b x + c y
    double operator()(double x, double y) const { return a + b * x + c * y; }
};
const Plane alongX{1, 0.3, 0}, alongY{2, 0, -0.2};

// Scattered samples of a plane. The helper corners take the elevations of
// extreme samples, which lie on the plane at the corners only when the plane
// is constant along one axis and the samples reach exactly the corners'
// coordinate along the other (no tilted plane can satisfy all four corners).
Points planeSamples(const Plane& f, int count, std::uint32_t seed)
{
    const bool y = f.b == 0;
    const double xs[2] = {y ? -6 : -0.001, y ? 16 : 10.001}, ys[2] = {y ? -0.001 : -6, y ? 8.001 : 14};
    Points points = {{xs[0], ys[0], f(xs[0], ys[0])}, {xs[1], ys[1], f(xs[1], ys[1])}};
    auto uniform = [&](const double (&range)[2]) {
        seed = seed * 1664525u + 1013904223u;
        return range[0] + (range[1] - range[0]) * (seed >> 8) / 16777216.0;
    };
    for (int i = 0; i < count; ++i) {
        const double x = uniform(xs), yy = uniform(ys);
        points.push_back({x, yy, f(x, yy)});
    }
    return points;
}

void expectPlaneAtEveryNode(const Plane& f, Points points)
{
    MessageLog log;
    ASSERT_EQ(BinandSort(points, planeLines, 0.5, 0.5, log), TopographyStatus::Ready);
    std::vector<double> surface;
    ASSERT_EQ(InterpolateTerrainSurface(points, planeLines, surface, log), TopographyStatus::Ready) << log.plainText();
    const std::size_t ny = planeLines.y.size();
    ASSERT_EQ(surface.size(), planeLines.x.size() * ny);
    for (std::size_t ix = 0; ix < planeLines.x.size(); ++ix)
        for (std::size_t iy = 0; iy < ny; ++iy)
            ASSERT_NEAR(surface[ix * ny + iy], f(planeLines.x[ix], planeLines.y[iy]), 1e-9) << ix << " " << iy;
}

TEST(TerrainSurfaceTest, PlaneIsReproducedAtEveryNode)
{
    expectPlaneAtEveryNode(alongX, planeSamples(alongX, 400, 7));
    expectPlaneAtEveryNode(alongY, planeSamples(alongY, 400, 9));
}

TEST(TerrainSurfaceTest, DuplicatedAndNearlyDuplicatedPoints)
{
    for (const Plane& f : {alongX, alongY}) {
        Points points = planeSamples(f, 300, 11);
        const std::size_t n = points.size();
        for (std::size_t i = 0; i < n; ++i) {
            points.push_back(points[i]);  // averaged in its bin
            const double x = points[i].x + 1e-9;
            points.push_back({x, points[i].y, f(x, points[i].y)});
        }
        // 1e-12 m apart across a bin edge (x = 8.5 bins of 0.125 m): both stay.
        for (double x : {1.0625, 1.0625 + 1e-12}) points.push_back({x, 3, f(x, 3)});
        expectPlaneAtEveryNode(f, points);
    }
}

TEST(TerrainSurfaceTest, CollinearPointsCarryNoSurface)
{
    std::vector<double> surface = {42};
    MessageLog log;
    EXPECT_EQ(InterpolateTerrainSurface({{0, 0, 1}, {1, 1, 1}, {2, 2, 1}}, {{0, 1}, {0, 1}, {0}}, surface, log),
              TopographyStatus::Fatal);
    EXPECT_EQ(log.plainText(), "\r\nTopography Fatal Error: collinear points");
    EXPECT_EQ(surface, std::vector<double>{42});
}

TEST(TerrainSurfaceTest, SurfaceElectrodesTakeTheFirstNearestTopNode)
{
    Mesh mesh = vt::meshOfLines({0, 1}, {0, 1}, {0, -1});
    mesh.nx = mesh.ny = mesh.nz = 2;
    mesh.nodeGrid.assign(64, NodePoint{});
    for (int iy = 1; iy <= 2; ++iy)
        for (int ix = 1; ix <= 2; ++ix)
            mesh.nodeGrid[nodeNumber(mesh, ix, iy, 1) - 1] = {ix - 1.0, iy - 1.0, 10.0 * (ix + 2 * iy - 2)};
    // Halfway between (2,1) and (2,2): iy = 1 first; between (1,2) and (2,2): ix = 1 first.
    std::vector<Electrode> electrodes = {vt::electrode(1, 1, 1, 0.5, 0), vt::electrode(1, 2, 0.5, 1, 0, -2),
                                         vt::electrode(1, 3, 0, 0, -3, 1)};
    UpdateSurfaceElectrodes(mesh, electrodes);
    EXPECT_EQ(electrodes[0].z, 20.0);
    EXPECT_EQ(electrodes[0].elevation, 20.0);
    EXPECT_EQ(electrodes[1].z, 30.0);
    EXPECT_EQ(electrodes[2].z, -3.0);  // borehole: untouched
}

}  // namespace
