#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>
#include <sstream>
#include <string>

#include "ForwardTestSupport.h"
#include "core/io/TextFile.h"
#include "core/mesh/MeshSettings.h"
#include "core/mesh/MeshWorkspace.h"
#include "core/settings/NumberText.h"

// The forward model against V/I from an independent finite-element code
// (quadratic tetrahedra on meshes graded around the electrodes, made by
// scripts/reference/forward_reference.py). Each table states its model and
// the reference's own accuracy, the difference between two refinements.

namespace vexora {
namespace {

using namespace vexora::testing;

struct ReferenceTable {
    std::vector<NodePoint> electrodes;
    std::vector<Quad> quads;
    std::vector<double> resistance;
};

// Rows "E n x y z" (n counting from 1) and "Q a b m n V/I ..."; "#" comments.
ReferenceTable readReference(const std::string& name)
{
    std::string text;
    EXPECT_TRUE(readTextFile(std::string(VEXORA_REFERENCE_DIR) + "/" + name + ".tsv", text)) << name;
    ReferenceTable table;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream row(line);
        std::string kind;
        row >> kind;
        if (kind == "E") {
            int n = 0;
            NodePoint p;
            row >> n >> p.x >> p.y >> p.z;
            EXPECT_EQ(n, static_cast<int>(table.electrodes.size()) + 1) << line;
            table.electrodes.push_back(p);
        }
        else if (kind == "Q") {
            Quad q{};
            double v = 0;
            row >> q[0] >> q[1] >> q[2] >> q[3] >> v;
            table.quads.push_back(q);
            table.resistance.push_back(v);
        }
        EXPECT_TRUE(kind.empty() || kind[0] == '#' || !row.fail()) << line;
    }
    return table;
}

struct ReferenceCase {
    const char* name;
    std::function<double(double, double, double)> resistivity;  // at a block's centre
    std::function<double(double, double)> height;               // empty: flat ground at z = 0
    double medianLimit, maxLimit;                               // default elements
    double halfMedianLimit, halfMaxLimit;                       // half the element size
    double background;                                          // the model as the settings give it, so that
    AnomalyFields anomaly;                                      // the mesh knows the contrast (none: "")
};
void PrintTo(const ReferenceCase& c, std::ostream* os) { *os << c.name; }

double profile(double x, double) { return 0.3 * (std::clamp(x, 3.0, 7.5) - 3); }
double hill(double x, double y) { return 1.5 * std::exp(-((x - 5.5) * (x - 5.5) + (y - 1.5) * (y - 1.5)) / 9); }

// Topography points every 0.25 m over the survey, every 2 m beyond it, on a
// grid wider than the mesh: every kink of the profile is a grid line.
std::vector<TopographyPoint> topographyOf(const std::function<double(double, double)>& height)
{
    std::vector<double> axis;
    for (double v = -80; v < 90; v += (v >= -4 && v < 16) ? 0.25 : 2) axis.push_back(v);
    std::vector<TopographyPoint> points;
    for (double x : axis)
        for (double y : axis) points.push_back({x, y, height(x, y)});
    return points;
}

// Every interior and pad element halved: the element sizes, and the pad
// lines at the old ones and midway between them.
void halveElements(SettingsTable& settings)
{
    const MeshSettings m = readMeshSettings(settings);
    setSettingText(settings, Item::GridSizeX, formatNumber(m.dx / 2));
    setSettingText(settings, Item::GridSizeY, formatNumber(m.dy / 2));
    setSettingText(settings, Item::GridSizeZ, formatNumber(m.dz / 2));
    const std::pair<Item, const std::vector<double>*> pads[] = {{Item::PadsXMin, &m.padsXMin},
                                                                {Item::PadsXMax, &m.padsXMax},
                                                                {Item::PadsYMin, &m.padsYMin},
                                                                {Item::PadsYMax, &m.padsYMax},
                                                                {Item::PadsZMin, &m.padsZMin}};
    for (const auto& [item, values] : pads) {
        std::string text;
        double previous = 0;
        for (double v : *values) {
            text += formatNumber(previous + v) + " " + formatNumber(2 * v) + " ";
            previous = v;
        }
        setSettingText(settings, item, text);
    }
}

// |ours / reference - 1| of every quadrupole.
std::vector<double> runAgainst(const ReferenceCase& c, const ReferenceTable& ref, bool halfSize)
{
    ProjectStore store =
        surfaceSurvey(ref.electrodes, ref.quads, c.height ? topographyOf(c.height) : std::vector<TopographyPoint>{});
    // 3 m deep foreground: z lines every 0.5 and 0.25 m from the top, on the faces of the cube.
    setSettingText(store.settings, Item::ForegroundZMin, "-3");
    setSettingText(store.settings, Item::DepthOfInvestigation, "3");
    if (halfSize) halveElements(store.settings);
    setSettingText(store.settings, Item::BackgroundResistivity, formatNumber(c.background));
    if (!c.anomaly[0].empty()) EXPECT_FALSE(insertAnomalyRow(store.settings, true, c.anomaly));
    setSettingText(store.settings, Item::CpuThreads, "2");
    MessageLog log;
    EXPECT_EQ(buildMesh(store, log), Status::Ok) << log.plainText();
    for (std::size_t e = 0; e < store.models.conductivity.size(); ++e) {
        const NodePoint centre = blockCentre(store.mesh, e);
        store.models.conductivity[e] = 1 / c.resistivity(centre.x, centre.y, centre.z);
    }
    EXPECT_EQ(runJobForwardModel(store, log), Status::Ok) << log.plainText();
    std::vector<double> error;
    for (std::size_t q = 0; q < ref.quads.size(); ++q)
        error.push_back(std::abs(store.survey.quadrupoles.calcResistance[q] / ref.resistance[q] - 1));
    return error;
}

// The same, each case and size run once for all tests.
const std::vector<double>& errorsAgainst(const ReferenceCase& c, const ReferenceTable& ref, bool halfSize)
{
    static std::map<std::pair<std::string, bool>, std::vector<double>> done;
    const auto key = std::make_pair(std::string(c.name), halfSize);
    if (!done.count(key)) done[key] = runAgainst(c, ref, halfSize);
    return done[key];
}

// Median and largest error, and the quadrupoles with the largest.
void report(const char* name, const char* size, const ReferenceTable& ref, const std::vector<double>& error)
{
    std::vector<std::size_t> order(error.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return error[a] > error[b]; });
    std::printf("%s, %s: %zu quadrupoles, median %.3f%%, max %.3f%%; worst", name, size, error.size(),
                100 * median(error), 100 * error[order[0]]);
    for (std::size_t k = 0; k < std::min<std::size_t>(3, order.size()); ++k) {
        const Quad& q = ref.quads[order[k]];
        std::printf(" [%d %d %d %d] %.3f%%", q[0], q[1], q[2], q[3], 100 * error[order[k]]);
    }
    std::printf("\n");
}

