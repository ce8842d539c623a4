#include <gtest/gtest.h>

#include "ScriptTestSupport.h"
#include "engine/script/JobSteps.h"
#include "core/settings/SettingsTable.h"

namespace vexora {
namespace {

namespace fs = std::filesystem;

TEST(ScriptSave, V1WritesTheCalculatedValuesBesideTheMeasuredOnes)
{
    const fs::path folder = testing::prepareSampleJob("vexora_script_v1");
    ProjectStore store;
    MessageLog log;
    ASSERT_EQ(loadJobDataFile(store, folder / "DataInput.data", log), Status::Ok) << log.plainText();
    QuadrupoleTable& q = store.survey.quadrupoles;
    q.calcResistance.clear();
    for (double r : q.resistance) q.calcResistance.push_back(1.5 * r);
    store.survey.present.calcResistance = true;

    for (const bool v1 : {false, true}) {
        ProjectStore saved = store;
        const fs::path out = folder / (v1 ? "V1.data" : "Plain.data");
        ASSERT_EQ(saveJobDataFile(saved, out, v1, log), Status::Ok) << log.plainText();
        ProjectStore back;
        ASSERT_EQ(loadJobDataFile(back, out, log), Status::Ok) << log.plainText();
        const QuadrupoleTable& b = back.survey.quadrupoles;
        ASSERT_EQ(b.size(), q.size());
        // The sample's data block ends at column 16: V1 takes column 17.
        EXPECT_EQ(settingInteger(back.settings, Item::CalcResistanceColumn), v1 ? 17 : -1);
        EXPECT_EQ(back.survey.present.calcResistance, v1);
        for (std::size_t k = 0; k < q.size(); ++k) {
            EXPECT_NEAR(b.resistance[k], q.resistance[k], 1e-6 * std::abs(q.resistance[k])) << k;
            if (v1) {
                EXPECT_NEAR(b.calcResistance[k], 1.5 * q.resistance[k], 1e-6 * std::abs(q.resistance[k])) << k;
            }
        }
    }
}

}  // namespace
}  // namespace vexora
