#include <gtest/gtest.h>

#include <functional>

#include "ForwardTestSupport.h"
#include "core/import/GeometricFactor.h"

namespace vexora {
namespace {

using namespace vexora::testing;

TEST(ForwardModel, RefusesAStoreWithoutMesh)
{
    ProjectStore store;
    MessageLog log;
    EXPECT_EQ(runJobForwardModel(store, log), Status::Error);
    EXPECT_TRUE(store.survey.quadrupoles.calcResistance.empty());
}

ProjectStore smallLine()
{
    ProjectStore store = lineSurvey(8, 1.0, dipoleDipole(8));
    MessageLog log;
    EXPECT_EQ(buildMesh(store, log), Status::Ok) << log.plainText();
    return store;
}

struct BadInput {
    const char* name;
    std::function<void(ProjectStore&, ComputeControl&)> spoil;
    const char* message;
};
void PrintTo(const BadInput& c, std::ostream* os) { *os << c.name; }

class ForwardModelRefuses : public ::testing::TestWithParam<BadInput> {};

TEST_P(ForwardModelRefuses, WithItsReasonAndTheSurveyUntouched)
{
    ProjectStore store = smallLine();
    ComputeControl control;
    GetParam().spoil(store, control);
    MessageLog log;
    EXPECT_EQ(runJobForwardModel(store, log, control), Status::Error);
    EXPECT_NE(log.plainText().find(GetParam().message), std::string::npos) << log.plainText();
    EXPECT_TRUE(store.survey.quadrupoles.calcResistance.empty());
    EXPECT_FALSE(store.survey.present.calcResistance);
}

INSTANTIATE_TEST_SUITE_P(
    BadInputs, ForwardModelRefuses,
    ::testing::Values(
        BadInput{"NoMesh", [](ProjectStore& s, ComputeControl&) { s.mesh.present = false; },
                 "Error: RUNFORWARDMODEL: No mesh: generate or load a mesh before the forward model."},
        BadInput{"ModelSize", [](ProjectStore& s, ComputeControl&) { s.models.conductivity.pop_back(); },
                 "conductivity values for"},
        BadInput{"NoIpModel", [](ProjectStore& s, ComputeControl&) { setSettingText(s.settings, Item::ModelIp, "1"); },
                 "Model size mismatch: 1 IP values for"},
        BadInput{"NegativeConductivity", [](ProjectStore& s, ComputeControl&) { s.models.conductivity[7] = -1; },
                 "Block 8 has conductivity -1.000000; a positive value is needed."},
        BadInput{"ElectrodeOutside", [](ProjectStore& s, ComputeControl&) { s.survey.electrodes[2].x = 500; },
                 "Electrode L 3 at (500.000, 0.000, 0.000) lies outside the mesh."},
        BadInput{"ElectrodeBelow", [](ProjectStore& s, ComputeControl&) { s.survey.electrodes[4].z = -900; },
                 "Electrode L 5 at (4.000, 0.000, -900.000) lies below the bottom of the mesh."},
        BadInput{
            "BoundaryCodes",
            [](ProjectStore& s, ComputeControl&) { setSettingText(s.settings, Item::BoundaryConditions, "1 1 3 1 1"); },
            "Boundary code 3 is 3"},
        BadInput{"AllSkipped",
                 [](ProjectStore& s, ComputeControl&) {
                     setSettingText(s.settings, Item::SkipTxWithoutRx, "1");
                     s.survey.quadrupoles.skip.assign(s.survey.quadrupoles.size(), 1);
                 },
                 "No quadrupole has a current electrode to compute (all skipped or absent)."},
        BadInput{"NoConvergence",
                 [](ProjectStore& s, ComputeControl&) {
                     setSettingText(s.settings, Item::ForwardMaxIterations, "2");
                     auto& sigma = s.models.conductivity;
                     std::fill(sigma.begin(), sigma.begin() + static_cast<std::ptrdiff_t>(sigma.size() / 2), 0.1);
                 },
                 "The forward solver did not converge within 2 iterations"},
        BadInput{"TooLarge", [](ProjectStore&, ComputeControl& c) { c.memoryLimitBytes = 1 << 20; },
                 "for the forward model; 1 MB are available."},
        BadInput{"Abort", [](ProjectStore&, ComputeControl& c) { c.cancelRequested = [] { return true; }; },
                 "Forward model aborted after 0 of 6 sources; the calculated values are unchanged."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ForwardModel, SkippedQuadrupolesAreLeftOutOnlyWhenAsked)
{
    for (const char* choice : {"1", "2"}) {
        ProjectStore store = smallLine();
        auto& q = store.survey.quadrupoles;
        for (std::size_t k = 0; k < q.size(); ++k) q.skip[k] = q.rows[k].pole[A].number == 1;  // all using electrode 1
        setSettingText(store.settings, Item::SkipTxWithoutRx, choice);
        MessageLog log;
        ASSERT_EQ(runJobForwardModel(store, log), Status::Ok) << log.plainText();
        const std::vector<double>& v = store.survey.quadrupoles.calcResistance;
        for (std::size_t k = 0; k < q.size(); ++k) EXPECT_EQ(v[k] == kCannotCompute, choice[0] == '1' && q.skip[k]);
        EXPECT_NE(log.plainText().find(choice[0] == '1' ? "5 current electrodes" : "6 current electrodes"),
                  std::string::npos)
            << log.plainText();
        const std::vector<double> k = funGeometricFactor(store.survey, false);
        for (std::size_t j = 0; j < v.size(); ++j)
            if (v[j] != kCannotCompute) {
                EXPECT_NEAR(k[j] * v[j], 100, 0.01);
            }
    }
}

TEST(ForwardModel, ReportsProgressUpToTheEnd)
{
    ProjectStore store = smallLine();
    ComputeControl control;
    std::vector<int> percent;
    control.progress = [&](int p, std::string_view) { percent.push_back(p); };
    MessageLog log;
    ASSERT_EQ(runJobForwardModel(store, log, control), Status::Ok);
    ASSERT_FALSE(percent.empty());
    EXPECT_TRUE(std::is_sorted(percent.begin(), percent.end()));
    EXPECT_EQ(percent.back(), 100);
}

}  // namespace
}  // namespace vexora
