#include <gtest/gtest.h>

#include <cmath>

#include "core/datafile/ScheduleLoader.h"
#include "core/datafile/ScheduleWriter.h"
#include "core/import/GeometricFactor.h"
#include "core/platform/ScriptedQuestions.h"
#include "support/SmallSurvey.h"

namespace {

using namespace vexora;
using namespace vexora::testing;

LoadStatus load(ProjectStore& store, const std::string& text, MessageLog& log)
{
    ScriptedQuestions questions;
    return loadScheduleText(store, text, {"hostile.data", store.type}, log, questions);
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    text.replace(text.find(from), from.size(), to);
    return text;
}

// One wild electrode or topography row refuses the load, names the row and
// leaves the project as it was; a survey on a projected grid, far from the
// origin, is no such row.
TEST(HostileInputCoordinates, ARowFarFromTheSurveyOrNotFiniteIsRefusedByName)
{
    const std::string electrode = "A 2 2 0 0", topography = "6 0 0.5";
    const struct {
        std::string from, to;
        std::string message;  // empty: loads
    } cases[] = {
        {electrode, "A 2 2 0 1e309",
         "Error: funLoadElectrodes: Electrode position is not a finite number.\r\n"
         "Approximate offset from #elec_start: 2 rows.\r\nString found: A 2 2 0 1e309"},
        {electrode, "A 2 -1e308 0 0",
         "Error: funLoadElectrodes: Electrode position lies more than 1e+07 m from the survey's centre (4, 5, 0).\r\n"
         "Approximate offset from #elec_start: 2 rows.\r\nString found: A 2 -1e308 0 0"},
        {topography, "6 0 1e308",
         "Error: funLoadTopography: Topography point lies more than 1e+07 m from the survey's centre (4, 5, 0).\r\n"
         "Approximate offset from #topo_start: 2 rows.\r\nString found: 6 0 1e308"},
        {topography, "6 -1e400 0.5", "Error: funLoadTopography: Topography point is not a finite number."},
        {topography, "6 2e7 0.5", "String found: 6 2e7 0.5"},
        {"#elec_start\r\nA 1 0 0 0", "#elec_start\r\nA 1 0 0 -3e7", "String found: A 1 0 0 -3e7"},
    };
    ProjectStore before;
    MessageLog quiet;
    ASSERT_EQ(load(before, smallSurvey(), quiet), LoadStatus::Loaded) << quiet.plainText();
    for (const auto& c : cases) {
        ProjectStore store = before;
        MessageLog log;
        EXPECT_EQ(load(store, replaced(smallSurvey(), c.from, c.to), log), LoadStatus::NotLoaded) << c.to;
        EXPECT_NE(log.plainText().find(c.message), std::string::npos) << log.plainText();
        EXPECT_EQ(store.survey.electrodes, before.survey.electrodes) << c.to;
        EXPECT_EQ(store.survey.topography, before.survey.topography) << c.to;
        EXPECT_EQ(store.settings, before.settings) << c.to;
    }

    // The same survey on a projected grid, far from the origin, loads whole.
    ProjectStore store;
    MessageLog log;
    const std::string projected = "#elec_start\r\nA 1 500000 5200000 310\r\nA 2 500002 5200000 310\r\n"
                                  "A 3 500004 5200000 310\r\nA 4 500006 5200000 310\r\n#elec_end\r\n";
    const std::string data = "#data_start\r\n1 A 1 A 2 A 3 A 4 0.5 10 5 100 0\r\n#data_end\r\n";
    EXPECT_EQ(load(store, smallHeader() + projected + data, log), LoadStatus::Loaded)
        << log.plainText();
}

// A deviation is a spread: where the geometric factor is negative the V/I
// deviation is the apparent one over |K|, never negative, and it is written
// back as it was read.
TEST(HostileInputDeviations, ApparentDeviationsKeepTheirSizeWhereTheFactorIsNegative)
{
    const std::string rows = "1 A 1 A 2 A 3 A 4 0.5 10 5 100 0 0.02\r\n"  // dipole-dipole: K < 0
                             "2 B 1 B 2 B 3 B 4 0.25 12 6 200 0 0.03\r\n"
                             "3 A 1 A 4 A 2 A 3 1.5 8 4 150 0 0.04\r\n";  // Wenner: K > 0
    const double apparentStd[] = {0.02, 0.03, 0.04};
    ProjectStore store;
    MessageLog log;
    ASSERT_EQ(load(store, smallSurvey(rows, "#data_appres= 2\r\n#data_std_res_col= 15\r\n"), log),
              LoadStatus::Loaded)
        << log.plainText();
    const QuadrupoleTable& q = store.survey.quadrupoles;
    const std::vector<double> k = funGeometricFactor(store.survey, false);
    ASSERT_LT(k[0], 0);
    ASSERT_GT(k[2], 0);
    for (std::size_t r = 0; r < 3; ++r) EXPECT_DOUBLE_EQ(q.resistanceStd[r], apparentStd[r] / std::abs(k[r])) << r;

    ScheduleLayouts layouts{store.electrodeFormat, store.dataFormat, store.topographyFormat};
    const std::string written = scheduleBlocksText(store.survey, layouts, 0, false);
    for (const char* std : {"\t0.02000000", "\t0.03000000", "\t0.04000000"})
        EXPECT_NE(written.find(std), std::string::npos) << std << "\n" << written;
}

}  // namespace
