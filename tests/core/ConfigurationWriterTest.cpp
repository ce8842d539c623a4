#include <gtest/gtest.h>

#include <filesystem>

#include "core/datafile/StartupConfiguration.h"
#include "core/io/TextFile.h"
#include "core/platform/Application.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/settings/Configuration.h"
#include "core/settings/ParseLine.h"

using namespace vexora;
namespace fs = std::filesystem;

namespace {

ConfigurationStatus readInto(SettingsTable& table, std::string text, MessageLog& log)
{
    BlockBounds e, d, t;
    ElectrodeFormat ef;
    DataFormat df;
    TopographyFormat tf;
    SequenceHeader sh;
    (void)funRemoveComments(text);  // always Ok
    return funLoadConfiguration(text, e, d, t, ef, df, tf, sh, table, log);
}

// Written and read into the catalogue defaults.
SettingsTable roundTrip(const SettingsTable& table)
{
    SettingsTable back = defaultSettingsTable();
    MessageLog log;
    EXPECT_EQ(readInto(back, configurationText(table, "2024-05-01"), log), ConfigurationStatus::Read);
    EXPECT_EQ(log.warningCount() + log.errorCount(), 0u) << log.plainText();
    return back;
}

// Same rows, and each value the same text or the same numbers.
void expectSameSettings(const SettingsTable& a, const SettingsTable& b)
{
    ASSERT_EQ(a.rows.size(), b.rows.size());
    classParseLine tokens;
    for (std::size_t r = 0; r < a.rows.size(); ++r) {
        EXPECT_EQ(a.rows[r].description, b.rows[r].description) << r;
        const std::string& x = a.rows[r].value;
        const std::string& y = b.rows[r].value;
        if (dDataFill(tokens, x) != dDataFill(tokens, y))
            ADD_FAILURE() << a.rows[r].description << ": '" << x << "' vs '" << y << "'";
    }
}

struct TempFolder {
    fs::path path = fs::temp_directory_path() / ("vexora-config-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
    TempFolder() { fs::create_directories(path); }
    ~TempFolder() { fs::remove_all(path); }
};

}  // namespace

TEST(ConfigurationWriter, WritesTheTableInOrderWithCrLf)
{
    const std::string text = configurationText(defaultSettingsTable(), "2024-05-01");
    EXPECT_TRUE(text.starts_with("#Vexora+_Solver\r\n#version_number= 1.2.0\r\n#date= 2024-05-01\r\n"
                                 "!Electrodes input/output format\r\n#elec_no_cable=  1 \r\n"));
    EXPECT_TRUE(text.ends_with("!Global parameters\r\n#plot_bounds= 0.0 10.0 0.0 10.0 -5.0 0.0\r\n"
                               "#save_iterations=  1 \r\n#save_full_mesh=  2 \r\n#pc_num_core=  1 \r\n"
                               "#res_noise_potential=  0 \r\n#k_limit=  5000 \r\n#start_from_data=  1 \r\n"
                               "#ip_leave_out_range=  1 \r\n#ip_max_apparent=  1000 \r\n#ip_min_voltage=  5 \r\n#doi_index=  2 \r\n"
                               "#refine_near_anomalies=  4 \r\n"));
    for (const char* line : {"\r\n#data_a_cable_col= 2\r\n#data_a_elec_col= 3\r\n#data_b_cable_col= 4\r\n",
                             "\r\n#data_n_elec_col= 9\r\n#data_res_col=  10 \r\n", "\r\n#foreground_Z_max=  0.0 \r\n",
                             "\r\n#mesh_type= 0-Standard\r\n", "\r\n#rough_trials_iter=  4 1 \r\n",
                             "\r\n#background_res=  100.0 \r\n#ip_model_type= 0-Standard\r\n", "\r\n!Noise\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    EXPECT_EQ(text.find("Number of"), std::string::npos);
    std::size_t lineCount = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n') {
            ++lineCount;
            EXPECT_EQ(text[i - 1], '\r');
        }
    // 3 header lines, 109 rows less 2 counts, 4 more for the A/B/M/N pairs.
    EXPECT_EQ(lineCount, 3u + 106u + 4u);
}

TEST(ConfigurationWriter, ReadsBackRowForRow)
{
    const SettingsTable defaults = defaultSettingsTable();
    expectSameSettings(roundTrip(defaults), defaults);

    SettingsTable changed = defaults;
    MessageLog log;
    ASSERT_EQ(readInto(changed,
                       "#elec_no_cable= -1\r\n#elec_cable_col= -1\r\n#elec_id_col= 1\r\n#elec_x_col= 2\r\n"
                       "#elec_y_col= 3\r\n#elec_z_col= 4\r\n#data_a_cable_col= -1\r\n#data_a_elec_col= 2\r\n"
                       "#data_b_cable_col= -1\r\n#data_b_elec_col= 3\r\n#data_m_cable_col= -1\r\n#data_m_elec_col= 4\r\n"
                       "#data_n_cable_col= -1\r\n#data_n_elec_col= 5\r\n#data_res_col= 6\r\n#data_appres= 2\r\n"
                       "#data_ip_wind_col= 7 8 9\r\n#data_ip_scale= 1\r\n#mesh_type= 1-User-defined\r\n"
                       "#res_anomaly= 0 1 0 1 -1 0 50 0.5\r\n#res_anomaly= 2 3 2 3 -2 -1 500\r\n"
                       "#ip_anomaly= 0 1 0 1 -1 0 0.2\r\n#forw_tolerance= 1e-9\r\n#plot_bounds= 0 10 0 10 4\r\n"
                       "#res_noise_potential= 0.25\r\n#k_limit= 2e3\r\n#start_from_data= 2\r\n#ip_leave_out_range= 2\r\n#ip_max_apparent= 200\r\n#doi_index= 1\r\n",
                       log),
              ConfigurationStatus::Read);
    ASSERT_EQ(log.warningCount(), 0u) << log.plainText();
    const SettingsTable once = roundTrip(changed);
    expectSameSettings(once, changed);
    EXPECT_EQ(settingText(once, Item::IpColumns), " 7 8 9");
    EXPECT_EQ(settingText(once, Item::ResNoisePotential), "0.25");
    EXPECT_EQ(settingText(once, Item::GeometricFactorLimit), "2000");
    EXPECT_EQ(settingText(once, Item::StartFromData), "2");
    EXPECT_EQ(settingText(once, Item::LeaveOutOfRangeIp), "2");
    EXPECT_EQ(settingText(once, Item::HighestApparentIp), "200");
    EXPECT_EQ(settingText(once, Item::DoiIndex), "1");
    EXPECT_EQ(once.rows.size(), 112u);
    // Once written and read, the text is a fixed point.
    EXPECT_EQ(roundTrip(once), once);
    EXPECT_EQ(configurationText(roundTrip(once), "d"), configurationText(once, "d"));
}

TEST(ConfigurationWriter, WritesFilesAtomicallyAndReportsFailures)
{
    TempFolder folder;
    MessageLog log;
    const fs::path file = folder.path / "out.cnfg";
    ASSERT_TRUE(WriteConfiguration(file, defaultSettingsTable(), log));
    std::string written;
    ASSERT_TRUE(readTextFile(file, written));
    EXPECT_EQ(written, configurationText(defaultSettingsTable(), currentDateText()));

    for (const fs::path& bad : {folder.path, folder.path / "missing" / "x.cnfg"}) {
        MessageLog failed;
        EXPECT_FALSE(WriteConfiguration(bad, defaultSettingsTable(), failed));
        EXPECT_EQ(failed.errorCount(), 1u);
        EXPECT_NE(failed.plainText().find("Error: WriteConfiguration: Configuration file " + bad.string() + " not written: "),
                  std::string::npos);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()), 1);
}

TEST(StartupConfiguration, AppliesTheUsersFileOrFallsBackToDefaults)
{
    TempFolder folder;
    auto put = [&](const char* name, const std::string& text) {
        EXPECT_TRUE(writeFileAtomically(folder.path / name, text));
        return (folder.path / name).string();
    };
    const std::string good = put("good.cnfg", "#dim_grid_x= 2 ! finer\n#background_res= 50\n");
    const std::string empty = put("empty.cnfg", "! nothing but a comment\r\n");
    const std::string overflow = put("overflow.cnfg", "#dim_grid_x= 2\r\n#elec_x_col= 70000\r\n");
    // Columns the reader accepts but the input check refuses: a cable column
    // switched off while cables are in use.
    const std::string badColumns = put("columns.cnfg",
                                       "#elec_no_cable= 1\r\n#elec_cable_col= -1\r\n#elec_id_col= 1\r\n#elec_x_col= 2\r\n"
                                       "#elec_y_col= 3\r\n#elec_z_col= 4\r\n");
    struct Case {
        std::optional<std::string> path;
        std::string logged;  // "" for nothing
        bool gridChanged;
    };
    const Case cases[] = {
        {std::nullopt, "", false},
        {std::string(kBuiltInDefaults), "", false},
        {good, "", true},
        {empty, "Error: LoadStartupConfiguration: Error: No configuration tags found.", false},
        {overflow, "Warning: LoadStartupConfiguration: Warning: critical error reading configuration.", false},
        {badColumns, "Error: LoadStartupConfiguration: Error: invalid input format", false},
    };
    for (const Case& c : cases) {
        MemoryUserSettings user;
        if (c.path) user.setValue("Paths", "Configuration", *c.path);
        ScriptedQuestions questions;
        MessageLog log;
        SettingsTable table = defaultSettingsTable();
        LoadStartupConfiguration(table, user, questions, log);
        EXPECT_TRUE(questions.messages().empty());
        if (c.logged.empty()) {
            EXPECT_EQ(log.errorCount() + log.warningCount(), 0u) << log.plainText();
        }
        else {
            EXPECT_NE(log.plainText().find(c.logged + "\r\n"), std::string::npos) << log.plainText();
        }
        EXPECT_EQ(settingText(table, Item::GridSizeX), c.gridChanged ? "2" : " 0.5 ");
        EXPECT_EQ(settingText(table, Item::BackgroundResistivity), c.gridChanged ? "50" : " 100.0 ");
    }

    for (const std::string& missing : {(folder.path / "gone.cnfg").string(), folder.path.string()}) {
        MemoryUserSettings user;
        user.setValue("Paths", "Configuration", missing);
        ScriptedQuestions questions;
        MessageLog log;
        SettingsTable table = defaultSettingsTable();
        LoadStartupConfiguration(table, user, questions, log);
        ASSERT_EQ(questions.messages().size(), 1u);
        EXPECT_EQ(questions.messages()[0].title, "Vexora64 - Error");
        EXPECT_EQ(questions.messages()[0].text,
                  missing + " not found!\r\nVexora64 default configuration settings restored.");
        EXPECT_EQ(user.value("Paths", "Configuration"), "Vexora defaults");
        EXPECT_EQ(table, defaultSettingsTable());
        LoadStartupConfiguration(table, user, questions, log);  // the next start is quiet
        EXPECT_EQ(questions.messages().size(), 1u);
    }
}
