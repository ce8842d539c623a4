#include <gtest/gtest.h>

#include "JobTestSupport.h"
#include "core/datafile/ScheduleLoader.h"
#include "core/io/TextFile.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/project/ProjectReset.h"
#include "core/settings/SettingsTable.h"
#include "support/SmallSurvey.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

TEST(ProjectReset, QuittingEmptiesTheSurveyAndKeepsTheSettings)
{
    const fs::path folder = vexora::testing::freshFolder("vexora_project_reset");
    writeFileAtomically(folder / "small.data", vexora::testing::smallSurvey());
    ProjectStore store;
    store.type = ProjectType::DataInversion;
    ScriptedQuestions questions;
    MessageLog log;
    ASSERT_EQ(funInputScheduleFile(store, {folder / "small.data", store.type}, log, questions), LoadStatus::Loaded) << log.plainText();
    ASSERT_TRUE(store.survey.dataLoaded && store.survey.present.ip);
    ASSERT_TRUE(setSettingText(store.settings, Item::BackgroundResistivity, "250"));
    store.ipWindowsToMerge = 2;
    store.ipScale = 10;
    store.reciprocals.calculated = true;
    store.reciprocals.partnerId = {1, 0};
    store.mesh.present = true;
    store.mesh.lines.x = {0, 1, 2};
    store.models.conductivity = {0.01, 0.02};
    const SettingsTable settings = store.settings;

    resetProjectData(store);

    EXPECT_EQ(store.type, ProjectType::None);
    EXPECT_TRUE(store.survey.cableNames.empty());
    EXPECT_TRUE(store.survey.electrodes.empty());
    EXPECT_EQ(store.survey.quadrupoles, QuadrupoleTable{});
    EXPECT_TRUE(store.survey.topography.empty());
    EXPECT_EQ(store.survey.present, PresenceFlags{});
    EXPECT_EQ(store.survey.lookup.find(1, 1), -1);
    EXPECT_FALSE(store.survey.electrodesLoaded);
    EXPECT_FALSE(store.survey.dataLoaded);
    EXPECT_FALSE(store.reciprocals.calculated);
    EXPECT_TRUE(store.reciprocals.partnerId.empty());
    EXPECT_EQ(store.ipWindowsToMerge, 0);
    EXPECT_EQ(store.ipScale, 1000.0);
    EXPECT_FALSE(store.mesh.present);
    EXPECT_TRUE(store.mesh.lines.x.empty());
    EXPECT_TRUE(store.models.conductivity.empty());
    EXPECT_EQ(store.settings, settings);
    fs::remove_all(folder);
}

}  // namespace
