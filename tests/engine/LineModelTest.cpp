#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "ForwardTestSupport.h"
#include "engine/forward2d/BesselK.h"
#include "engine/forward2d/ForwardDimension.h"
#include "engine/forward2d/LineSensitivity.h"

namespace vexora {
namespace {

using namespace vexora::testing;

Electrode electrode(int number, double x, double y, int type = 2)
{
    Electrode e;
    e.cable = 1, e.number = number, e.x = x, e.y = y, e.type = static_cast<std::int16_t>(type);
    return e;
}

// Ten electrodes 1 m apart on a line at an angle to the axes, with changes.
std::vector<Electrode> oblique(const std::function<void(std::vector<Electrode>&)>& change = {})
{
    std::vector<Electrode> e;
    for (int i = 0; i < 10; ++i) e.push_back(electrode(i + 1, 3 + 0.8 * i, 1 + 0.6 * i));
    if (change) change(e);
    return e;
}

TEST(ElectrodeLine, OnOffAndRemoteElectrodes)
{
    const struct {
        const char* name;
        std::vector<Electrode> electrodes;
        LineFit fit;
        std::string why;
    } cases[] = {
        {"on the line", oblique(), LineFit::OnLine, ""},
        {"5 cm off (9 cm allowed)", oblique([](auto& e) { e[4].x += 0.03, e[4].y -= 0.04; }), LineFit::OnLine, ""},
        {"20 cm off", oblique([](auto& e) { e[4].x -= 0.12, e[4].y += 0.16; }), LineFit::OffLine,
         "electrode 5 of cable 1 lies 0.179 m off the line (0.090 m allowed)"},
        {"remote on the line", oblique([](auto& e) { e.push_back(electrode(99, 3 + 80, 1 + 60, -2)); }),
         LineFit::OnLine, ""},
        {"remote off the line", oblique([](auto& e) { e.push_back(electrode(99, 3, 51, -2)); }), LineFit::OffLine,
         "electrode 99 of cable 1 lies 40.000 m off the line (0.090 m allowed)"},
        {"one position", {electrode(1, 2, 2), electrode(2, 2, 2)}, LineFit::TooFew, ""},
    };
    for (const auto& c : cases) {
        ElectrodeLine line;
        std::string why;
        EXPECT_EQ(fitElectrodeLine(c.electrodes, kLineTolerance, line, why), c.fit) << c.name;
        EXPECT_EQ(why, c.why) << c.name;
        if (c.fit != LineFit::OnLine) continue;
        EXPECT_NEAR(line.directionX, 0.8, 1e-3) << c.name;
        EXPECT_NEAR(line.directionY, 0.6, 1e-3) << c.name;
        EXPECT_NEAR(line.length, 9.0, 1e-3) << c.name;
        for (int i = 0; i < 10; ++i) EXPECT_NEAR(line.s[static_cast<std::size_t>(i)], i, 0.01) << c.name;
    }
}

// A refused line model logs why and leaves the calculated values as they were.
TEST(HostileInputLineForward, RefusedWithTheReasonAndTheSurveyUntouched)
{
    const struct {
        const char* name;
        std::function<void(ProjectStore&)> spoil;
        std::string message;
    } cases[] = {
        {"off the line", [](ProjectStore& s) { s.survey.electrodes[3].y = 1.0; },
         "No 2.5D forward model: the electrodes do not lie on one line: electrode 4 of cable 1 lies"},
        {"a hill beside the line", [](ProjectStore& s) { s.survey.topography = {{0, 0, 0}, {5, 3, 2}}; },
         "No 2.5D forward model: the ground varies across the line (topography point 2 lies 2.000 m from the "
         "line's profile, 0.070 m allowed)."},
        {"a block without conductivity", [](ProjectStore& s) { s.models.conductivity.assign(s.models.conductivity.size(), 0.0); },
         "Cell 1 of the line model has conductivity 0.000000; a positive value is needed."},
        {"no mesh", [](ProjectStore& s) { clearNodeMesh(s.mesh); },
         "No mesh: generate or load a mesh before the forward model."},
        {"a model of another size", [](ProjectStore& s) { s.models.conductivity.resize(5, 0.01); },
         "Model size mismatch: 5 conductivity values for "},
    };
    for (const auto& c : cases) {
        ProjectStore store = lineSurvey(8, 1.0, dipoleDipole(8));
        MessageLog log;
        ASSERT_EQ(buildMesh(store, log), Status::Ok) << log.plainText();
        store.survey.quadrupoles.calcResistance.assign(store.survey.quadrupoles.size(), 7.0);
        c.spoil(store);
        const std::vector<double> before = store.survey.quadrupoles.calcResistance;
        EXPECT_EQ(runJobForwardModel(store, log, {}, ForwardDimension::Two), Status::Error) << c.name;
        EXPECT_NE(log.plainText().find(c.message), std::string::npos) << c.name << ": " << log.plainText();
        EXPECT_EQ(store.survey.quadrupoles.calcResistance, before) << c.name;
    }
    // Automatic takes 3D for it instead of refusing it.
    ProjectStore store = lineSurvey(8, 1.0, dipoleDipole(8));
    store.survey.topography = {{0, 0, 0}, {5, 3, 2}};
    std::optional<ElectrodeLine> line;
    MessageLog log;
    EXPECT_EQ(chooseForwardDimension(store.survey, ForwardDimension::Automatic, "RUNFORWARDMODEL", "-", log, line),
              Status::Ok);
    EXPECT_FALSE(line.has_value());
    EXPECT_NE(log.plainText().find("Dimension auto: 3D, the ground varies across the line (topography point 2"),
              std::string::npos)
        << log.plainText();
}

TEST(LineForward, GivesAChargeableHalfSpaceItsChargeability)
{
    ProjectStore store = lineSurvey(12, 1.0, dipoleDipole(12));
    setSettingText(store.settings, Item::ModelIp, "1");
    setSettingText(store.settings, Item::BackgroundIp, "50");  // 0.05 at the IP scale of 1000
    store.models.ipModelling = true;
    MessageLog log;
    ASSERT_EQ(buildMesh(store, log), Status::Ok) << log.plainText();
    ASSERT_EQ(runJobForwardModel(store, log, {}, ForwardDimension::Two), Status::Ok) << log.plainText();
    ASSERT_TRUE(store.survey.present.calcIp);
    ASSERT_EQ(store.survey.quadrupoles.calcIp.size(), 39u);
    for (double ip : store.survey.quadrupoles.calcIp) EXPECT_NEAR(ip, 50, 1e-6);
}

TEST(LineWavenumbers, BesselFunctionsAndTheQuadratureOfAPointSource)
{
    for (double x = 1e-3; x < 40; x *= 1.3) {
        EXPECT_NEAR(besselK0(x) / std::cyl_bessel_k(0.0, x), 1.0, 3e-7) << x;
        EXPECT_NEAR(besselK1(x) / std::cyl_bessel_k(1.0, x), 1.0, 3e-7) << x;
    }
    const struct {
        double shortest, longest;
        int count;
        double error;
    } cases[] = {{1, 94, 12, 2e-4}, {5, 950, 12, 2e-4}, {1, 47, 8, 5e-3}};
    for (const auto& c : cases)
        EXPECT_LT(wavenumberError(lineWavenumbers(c.shortest, c.longest, c.count), c.shortest, c.longest), c.error)
            << c.longest << " " << c.count;
    const Wavenumbers w = surveyWavenumbers(std::vector<double>{0, 2, 1, 47});
    ASSERT_EQ(w.k.size(), 12u);
    EXPECT_NEAR(w.k.front(), 0.4 / 94, 1e-12);
    EXPECT_NEAR(w.k.back(), 4.0, 1e-12);
}

// Wenner a = 2 m and a dipole-dipole on 13 electrodes 1 m apart over two
// layers: the sensitivities against finite differences of the forward model
// in cells not touching an electrode (next to one the nodal fields follow
// the singular field only roughly), and their sum rule.
TEST(LineSensitivity, MatchesFiniteDifferences)
{
    ProjectStore store = lineSurvey(13, 1.0, {{3, 9, 5, 7}, {1, 2, 4, 5}});
    ElectrodeLine line;
    std::string why;
    ASSERT_EQ(fitElectrodeLine(store.survey.electrodes, kLineTolerance, line, why), LineFit::OnLine);
    LineModel model;
    model.grid = makeLineGrid(line.s, defaultLineDepths(12, 0.5), [](double) { return 0.0; });
    for (int id = 0; id + 1 < model.grid.depthCount(); ++id)
        for (int is = 0; is + 1 < model.grid.sCount(); ++is)
            model.conductivity.push_back(model.grid.depth[static_cast<std::size_t>(id)] < 2.0 ? 0.01 : 0.05);
    MessageLog log;
    LineSetup setup;
    ASSERT_EQ(prepareLineForward(line, model, store.survey, store.settings, true, "test", log, setup), Status::Ok);
    std::vector<double> resistance;
    LineJacobian jacobian;
    ASSERT_EQ(lineSensitivities(model.grid, setup, model.conductivity, {}, "test", log, resistance, jacobian),
              Status::Ok)
        << log.plainText();

    const LineGrid& g = model.grid;
    auto cellAt = [&](double s, double depth) {
        const LinePoint p = locateOnGrid(g, s, -depth);
        return static_cast<std::size_t>(g.cell(p.is, p.id));
    };
    for (std::size_t q = 0; q < 2; ++q) {
        // Scaling every conductivity by c scales V by 1 / c.
        double sum = 0;
        for (std::size_t c = 0; c < jacobian.cells; ++c) sum += jacobian.row(q)[c] * model.conductivity[c];
        EXPECT_NEAR(sum / resistance[q], -1.0, 0.02) << q;
        for (const auto& [s, depth] : {std::pair{5.2, 1.2}, {5.2, 3.0}, {3.2, 2.2}, {10.3, 1.2}, {1.2, 2.0}}) {
            const std::size_t c = cellAt(s, depth);
            std::vector<double> raised = model.conductivity;
            raised[c] *= 1.01;
            std::vector<double> changed;
            ASSERT_EQ(lineResistances(g, setup, raised, {}, 0, 100, "test", log, changed), Status::Ok);
            const double finite = (changed[q] - resistance[q]) / (0.01 * model.conductivity[c]);
            const double predicted = jacobian.row(q)[c];
            EXPECT_NEAR(predicted, finite, 0.07 * std::abs(finite)) << q << " at " << s << ", " << depth;
        }
    }
}

// The condition about each source's own position from one factor per
// wavenumber about another point: the secondary field as from the source's
// own factor, for sources at both ends and below the surface, at a small and
// a large wavenumber, over two layers with a conductive end.
TEST(LinePoles, SharedFactorGivesEachSourceItsOwnOuterCondition)
{
    const std::vector<double> electrodes{0, 1, 2, 3, 4, 5, 6, 7, 8};
    const LineGrid grid = makeLineGrid(electrodes, defaultLineDepths(8, 0.5), [](double) { return 0.0; });
    std::vector<double> conductivity;
    for (int id = 0; id + 1 < grid.depthCount(); ++id)
        for (int is = 0; is + 1 < grid.sCount(); ++is)
            conductivity.push_back(grid.s[static_cast<std::size_t>(is)] > 10 ? 0.2
                                   : grid.depth[static_cast<std::size_t>(id)] < 2.0 ? 0.01 : 0.05);
    const std::vector<CellMatrices> cells = gridCellMatrices(grid);
    for (const auto& [s, depth] : {std::pair{0.0, 0.0}, {8.0, 0.0}, {3.0, 2.5}})
        for (double k : {0.01, 2.0}) {
            const LineSource source = lineSourceAt(grid, locateOnGrid(grid, s, -depth), conductivity);
            LineSystem own, shared;
            ASSERT_TRUE(factorLineSystem(grid, cells, conductivity, k, source.at.s, source.at.z, own));
            ASSERT_TRUE(factorLineSystem(grid, cells, conductivity, k, 4.0, -1.0, shared));
            std::vector<double> up, expected, us;
            ASSERT_TRUE(solveLinePole(grid, cells, conductivity, source, own, up, expected));
            ASSERT_TRUE(solveLinePole(grid, cells, conductivity, source, shared, up, us));
            double largest = 0, error = 0;
            for (std::size_t i = 0; i < us.size(); ++i)
                largest = std::max(largest, std::abs(expected[i])), error = std::max(error, std::abs(us[i] - expected[i]));
            EXPECT_LT(error, 1e-8 * largest) << s << ", " << depth << " at k " << k;
        }
}

}  // namespace
}  // namespace vexora