class ReferenceForward : public ::testing::TestWithParam<ReferenceCase> {};

TEST_P(ReferenceForward, AgreesAtDefaultAndHalfElementSize)
{
    const ReferenceCase& c = GetParam();
    const ReferenceTable ref = readReference(c.name);
    ASSERT_FALSE(ref.quads.empty());
    const std::vector<double>& coarse = errorsAgainst(c, ref, false);
    const std::vector<double>& fine = errorsAgainst(c, ref, true);
    report(c.name, "0.5 m", ref, coarse);
    report(c.name, "0.25 m", ref, fine);
    EXPECT_LE(median(coarse), c.medianLimit);
    EXPECT_LE(*std::max_element(coarse.begin(), coarse.end()), c.maxLimit);
    EXPECT_LE(median(fine), c.halfMedianLimit);
    EXPECT_LE(*std::max_element(fine.begin(), fine.end()), c.halfMaxLimit);
}

double cube(double x, double y, double z)
{
    return x > 3 && x < 5 && y > 0.5 && y < 2.5 && z > -2.5 && z < -0.5 ? 10.0 : 100.0;
}
double contact(double x, double, double) { return x < 4.5 ? 30.0 : 300.0; }
double uniform(double, double, double) { return 100.0; }

const ReferenceCase kCases[] = {
    {"cube", cube, {}, 0.003, 0.050, 0.0025, 0.052, 100, {"3", "5", "0.5", "2.5", "-2.5", "-0.5", "10", ""}},
    {"contact", contact, {}, 0.012, 0.050, 0.005, 0.040, 30, {"4.5", "1000", "-1000", "1000", "-1000", "1000", "300", ""}},
    {"terrain2d", uniform, profile, 0.003, 0.015, 0.002, 0.004, 100, {}},
    {"hill3d", uniform, hill, 0.005, 0.019, 0.003, 0.008, 100, {}},
};

INSTANTIATE_TEST_SUITE_P(Cases, ReferenceForward, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Across the kinks of the profile the error of the worst quadrupoles should
// at least halve with the element size.
TEST(ReferenceForwardConvergence, TerrainErrorHalvesWithTheElementSize)
{
    const ReferenceCase& c = kCases[2];
    const ReferenceTable ref = readReference(c.name);
    const std::vector<double>& coarse = errorsAgainst(c, ref, false);
    const std::vector<double>& fine = errorsAgainst(c, ref, true);
    EXPECT_LE(*std::max_element(fine.begin(), fine.end()), *std::max_element(coarse.begin(), coarse.end()) / 2);
}

}  // namespace
}  // namespace vexora
