#include <gtest/gtest.h>

#include "ForwardTestSupport.h"
#include "ScriptTestSupport.h"
#include "core/mesh/MeshFileImport.h"
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

// The full-mesh text file of a model with IP has the IP model's file beside
// it, which reads back block for block; without IP there is none.
TEST(ScriptSave, FullMeshTextHasTheIpModelBesideIt)
{
    const fs::path folder = fs::temp_directory_path() / "vexora_script_ip_mesh";
    fs::remove_all(folder);
    fs::create_directories(folder);
    ProjectStore store = testing::lineSurvey(8, 1.0, testing::wenner(8));
    MessageLog log;
    ASSERT_EQ(testing::buildMesh(store, log), Status::Ok) << log.plainText();
    for (const bool ip : {false, true}) {
        SCOPED_TRACE(ip);
        Models models = store.models;
        models.ipModelling = ip;
        models.ip.resize(ip ? models.conductivity.size() : 1);
        for (std::size_t b = 0; b < models.ip.size(); ++b) models.ip[b] = 0.001 * static_cast<double>(b % 97);
        const fs::path path = folder / (ip ? "Ip.vwer" : "Rho.vwer");
        ASSERT_EQ(saveJobMesh(store.settings, store.survey, store.mesh, models, path, MeshOutput::FullText, log),
                  Status::Ok)
            << log.plainText();
        EXPECT_TRUE(fs::exists(path));
        ASSERT_EQ(fs::exists(folder / (ip ? "Ip_IP.vwer" : "Rho_IP.vwer")), ip);
        if (!ip) continue;
        SettingsTable settings = store.settings;
        Mesh mesh;
        Models back;
        ASSERT_EQ(funImportMesh(ipMeshPath(path), settings, mesh, back, log), MeshFileStatus::Read)
            << log.plainText();
        ASSERT_EQ(back.ip.size(), models.ip.size());
        for (std::size_t b = 0; b < models.ip.size(); ++b) ASSERT_NEAR(back.ip[b], models.ip[b], 1e-8) << b;
    }
    fs::remove_all(folder);
}

}  // namespace
}  // namespace vexora
