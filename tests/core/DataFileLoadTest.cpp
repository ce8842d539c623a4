// The one load of a data file: what the request changes, progress, and a
// cancel or refusal that leaves the project exactly as it was.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "core/datafile/ScheduleLoader.h"
#include "core/io/TextFile.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/settings/SettingsTable.h"
#include "ProjectTestSupport.h"
#include "support/SmallSurvey.h"
#include "support/SurveyGenerator.h"

namespace vexora {
namespace {

namespace fs = std::filesystem;

using testing::smallProject;

void expectSameProject(const ProjectStore& a, const ProjectStore& b)
{
    EXPECT_EQ(a.type, b.type);
    EXPECT_EQ(a.settings, b.settings);
    EXPECT_EQ(a.survey.cableNames, b.survey.cableNames);
    EXPECT_EQ(a.survey.electrodes, b.survey.electrodes);
    EXPECT_EQ(a.survey.quadrupoles, b.survey.quadrupoles);
    EXPECT_EQ(a.survey.topography, b.survey.topography);
    EXPECT_EQ(a.survey.present, b.survey.present);
    EXPECT_EQ(a.survey.dataLoaded, b.survey.dataLoaded);
    EXPECT_EQ(a.mesh.lines, b.mesh.lines);
    EXPECT_EQ(a.models.conductivity, b.models.conductivity);
    EXPECT_EQ(a.ipScale, b.ipScale);
}

TEST(DataFileLoad, CancelInTheMiddleOfAMillionQuadrupolesLeavesTheProjectAsItWas)
{
    ProjectStore store = smallProject();
    const ProjectStore before = store;
    testing::GeneratedSurveyOptions options;
    options.quadrupoles = 1'000'000;
    std::string text = testing::generateSurveyText(options);

    std::vector<int> seen;
    std::atomic<bool> cancel = false;
    Feedback feedback;
    feedback.progress = [&](int percent, std::string_view) {
        seen.push_back(percent);
        if (percent >= 40) cancel = true;  // half way through the data block
    };
    feedback.cancelRequested = [&] { return cancel.load(); };
    MessageLog log;
    ScriptedQuestions questions;
    EXPECT_EQ(loadScheduleText(store, std::move(text), {"million.data", ProjectType::DataInversion, true}, log,
                               questions, feedback),
              LoadStatus::Cancelled);
    expectSameProject(store, before);
    ASSERT_FALSE(seen.empty());
    EXPECT_LT(seen.back(), 80) << "the load went on after the cancel";
    EXPECT_NE(log.plainText().find("Warning: funInputScheduleFile: Warning: load cancelled."), std::string::npos)
        << log.plainText();
    EXPECT_NE(log.plainText().find("million.data not loaded"), std::string::npos);
    EXPECT_EQ(log.errorCount(), 0u);
}

TEST(DataFileLoad, ProgressRisesToTheEnd)
{
    testing::GeneratedSurveyOptions options;
    options.quadrupoles = 100'000;
    std::vector<int> seen;
    Feedback feedback;
    feedback.progress = [&](int percent, std::string_view) { seen.push_back(percent); };
    ProjectStore store;
    MessageLog log;
    ScriptedQuestions questions;
    ASSERT_EQ(loadScheduleText(store, testing::generateSurveyText(options),
                               {"large.data", ProjectType::DataInversion, true}, log, questions, feedback),
              LoadStatus::Loaded)
        << log.plainText();
    EXPECT_EQ(store.survey.quadrupoles.size(), options.quadrupoles);
    ASSERT_GE(seen.size(), 4u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 100);
}

// Loads that are refused or fail keep the project; each says why.
TEST(DataFileLoad, RefusalsAndFailuresLeaveTheProjectAsItWas)
{
    const fs::path folder = fs::temp_directory_path() / ("vexora_load_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string sequence = "#ITitle= Wenner\r\n" + testing::smallSurvey();
    ASSERT_TRUE(writeFileAtomically(folder / "sequence.data", sequence));
    ASSERT_TRUE(writeFileAtomically(folder / "nodata.data", testing::smallHeader() + testing::smallElectrodes()));
    struct Case {
        const char* what;
        fs::path file;
        bool refuseSequence;
        LoadStatus status;
        const char* message;
    } cases[] = {
        {"instrument sequence in the workspace", folder / "sequence.data", true, LoadStatus::ForDataMerge, ""},
        {"missing file", folder / "none.data", false, LoadStatus::NotLoaded, "none.data not found!"},
        {"no data block", folder / "nodata.data", false, LoadStatus::NotLoaded, "Error: no data found in this file."},
    };
    for (const Case& c : cases) {
        ProjectStore store = smallProject();
        const ProjectStore before = store;
        MessageLog log;
        ScriptedQuestions questions;
        const DataLoadRequest request{c.file, ProjectType::DataInversion, true, c.refuseSequence};
        EXPECT_EQ(funInputScheduleFile(store, request, log, questions), c.status) << c.what;
        EXPECT_NE(log.plainText().find(c.message), std::string::npos) << c.what << "\n" << log.plainText();
        expectSameProject(store, before);
    }
    fs::remove_all(folder);
}

// What the request names: the project type decides which questions are
// asked, the completion derives the mesh settings.
TEST(DataFileLoad, TheRequestDecidesTypeQuestionsAndCompletion)
{
    // Calculated V/I in a 15th column.
    std::string header = testing::smallHeader();
    const std::string stdTag = "#data_std_res_col= -1";
    header.replace(header.find(stdTag), stdTag.size(), "#data_calc_res_col= 15\r\n" + stdTag);
    const std::string synthetic = header + testing::smallElectrodes() + "#data_start\r\n" +
                                  "1 A 1 A 2 A 3 A 4 0.5 10 5 100 0 7\r\n2 B 1 B 2 B 3 B 4 0.25 12 6 200 0 7\r\n" +
                                  "#data_end\r\n";
    struct Case {
        ProjectType type;
        bool complete;
        int syntheticQuestions;
    } cases[] = {
        {ProjectType::DataInversion, false, 1},
        {ProjectType::DataInversion, true, 1},
        {ProjectType::SurveyDesign, true, 0},
    };
    for (const Case& c : cases) {
        ProjectStore store;
        MessageLog log;
        ScriptedQuestions questions = unattendedLoadQuestions();
        ASSERT_EQ(loadScheduleText(store, synthetic, {"s.data", c.type, c.complete}, log, questions),
                  LoadStatus::Loaded)
            << log.plainText();
        EXPECT_EQ(store.type, c.type);
        EXPECT_EQ(questions.timesAsked(QuestionId::InvertSyntheticResistance), c.syntheticQuestions);
        // The completion fits the foreground to the electrodes (x from 0 to 6 m).
        EXPECT_EQ(settingText(store.settings, Item::ForegroundXMax) == settingText(defaultSettingsTable(),
                                                                                   Item::ForegroundXMax),
                  !c.complete)
            << settingText(store.settings, Item::ForegroundXMax);
    }
}

}  // namespace
}  // namespace vexora
