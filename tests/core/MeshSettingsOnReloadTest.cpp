#include <gtest/gtest.h>

#include "ProjectTestSupport.h"
#include "core/datafile/FormatChecks.h"
#include "core/datafile/MeshSettingsOnReload.h"
#include "core/datafile/ScheduleLoader.h"
#include "core/datafile/ScheduleWriter.h"
#include "core/platform/ScriptedQuestions.h"

namespace vexora {
namespace {

// The warning of a save without the configuration names exactly the mesh
// settings that the saved file does not bring back when it is loaded again.
TEST(MeshSettingsOnReload, NamesWhatASaveWithoutConfigurationLoses)
{
    const struct {
        const char* name;
        const char* tags;  // in the loaded file
        const char* lost;
    } cases[] = {
        {"derived settings only", "", ""},
        {"a grid size of the file's own", "#dim_grid_z= 0.123\r\n", "#dim_grid_z 0.123 -> "},
        {"the derived value spelt otherwise", "", ""},
    };
    for (const auto& c : cases) {
        const DataLoadRequest request{"small.data", ProjectType::DataInversion, true};
        ProjectStore store;
        MessageLog log;
        ScriptedQuestions questions;
        ASSERT_EQ(loadScheduleText(store, testing::smallSurvey(testing::smallDataRows(), c.tags), request, log,
                                   questions),
                  LoadStatus::Loaded)
            << log.plainText();
        if (std::string(c.name) == "the derived value spelt otherwise")
            setSettingText(store.settings, Item::GridSizeX,
                           " " + std::to_string(settingNumber(store.settings, Item::GridSizeX)) + " ");
        const std::string lost = meshSettingsLostOnReload(store);
        EXPECT_EQ(lost.substr(0, std::string(c.lost).size()), c.lost) << c.name << ": " << lost;
        EXPECT_EQ(lost.empty(), std::string(c.lost).empty()) << c.name << ": " << lost;

        // The prediction against the reload itself.
        ScheduleLayouts layouts;
        ASSERT_EQ(funCheckFormatCfgForOutput(store.settings, store.survey.present, store.survey.quadrupoles.ipWindows(),
                                             layouts.electrodes, layouts.data, layouts.topography, log),
                  Status::Ok);
        ProjectStore reloaded;
        ASSERT_EQ(loadScheduleText(reloaded, dataFileText(store, layouts, false, log), request, log, questions),
                  LoadStatus::Loaded)
            << log.plainText();
        EXPECT_EQ(meshSettingsLostOnReload(reloaded), "") << c.name;
        EXPECT_EQ(settingNumber(reloaded.settings, Item::GridSizeZ) != settingNumber(store.settings, Item::GridSizeZ),
                  !lost.empty())
            << c.name;
    }
}

}  // namespace
}  // namespace vexora
