#include <gtest/gtest.h>

#include "MeshTestSupport.h"
#include "ProjectTestSupport.h"
#include "core/datafile/FormatChecks.h"
#include "core/datafile/ScheduleLoader.h"
#include "core/datafile/ScheduleWriter.h"
#include "core/mesh/NodeMesh.h"
#include "core/mesh/StartingModel.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/settings/Configuration.h"

using namespace vexora;
namespace vt = vexora::testing;
using vexora::testing::logHas;
using vexora::testing::settingsWith;
using Values = std::vector<double>;

namespace {

// Three blocks in a row, centres x = 0.5, 1.5, 2.5 at y = 0.5, z = -0.5;
// a terrain lifts every node by that much.
Mesh row(double terrain = 0)
{
    Mesh m = vt::meshOfLines({0, 1, 2, 3}, {0, 1}, {0, -1});
    m.followsTerrain = terrain != 0;
    m.terrainSurface.assign(8, terrain);
    MessageLog log;
    EXPECT_EQ(NodeMesh(m, settingsWith({{Item::FlatZBottom, "2"}}), log), NodeMeshStatus::Made);
    return m;
}

SettingsTable withAnomalies(bool resistivity, const std::vector<std::string>& rows)
{
    SettingsTable table = defaultSettingsTable();
    const Item count = resistivity ? Item::ResistivityAnomalyCount : Item::IpAnomalyCount;
    const std::string label(description(resistivity ? Item::ResistivityAnomaly : Item::IpAnomaly));
    const auto at = static_cast<std::ptrdiff_t>(*FindSettingRow(table, count) + 1);
    for (std::size_t i = 0; i < rows.size(); ++i)
        table.rows.insert(table.rows.begin() + at + static_cast<std::ptrdiff_t>(i), {label, rows[i]});
    setSettingText(table, count, std::to_string(rows.size()));
    return table;
}

struct Filled {
    Status result = Status::Ok;
    Models models;
    MessageLog log;
};

Filled fill(SettingsTable table, const Mesh& mesh, bool ip)
{
    Filled f{Status::Ok, Models(), MessageLog()};
    f.models.ipModelling = ip;
    f.result = FillResistivityAndIPBlocks(table, mesh, f.models, f.log);
    return f;
}

TEST(Anomalies, BackgroundStrictBoundsLaterRowAndIp)
{
    Filled f = fill(defaultSettingsTable(), row(), true);
    EXPECT_EQ(f.models.conductivity, (Values{0.01, 0.01, 0.01}));
    EXPECT_EQ(f.models.ip, (Values{1e-5, 1e-5, 1e-5}));  // 0.01 / 1000
    // Limits on the centres 0.5 and 2.5 leave those blocks out; the second row overrides the first.
    f = fill(withAnomalies(true, {"0.5 2.5 0 1 -1 0 10", "1 3 0 1 -1 0 50"}), row(), false);
    EXPECT_EQ(f.models.conductivity, (Values{0.01, 0.02, 0.02}));
    EXPECT_EQ(f.models.ip, Values{0});
    EXPECT_EQ(f.log.plainText(), "");
    // IP anomalies count only with IP modelling on; an IP value of 0 is valid.
    const SettingsTable ip = withAnomalies(false, {"0 1 0 1 -1 0 0", "2 3 0 1 -1 0 20"});
    EXPECT_EQ(fill(ip, row(), true).models.ip, (Values{0, 1e-5, 0.02}));
    EXPECT_EQ(fill(ip, row(), false).models.ip, Values{0});
}

TEST(Anomalies, CentresFromFlatLinesOrFromTheDeformedNodes)
{
    // The terrain lifts every node by 10 m; the anomaly box is the flat layer.
    SettingsTable table = withAnomalies(true, {"0 3 0 1 -1 0 20"});
    setSettingText(table, Item::AddAnomaliesToFlatGrid, "1");
    EXPECT_EQ(fill(table, row(10), false).models.conductivity, (Values{0.05, 0.05, 0.05}));
    setSettingText(table, Item::AddAnomaliesToFlatGrid, "2");
    EXPECT_EQ(fill(table, row(10), false).models.conductivity, (Values{0.01, 0.01, 0.01}));
}

TEST(Anomalies, BadRowsAreReportedAndSkipped)
{
    const std::tuple<bool, const char*, const char*> cases[] = {
        {true, "3 0 0 1 -1 0 10", "Resistivity anomaly 1: a maximum lies below its minimum; anomaly not used."},
        {true, "0 3 0 1 0 -1 10", "Resistivity anomaly 1: a maximum lies below its minimum; anomaly not used."},
        {true, "0 3 0 1 -1 0 0", "Resistivity anomaly 1: resistivity not positive; anomaly not used."},
        {true, "0 3 0 1 -1 0 -5", "Resistivity anomaly 1: resistivity not positive; anomaly not used."},
        {true, "0 3 0 1 -1", "Resistivity anomaly 1: 5 numbers, 7 needed; anomaly not used."},
        {true, "0 3 0 1 -1 0 10 2",
         "Resistivity anomaly 1: a radius is given, but radius anomalies are not supported; anomaly not used."},
        {false, "0 3 0 1 -1 0 -0.5", "IP anomaly 1: negative IP value; anomaly not used."},
        {false, "0 -3 0 1 -1 0 5", "IP anomaly 1: a maximum lies below its minimum; anomaly not used."},
    };
    for (const auto& [resistivity, text, message] : cases) {
        SettingsTable table = withAnomalies(resistivity, {text});
        const SettingsTable before = table;
        Models models;
        models.ipModelling = true;
        MessageLog log;
        EXPECT_EQ(FillResistivityAndIPBlocks(table, row(), models, log), Status::Ok);
        EXPECT_TRUE(logHas(log, std::string("Warning: Fill Resistivity and IP blocks: ") + message)) << log.plainText();
        EXPECT_EQ(models.conductivity, (Values{0.01, 0.01, 0.01})) << text;
        EXPECT_EQ(models.ip, (Values{1e-5, 1e-5, 1e-5})) << text;
        EXPECT_EQ(table, before) << text;
    }
    // A count beyond the rows uses the rows that exist.
    SettingsTable table = withAnomalies(true, {"0 1 0 1 -1 0 10"});
    setSettingText(table, Item::ResistivityAnomalyCount, "3");
    const Filled f = fill(table, row(), false);
    EXPECT_EQ(f.models.conductivity, (Values{0.1, 0.01, 0.01}));
    EXPECT_TRUE(logHas(f.log, "Number of Resistivity Anomalies is 3, but 1 anomaly rows follow it."));
}

TEST(Anomalies, ImportedModelsStayUnlessTheBlockCountChanged)
{
    SettingsTable table = settingsWith({{Item::ResistivityModelType, "1-Imported"}});
    Models models;
    models.conductivityImported = true;
    models.conductivity = {1, 2, 3};
    MessageLog log;
    ASSERT_EQ(FillResistivityAndIPBlocks(table, row(), models, log), Status::Ok);
    EXPECT_EQ(models.conductivity, (Values{1, 2, 3}));

    models.conductivity = {1, 2, 3, 4, 5};
    ASSERT_EQ(FillResistivityAndIPBlocks(table, row(), models, log), Status::Ok);
    EXPECT_FALSE(models.conductivityImported);
    EXPECT_EQ(models.conductivity, (Values{0.01, 0.01, 0.01}));
    EXPECT_EQ(settingText(table, Item::ResistivityModelType), "0-Standard");
    EXPECT_TRUE(logHas(log, "The imported resistivity model has 5 blocks, the mesh 3: the imported model is dropped "
                            "and the starting model used."));

    Filled f = fill(settingsWith({{Item::BackgroundResistivity, "0"}}), row(), false);
    EXPECT_EQ(f.result, Status::Error);
    EXPECT_TRUE(logHas(f.log, "Error: Fill Resistivity and IP blocks: The background resistivity must be positive."));
    EXPECT_TRUE(f.models.conductivity.empty());
    EXPECT_EQ(fill(defaultSettingsTable(), Mesh(), false).result, Status::Error);  // no mesh
}

// Count text and every row labelled as an anomaly of the kind, wherever it lies.
std::vector<std::string> anomalySection(const SettingsTable& table, bool resistivity)
{
    std::vector<std::string> section{
        std::string(settingText(table, resistivity ? Item::ResistivityAnomalyCount : Item::IpAnomalyCount))};
    const std::string_view label = description(resistivity ? Item::ResistivityAnomaly : Item::IpAnomaly);
    for (const SettingRow& r : table.rows)
        if (r.description == label) section.push_back(r.value);
    return section;
}

// The load reads the file's tags twice when it completes the workspace; the
// anomalies must arrive once, or every save and reload adds them again.
TEST(AnomalyLoad, TheFileAnomaliesArriveOnceAndASaveReloadsThem)
{
    const std::string res1 = "#res_anomaly= 0 1 0 1 -1 0 50\r\n", res2 = "#res_anomaly= 2 4 0 5 -2 -1 500\r\n";
    const std::string ip1 = "#ip_anomaly= 0.50 1 0 1 -1 0 20\r\n";
    using Rows = std::vector<std::string>;
    const struct {
        std::string tags, before;  // `before`: tags the project's table held already
        bool complete;
        Rows resistivity, ip;
    } cases[] = {
        {res1 + ip1, "", true, {" 1 ", " 0 1 0 1 -1 0 50"}, {" 1 ", " 0.5 1 0 1 -1 0 20"}},
        {res1 + ip1, "", false, {" 1 ", " 0 1 0 1 -1 0 50"}, {" 1 ", " 0.5 1 0 1 -1 0 20"}},
        {res1 + ip1 + res2, "", true, {" 2 ", " 0 1 0 1 -1 0 50", " 2 4 0 5 -2 -1 500"}, {" 1 ", " 0.5 1 0 1 -1 0 20"}},
        // A load adds the file's anomalies below those the table held, as one read does.
        {res2, res1 + ip1, true, {" 2 ", " 0 1 0 1 -1 0 50", " 2 4 0 5 -2 -1 500"}, {" 1 ", " 0.5 1 0 1 -1 0 20"}},
        {res2, res1 + ip1, false, {" 2 ", " 0 1 0 1 -1 0 50", " 2 4 0 5 -2 -1 500"}, {" 1 ", " 0.5 1 0 1 -1 0 20"}},
    };
    for (const auto& c : cases) {
        const DataLoadRequest request{"x.data", ProjectType::DataInversion, c.complete};
        ProjectStore store, reloaded;
        MessageLog log;
        ScriptedQuestions questions;
        if (!c.before.empty()) {
            ASSERT_EQ(applyConfigurationText(c.before, store.settings, log), ConfigurationStatus::Read);
        }
        ASSERT_EQ(loadScheduleText(store, vt::smallSurvey(vt::smallDataRows(), c.tags), request, log, questions),
                  LoadStatus::Loaded)
            << log.plainText();
        EXPECT_EQ(anomalySection(store.settings, true), c.resistivity) << c.tags << c.complete;
        EXPECT_EQ(anomalySection(store.settings, false), c.ip) << c.tags << c.complete;

        // The workbench's save with the configuration: the settings, then the blocks.
        ScheduleLayouts layouts;
        ASSERT_EQ(funCheckFormatCfgForOutput(store.settings, store.survey.present, store.survey.quadrupoles.ipWindows(),
                                             layouts.electrodes, layouts.data, layouts.topography, log),
                  Status::Ok);
        std::string saved = configurationText(store.settings, "d");
        appendScheduleBlocks(saved, store.survey, layouts, mergedIpWindows(store.survey, store.ipWindowsToMerge, log),
                             false);
        ASSERT_EQ(loadScheduleText(reloaded, saved, request, log, questions), LoadStatus::Loaded) << log.plainText();
        EXPECT_EQ(anomalySection(reloaded.settings, true), c.resistivity) << saved;
        EXPECT_EQ(anomalySection(reloaded.settings, false), c.ip) << saved;
    }
}

}  // namespace
