// Edits of the field data window's electrode grid: the values they give, and
// every refusal with its message and the table untouched.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "core/fielddata/ElectrodeEdits.h"

namespace vexora {
namespace {

// Cable "L1": five electrodes along x (x = 0, 2, 4, 6, 8) with terrain
// 10, 0, 0, 0, 14; cable "Rem_1": one remote electrode of type -2.
Survey fivePlusRemote()
{
    Survey s;
    s.cableNames = {"L1", "Rem_1"};
    const double terrain[5] = {10, 0, 0, 0, 14};
    for (int e = 1; e <= 5; ++e) s.electrodes.push_back({1, e, 2.0 * (e - 1), 0, 0, terrain[e - 1], 2});
    s.electrodes.push_back({2, 1, 500, 500, 0, 0, -2});
    return s;
}

void expectUnchanged(const Survey& before, const Survey& after)
{
    EXPECT_EQ(before.cableNames, after.cableNames);
    EXPECT_EQ(before.electrodes, after.electrodes);
}

struct Refusal {
    const char* name;
    std::function<EditOutcome(Survey&)> edit;
    std::string_view message;
};

TEST(ElectrodeEdits, EveryRefusalGivesItsMessageAndLeavesTheTable)
{
    const std::vector<std::size_t> line = {0, 1, 2, 3, 4};
    const std::vector<Refusal> cases = {
        {"name of the other cable", [](Survey& s) { return renameCable(s, 1, "rem_1"); }, kCableNameUsed},
        {"no start and step", [&](Survey& s) { return setCoordinateSeries(s, line, Axis::X, "0 1"); },
         kInvalidStartAndStep},
        {"step not a number", [&](Survey& s) { return setCoordinateSeries(s, line, Axis::Y, "0; 1x"); },
         kInvalidStartAndStep},
        {"empty start", [&](Survey& s) { return setCoordinateSeries(s, line, Axis::Z, "; -1"); },
         kInvalidStartAndStep},
        {"no selection", [](Survey& s) { return setCoordinateSeries(s, {}, Axis::X, "0; 1"); },
         kNoElectrodesSelected},
        {"row past the table", [](Survey& s) { return setTerrainElevation(s, {9}, "3"); }, kNoElectrodesSelected},
        {"terrain not a number", [&](Survey& s) { return setTerrainElevation(s, line, "abc"); }, kInvalidNumber},
        {"terrain infinite", [&](Survey& s) { return setTerrainElevation(s, line, "1e999"); }, kInvalidNumber},
        {"one electrode", [](Survey& s) { return interpolateTerrainElevation(s, {2}); }, kNotAProfile},
        {"off the line", [](Survey& s) { return interpolateTerrainElevation(s, {0, 5, 4}); }, kNotAProfile},
        {"ends at one place", [](Survey& s) { return interpolateTerrainElevation(s, {0, 4}); }, kNotAProfile},
        {"profile update off the line",
         [](Survey& s) { return updateProfileCoordinates(s, {1, 5, 3}, ProfileUpdate::OnProfile); }, kNotAProfile},
        {"type 3", [&](Survey& s) { return setElectrodeType(s, line, "3"); }, kInvalidElectrodeType},
        {"type 1.5", [&](Survey& s) { return setElectrodeType(s, line, "1.5"); }, kInvalidElectrodeType},
    };
    for (const Refusal& c : cases) {
        Survey survey = fivePlusRemote();
        if (std::string_view(c.name) == "ends at one place") survey.electrodes[4].x = 0;
        const Survey before = survey;
        const EditOutcome outcome = c.edit(survey);
        EXPECT_EQ(outcome.status, EditStatus::Refused) << c.name;
        EXPECT_EQ(outcome.message, c.message) << c.name;
        expectUnchanged(before, survey);
    }
}

TEST(ElectrodeEdits, RenamingTrimsJoinsAndIgnoresTheCableItself)
{
    Survey s = fivePlusRemote();
    EXPECT_EQ(renameCable(s, 1, "  north line ").status, EditStatus::Ok);
    EXPECT_EQ(s.cableNames[0], "north_line");
    EXPECT_EQ(renameCable(s, 1, "NORTH_line").status, EditStatus::Ok);  // its own name in other letters
    EXPECT_EQ(s.cableNames[0], "NORTH_line");
    EXPECT_EQ(renameCable(s, 1, "   ").status, EditStatus::Ok);  // nothing typed: unchanged
    EXPECT_EQ(s.cableNames[0], "NORTH_line");
    EXPECT_EQ(s.electrodes[0].cable, 1);
}

TEST(ElectrodeEdits, SeriesTerrainTypeAndRemoteFlag)
{
    Survey s = fivePlusRemote();
    ASSERT_EQ(setCoordinateSeries(s, {1, 2, 3}, Axis::Z, " 0; -1.5").status, EditStatus::Ok);
    EXPECT_EQ(s.electrodes[0].z, 0);
    EXPECT_EQ(s.electrodes[1].z, 0);
    EXPECT_EQ(s.electrodes[2].z, -1.5);
    EXPECT_EQ(s.electrodes[3].z, -3);
    ASSERT_EQ(setCoordinateSeries(s, {0, 4}, Axis::X, "100;+5").status, EditStatus::Ok);
    EXPECT_EQ(s.electrodes[0].x, 100);
    EXPECT_EQ(s.electrodes[4].x, 105);
    EXPECT_EQ(s.electrodes[2].x, 4);

    ASSERT_EQ(setTerrainElevation(s, {0, 5}, "12.25").status, EditStatus::Ok);
    EXPECT_EQ(s.electrodes[0].elevation, 12.25);
    EXPECT_EQ(s.electrodes[5].elevation, 12.25);
    EXPECT_EQ(s.electrodes[1].elevation, 0);

    ASSERT_EQ(setElectrodeType(s, {0, 5}, "1").status, EditStatus::Ok);
    EXPECT_EQ(s.electrodes[0].type, 1);
    EXPECT_EQ(s.electrodes[5].type, -1);  // stays remote
    clearRemoteFlag(s, {5});
    EXPECT_EQ(s.electrodes[5].type, 1);
}

TEST(ElectrodeEdits, TerrainInterpolatedBetweenTheProfileEnds)
{
    Survey s = fivePlusRemote();
    s.electrodes[2].y = 0.3;  // scatter beside the line still belongs to it
    // Selected out of order along the line: the limits are its two ends.
    const EditOutcome outcome = interpolateTerrainElevation(s, {1, 0, 2, 3, 4});
    ASSERT_EQ(outcome.status, EditStatus::Ok) << outcome.message;
    EXPECT_EQ(outcome.message, "Limits of interpolation: Z1 = 10m - Z2 = 14m");
    const double expected[5] = {10, 11, 12, 13, 14};
    for (int k = 0; k < 5; ++k) EXPECT_NEAR(s.electrodes[static_cast<std::size_t>(k)].elevation, expected[k], 1e-12);
}

TEST(ElectrodeEdits, CoordinatesOnTheProfileAndTrueHorizontal)
{
    Survey s = fivePlusRemote();
    s.electrodes[2].y = 0.3;
    ASSERT_EQ(updateProfileCoordinates(s, {0, 1, 2, 3, 4}, ProfileUpdate::OnProfile).status, EditStatus::Ok);
    EXPECT_NEAR(s.electrodes[2].y, 0, 1e-12);
    EXPECT_NEAR(s.electrodes[2].x, 4, 1e-12);

    // A slope line: 5 m laid along the ground, rising 3 m between each pair,
    // runs 4 m horizontally; the first electrode stays.
    // Laid along the diagonal, so 5 m is 5 / sqrt(2) in x and in y.
    Survey slope;
    slope.cableNames = {"S"};
    const double laid = 5.0 / std::sqrt(2.0);
    for (int e = 0; e < 3; ++e) slope.electrodes.push_back({1, e + 1, laid * e, laid * e, 0, 3.0 * e, 2});
    ASSERT_EQ(updateProfileCoordinates(slope, {0, 1, 2}, ProfileUpdate::TrueHorizontal).status, EditStatus::Ok);
    const double step = 4.0 / std::sqrt(2.0);
    for (int e = 0; e < 3; ++e) {
        EXPECT_NEAR(slope.electrodes[static_cast<std::size_t>(e)].x, step * e, 1e-9);
        EXPECT_NEAR(slope.electrodes[static_cast<std::size_t>(e)].y, step * e, 1e-9);
    }

    // A rise steeper than the spacing cannot be laid on the ground.
    slope.electrodes[2].elevation = 100;
    const Survey before = slope;
    const EditOutcome steep = updateProfileCoordinates(slope, {0, 1, 2}, ProfileUpdate::TrueHorizontal);
    EXPECT_EQ(steep.status, EditStatus::Refused);
    EXPECT_NE(steep.message.find("true horizontal"), std::string::npos);
    expectUnchanged(before, slope);
}

}  // namespace
}  // namespace vexora
