#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/datafile/SurveyChecks.h"
#include "core/import/ImportDriver.h"
#include "core/import/tables/ElectrodeLines.h"
#include "core/import/tables/ImportFill.h"
#include "core/qc/CrossCableMap.h"
#include "support/RealData.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

// Electrodes numbered 1.. in the order given.
ImportSet setOf(const std::vector<std::pair<double, double>>& xy)
{
    ImportSet set;
    for (std::size_t i = 0; i < xy.size(); ++i)
        set.electrodes.push_back({static_cast<std::int32_t>(i + 1), xy[i].first, xy[i].second, 0.0});
    return set;
}

std::vector<std::pair<double, double>> grid(int columns, int rows, double dx, double dy)
{
    std::vector<std::pair<double, double>> xy;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) xy.emplace_back(c * dx, r * dy);
    return xy;
}

TEST(ElectrodeLines, LinesFromTheGeometry)
{
    const struct {
        const char* what;
        std::vector<std::pair<double, double>> xy;
        std::vector<std::string> names;
        std::vector<std::uint32_t> lineOf;  // of the electrodes in order, when there are lines
        std::vector<std::int32_t> numberOnLine;
    } cases[] = {
        {"a 2D line stays one", grid(5, 1, 2.0, 0.0), {}, {}, {}},
        {"lines of a common y, the longer ones", grid(4, 3, 0.5, 1.5), {"y0", "y1.5", "y3"},
         {0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2}, {1, 2, 3, 4, 1, 2, 3, 4, 1, 2, 3, 4}},
        {"lines of a common x when they are longer", grid(2, 4, 3.0, 1.0), {"x0", "x3"},
         {0, 1, 0, 1, 0, 1, 0, 1}, {1, 1, 2, 2, 3, 3, 4, 4}},
        {"numbered along the line, not in file order", {{4, -2}, {0, -2}, {2, -2}, {0, 7}, {9, 7}}, {"y-2", "y7"},
         {0, 0, 0, 1, 1}, {3, 1, 2, 1, 2}},
        {"scattered electrodes form no lines", {{0, 0}, {1, 2}, {3, 5}, {7, 1}}, {}, {}, {}},
        {"a line of one electrode is no line", {{0, 0}, {1, 0}, {2, 0}, {5, 3}}, {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ImportSet set = setOf(c.xy);
        groupElectrodesIntoLines(set);
        EXPECT_EQ(set.lines.names, c.names);
        if (c.names.empty()) continue;
        EXPECT_EQ(set.lines.lineOf, c.lineOf);
        EXPECT_EQ(set.lines.numberOnLine, c.numberOnLine);
    }
}

// Each line becomes a cable named after the cable given and the line; the
// quadrupoles name their electrodes on those cables.
TEST(ElectrodeLines, EachLineBecomesACable)
{
    ImportSet set = setOf(grid(3, 2, 1.0, 2.0));  // 1 2 3 on y = 0, 4 5 6 on y = 2
    set.quadrupoles = {{1, 2, 4, 5}, {3, 0, 6, 5}};
    set.values = {{10, 100, 0, 0}, {20, 100, 0, 0}};
    groupElectrodesIntoLines(set);
    Survey survey;
    acceptImport(set, ImportGrids{}, "Line1", survey);
    EXPECT_EQ(survey.cableNames, (std::vector<std::string>{"Line1_y0", "Line1_y2", "Rem_1"}));
    ASSERT_EQ(survey.electrodes.size(), 7u);
    EXPECT_EQ(survey.electrodes[4].cable, 2);
    EXPECT_EQ(survey.electrodes[4].number, 2);
    const Quadrupole& first = survey.quadrupoles.rows[0];
    EXPECT_EQ(first.pole[A], (ElectrodeRef{1, 1}));
    EXPECT_EQ(first.pole[B], (ElectrodeRef{1, 2}));
    EXPECT_EQ(first.pole[M], (ElectrodeRef{2, 1}));
    EXPECT_EQ(first.pole[N], (ElectrodeRef{2, 2}));
    EXPECT_EQ(survey.quadrupoles.rows[1].pole[A], (ElectrodeRef{1, 3}));
    EXPECT_EQ(survey.quadrupoles.rows[1].pole[B].cable, 3);  // the remote cable

    // Names other cables hold are not taken twice.
    Survey taken;
    taken.cableNames = {"Line1_y2", "Line1"};
    appendImport(set, ImportGrids{}, 2, taken);
    EXPECT_EQ(taken.cableNames, (std::vector<std::string>{"Line1_y2", "Line1_y0", "Line1_y2_2", "Rem_1"}));
}

// The real 3D survey lays its 112 electrodes on four lines of 28: four
// cables, and cross-cable maps between them hold data; the 2D survey and the
// survey of scattered electrodes stay on one cable.
TEST(ElectrodeLines, RealStgSurveys)
{
    const fs::path folder = vexora::testing::realDataFolder() / "agi_stg/resipy";
    if (!fs::is_directory(folder)) GTEST_SKIP() << "the real field files (shared/realdata) are not on this machine";
    const struct {
        const char* file;
        std::vector<std::string> cables;
    } files[] = {
        {"sting_3D_noIP.stg", {"Line1_y0", "Line1_y0.5", "Line1_y1", "Line1_y1.5"}},
        {"sting_2D_noIP.stg", {"Line1"}},
        {"Sting_poleDipole_3D/Sting_3D_PDP.stg", {"Line1", "Rem_1"}},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.file);
        ImportSet set;
        ImportGrids grids;
        MessageLog log;
        ASSERT_EQ(importTextFile(ImportFormatKind::Stg, folder / f.file, set, grids, log), ImportStatus::Ok)
            << log.plainText();
        Survey survey;
        acceptImport(set, grids, "Line1", survey);
        EXPECT_EQ(survey.cableNames, f.cables);
        ASSERT_EQ(funCreateElecTable(survey, log), Status::Ok);
        if (f.cables.size() < 4) continue;
        for (std::int32_t c = 1; c <= 4; ++c)
            EXPECT_EQ(std::count_if(survey.electrodes.begin(), survey.electrodes.end(),
                                    [&](const Electrode& e) { return e.cable == c; }),
                      28);
        std::size_t filled = 0;
        for (std::int32_t rx = 2; rx <= 4; ++rx) {
            const CrossCableMap map = buildCrossCableMap(survey, {}, CrossCableArray::DipoleDipole, 1, rx);
            for (const auto& [layer, cells] : map.layers) filled += cells.size();
        }
        EXPECT_GT(filled, 50u);
    }
}

}  // namespace
