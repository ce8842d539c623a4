#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "support/SmallSurvey.h"
#include "core/datafile/ScheduleLoader.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/qc/Pseudosection.h"

namespace vexora {
namespace {

// Edwards' median depths of investigation, in electrode spacings a.
TEST(Pseudosection, MedianDepthsOfTheCommonArrays)
{
    const struct {
        const char* array;
        std::vector<double> distances;  // A-M, A-N, B-M, B-N of the present poles
        std::vector<int> signs;
        double depth;
    } cases[] = {
        {"Wenner", {1, 2, 2, 1}, {1, -1, -1, 1}, 0.519},
        {"dipole-dipole n = 1", {2, 3, 1, 2}, {1, -1, -1, 1}, 0.416},
        {"dipole-dipole n = 2", {3, 4, 2, 3}, {1, -1, -1, 1}, 0.697},
        {"Wenner-Schlumberger n = 2", {2, 3, 3, 2}, {1, -1, -1, 1}, 0.925},
        {"pole-dipole n = 1", {1, 2}, {1, -1}, 0.519},
        {"pole-pole", {1}, {1}, 0.867},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(medianDepthOfInvestigation(c.distances, c.signs), c.depth, 0.0015) << c.array;
}

std::string lineSurvey()
{
    std::string electrodes = "#elec_start\r\n";
    for (int i = 1; i <= 8; ++i) electrodes += "L " + std::to_string(i) + " " + std::to_string(2 * (i - 1)) + " 0 0\r\n";
    electrodes += "K 1 0 6 0\r\nK 2 2 6 0\r\nRem 1 -500 0 0\r\nRem 2 0 -500 0\r\n#elec_end\r\n";
    const std::string rows = "1 L 1 L 4 L 2 L 3 0.5 10 5 100 0\r\n"     // Wenner a = 2
                             "2 L 3 L 4 L 5 L 6 -0.25 12 6 100 0\r\n"   // dipole-dipole n = 1
                             "3 L 1 Rem 1 L 2 L 3 0.4 8 4 100 0\r\n"    // pole-dipole n = 1
                             "4 L 5 Rem 1 L 6 Rem 2 0.3 9 3 100 0\r\n"  // pole-pole
                             "5 L 1 L 2 L 3 L 4 0.1 9 3 100 1\r\n"      // skipped
                             "6 L 1 L 2 K 1 K 2 0.2 9 3 100 0\r\n"      // across two cables
                             "7 K 1 K 2 K 1 K 2 0.2 9 3 100 0\r\n";     // no geometric factor
    return testing::smallHeader() + electrodes + "#data_start\r\n" + rows + "#data_end\r\n";
}

TEST(Pseudosection, PlacesEachArrayOnItsCable)
{
    ProjectStore store;
    MessageLog log;
    ScriptedQuestions questions;
    questions.setDefaultAnswer(true);
    store.type = ProjectType::DataInversion;
    ASSERT_EQ(loadScheduleText(store, lineSurvey(), {"line.data", store.type}, log, questions), LoadStatus::Loaded)
        << log.plainText();
    std::vector<PseudosectionPanel> panels;
    ASSERT_EQ(pseudosectionPanels(store.survey, PseudoQuantity::ApparentResistivity, "", panels, log), Status::Ok);
    ASSERT_EQ(panels.size(), 1u);
    EXPECT_EQ(panels[0].cable, "L");
    EXPECT_DOUBLE_EQ(panels[0].length, 14);
    const struct {
        std::size_t row;
        double x, depth;
    } expected[] = {{0, 3, 2 * 0.519}, {1, 7, 2 * 0.416}, {2, 1.5, 2 * 0.519}, {3, 9, 2 * 0.867}};
    ASSERT_EQ(panels[0].points.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const PseudoPoint& p = panels[0].points[i];
        EXPECT_EQ(p.row, expected[i].row);
        EXPECT_NEAR(p.x, expected[i].x, 1e-9) << i;
        EXPECT_NEAR(p.depth, expected[i].depth, 0.003) << i;
    }
    // Wenner: K = 2 pi a (pi to five figures, as every geometric factor here).
    EXPECT_NEAR(panels[0].points[0].value, store.survey.quadrupoles.resistance[0] * 2 * std::numbers::pi * 2, 1e-4);

    const std::vector<PseudosectionPanel> before = panels;
    const struct {
        PseudoQuantity quantity;
        const char* cable;
        const char* message;
    } refused[] = {{PseudoQuantity::MisfitPercent, "", "The data hold no calculated V/I"},
                   {PseudoQuantity::ApparentResistivity, "X", "No cable named X."}};
    for (const auto& r : refused) {
        MessageLog said;
        EXPECT_EQ(pseudosectionPanels(store.survey, r.quantity, r.cable, panels, said), Status::Error);
        EXPECT_NE(said.plainText().find(r.message), std::string::npos) << said.plainText();
        EXPECT_EQ(panels.size(), before.size());
    }
}

}  // namespace
}  // namespace vexora
