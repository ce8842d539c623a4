#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

#include "MeshTestSupport.h"
#include "core/project/ProjectStore.h"
#include "core/io/TextFile.h"
#include "core/mesh/MeshBuild.h"
#include "core/mesh/ModelDescriptionFile.h"
#include "core/mesh/XyzImport.h"
#include "core/platform/ScriptedQuestions.h"

using namespace vexora;
namespace vt = vexora::testing;

namespace {

namespace fs = std::filesystem;

ProjectStore smallMeshSettings()
{
    ProjectStore store;
    store.settings = vt::settingsWith({{Item::ForegroundXMax, "2"}, {Item::ForegroundYMax, "1.5"},
                                       {Item::ForegroundZMin, "-1"}, {Item::PadsXMax, "1"}, {Item::PadsXMin, "1"},
                                       {Item::PadsYMin, "1"}, {Item::PadsYMax, "1"}, {Item::PadsZMin, "1"}});
    return store;
}

ProjectStore smallMesh()
{
    ProjectStore store = smallMeshSettings();
    MessageLog log;
    MeshBuildOutcome outcome;
    EXPECT_EQ(applyMeshSettings(store.settings, store.mesh, log), Status::Ok);
    EXPECT_EQ(funMakeMesh(store.settings, store.survey, store.mesh, store.models, log, outcome), Status::Ok)
        << log.plainText();
    return store;
}

// The plain rule, every block against every point, the last match winning.
void naiveAssign(const Mesh& mesh, const std::vector<XyzPoint>& points, const std::array<double, 3>& s,
                 std::vector<double>& conductivity, std::vector<double>& ip)
{
    conductivity.assign(mesh.elementNodes.size(), 0.01);
    ip.assign(mesh.elementNodes.size(), 0.5);
    for (std::size_t e = 0; e < mesh.elementNodes.size(); ++e) {
        double c[3] = {0, 0, 0};
        for (std::int32_t k : mesh.elementNodes[e]) {
            c[0] += mesh.nodeGrid[static_cast<std::size_t>(k - 1)].x / 8;
            c[1] += mesh.nodeGrid[static_cast<std::size_t>(k - 1)].y / 8;
            c[2] += mesh.nodeGrid[static_cast<std::size_t>(k - 1)].z / 8;
        }
        for (const XyzPoint& p : points)
            if (std::abs(p.x - c[0]) <= s[0] / 2 && std::abs(p.y - c[1]) <= s[1] / 2 && std::abs(p.z - c[2]) <= s[2] / 2) {
                conductivity[e] = 1 / p.resistivity;
                ip[e] = p.ip / 1000;
            }
    }
}

TEST(XyzImport, BinnedAssignmentEqualsEveryBlockAgainstEveryPoint)
{
    const ProjectStore store = smallMesh();
    std::uint64_t seed = 12345;
    auto next = [&](double lo, double hi) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        return lo + (hi - lo) * static_cast<double>(seed >> 11) / 9007199254740992.0;
    };
    std::vector<XyzPoint> points;
    for (int k = 0; k < 3000; ++k)
        points.push_back({next(-3, 5), next(-3, 4.5), next(-4, 0.5), next(1, 500), next(0, 50), true});
    for (const std::array<double, 3>& spacing :
         {std::array<double, 3>{0.5, 0.5, 0.5}, std::array<double, 3>{0.3, 0.7, 0.25}, std::array<double, 3>{2, 2, 2}}) {
        std::vector<double> fast, fastIp, slow, slowIp;
        assignXyzModel(store.mesh, points, spacing, 100, 0.5, 1000, fast, &fastIp);
        naiveAssign(store.mesh, points, spacing, slow, slowIp);
        EXPECT_EQ(fast, slow);
        EXPECT_EQ(fastIp, slowIp);
    }
}

TEST(XyzImport, ShortLinesAndTextAreSkippedWithAWarning)
{
    MessageLog log;
    const std::string text = "x y z rho ip\r\n"  // text: not a number in column 1
                             "1 2 -3 100 7\r\n"
                             "1 2 -3 100\r\n"      // no IP column: not read as IP 100
                             "1 2 -3 nan 7\n"
                             "4 5 -6 0 7\r"       // resistivity 0: skipped silently
                             "1,2\r\n"
                             "\r\n"
                             "2 3 -4 50 8 9\r\n";
    const std::vector<XyzPoint> points = readXyzPoints(text, {1, 2, 3, 4, 5}, log).value();
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].resistivity, 100);
    EXPECT_EQ(points[0].ip, 7);
    EXPECT_EQ(points[1].x, 2);
    EXPECT_EQ(points[1].ip, 8);
    EXPECT_TRUE(vt::logHas(log, "Line 1: column 1 'x' is not a number; line skipped."));
    EXPECT_TRUE(vt::logHas(log, "Line 3: 4 columns, 5 needed; line skipped."));
    EXPECT_TRUE(vt::logHas(log, "Line 4: column 4 'nan' is not a number; line skipped."));
    EXPECT_EQ(log.warningCount(), 3u);
}

TEST(XyzImport, AnswersAreChecked)
{
    EXPECT_EQ(xyzColumnCount("\r\n\r\n1 2 3 4 5\r\n1 2\r\n"), 5);
    EXPECT_EQ(parseXyzGridSize(" 0.5 0.5 0.25 "), (std::array<double, 3>{0.5, 0.5, 0.25}));
    EXPECT_FALSE(parseXyzGridSize("0.5 0 1"));
    EXPECT_FALSE(parseXyzGridSize("0.5 0.5"));
    EXPECT_FALSE(parseXyzGridSize("a b c"));
    const auto c = parseXyzColumns(" 2 3 4 1 5", 5, true);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->x, 2);
    EXPECT_EQ(c->resistivity, 1);
    EXPECT_EQ(c->ip, 5);
    EXPECT_FALSE(parseXyzColumns("1 2 3 6", 5, false));
    EXPECT_FALSE(parseXyzColumns("1 2 3 4 5", 5, false));
    EXPECT_FALSE(parseXyzColumns("1 2 3", 5, true));
}

fs::path writeTemp(const std::string& name, const std::string& text)
{
    const fs::path path = fs::temp_directory_path() / name;
    EXPECT_TRUE(writeFileAtomically(path, text));
    return path;
}

TEST(XyzImport, RefusalsLeaveTheProjectUntouched)
{
    const fs::path three = writeTemp("vexora_three.xyz", "1 2 3\r\n4 5 6\r\n");
    const fs::path four = writeTemp("vexora_four.xyz", "1 2 -0.5 20\r\n");
    struct Case {
        fs::path path;
        std::vector<std::string> answers;
        std::string message;
    } cases[] = {
        {three, {"0.5 0.5 0.5"}, "Invalid number of columns (3)"},
        {four, {"0.5 -1 0.5"}, "Invalid grid size"},
        {four, {"0.5 0.5 0.5", "1 2 3 5"}, "Invalid column number (Max column number is 4)"},
        {fs::temp_directory_path() / "vexora_missing.xyz", {}, "vexora_missing.xyz not found!"},
    };
    for (const Case& c : cases) {
        ProjectStore store = smallMesh();
        const SettingsTable settings = store.settings;
        const std::vector<NodePoint> nodes = store.mesh.nodeGrid;
        const std::vector<double> conductivity = store.models.conductivity;
        ScriptedQuestions q;
        // The grid size is asked first, then the columns.
        for (std::size_t i = 0; i < c.answers.size(); ++i)
            q.queueInput(i == 0 ? QuestionId::XyzGridSize : QuestionId::XyzColumns, c.answers[i]);
        MessageLog log;
        EXPECT_EQ(subImportXYZ(c.path, 1, store.settings, store.survey, store.mesh, store.models, q, log),
                  Status::Error);
        ASSERT_EQ(q.messages().size(), 1u) << c.message;
        EXPECT_EQ(q.messages()[0].text, c.message);
        EXPECT_EQ(store.settings, settings);
        EXPECT_EQ(store.mesh.nodeGrid, nodes);
        EXPECT_EQ(store.models.conductivity, conductivity);
    }
    fs::remove(three);
    fs::remove(four);
}

TEST(XyzImport, BuildsTheMeshAndTakesThePointValues)
{
    ProjectStore store = smallMeshSettings();
    // The first interior block spans x 0..0.5, y 0..0.5, z 0..-0.5.
    const fs::path path = writeTemp("vexora_model.xyz", "0.25 0.25 -0.25 40 12\r\n0.26 0.24 -0.26 20 6\r\n"
                                                        "99 99 -0.25 10 1\r\n");
    ScriptedQuestions q;
    q.queueInput(QuestionId::XyzGridSize, "0.5 0.5 0.5");
    q.queueInput(QuestionId::XyzColumns, " 1 2 3 4 5");
    MessageLog log;
    ASSERT_EQ(subImportXYZ(path, 2, store.settings, store.survey, store.mesh, store.models, q, log),
              Status::Ok) << log.plainText();
    EXPECT_EQ(q.questions()[0].text, "Insert average of x, y, z grid size for xyz file.");
    EXPECT_EQ(q.questions()[1].text,
              "5 columns detected.\nPlease specify columns for X, Y, Z, RESISTIVITY and IP (optional) values.");
    EXPECT_EQ(q.messages().back().text, "Mesh generated. Resistivity and IP models correctly loaded.");
    EXPECT_TRUE(vt::logHas(log, "Mesh Generated. Resistivity and IP models correctly loaded from file " + path.string()));
    EXPECT_TRUE(vt::logHas(log, "1 of 3 points lie outside the mesh"));
    const Mesh& m = store.mesh;
    const std::size_t e = static_cast<std::size_t>((1 - 1) * (m.nx - 1) * (m.ny - 1) + 1 * (m.nx - 1) + 1);
    ASSERT_EQ(store.models.conductivity.size(), m.elementNodes.size());
    // Block (2, 2, 1) in 1-based line numbers is the interior block at the origin.
    EXPECT_DOUBLE_EQ(store.models.conductivity[e], 1 / 20.0);  // the later point wins
    EXPECT_DOUBLE_EQ(store.models.ip[e], 6 / 1000.0);
    EXPECT_DOUBLE_EQ(store.models.conductivity[0], 1 / 100.0);
    EXPECT_DOUBLE_EQ(store.models.ip[0], 0.01 / 1000.0);
    EXPECT_EQ(settingText(store.settings, Item::ResistivityModelType), "1-Imported");
    EXPECT_EQ(settingText(store.settings, Item::IpModelType), "1-Imported");
    fs::remove(path);
}

TEST(ModelDescription, ReplacesTheStartingModelSettings)
{
    SettingsTable table = defaultSettingsTable();
    MessageLog log;
    const std::string text = "version_info\r\nskipped\r\nskipped\r\nbackground_res\r\n250\r\nres_anomalies\r\n3\r\n"
                             "0 1 0 1 -1 0 10\r\n0 1 0 1\r\n2 3 2 3 -2 -1 500 0.5\r\nbackground_IP\r\n7\r\n"
                             "IP_anomalies\r\n1\r\n0 1 0 1 -1 0 20\r\n";
    ASSERT_EQ(applyModelDescription(text, 1, table, log), ModelDescriptionStatus::Read);
    EXPECT_EQ(settingText(table, Item::BackgroundResistivity), " 250 ");
    EXPECT_EQ(settingText(table, Item::ResistivityAnomalyCount), " 2 ");
    const std::size_t count = *FindSettingRow(table, Item::ResistivityAnomalyCount);
    EXPECT_EQ(table.rows[count + 1].value, " 0 1 0 1 -1 0 10 ");
    EXPECT_EQ(table.rows[count + 2].value, " 2 3 2 3 -2 -1 500 0.5 ");
    EXPECT_EQ(table.rows[count + 3].description, description(Item::IpModelType));
    EXPECT_TRUE(vt::logHas(log, "Line 9: 4 numbers, 7 needed; anomaly not loaded."));
    EXPECT_EQ(settingText(table, Item::BackgroundIp), " 0.01 ");  // IP sections not asked for

    // Loaded again: the previous rows are replaced, not added to.
    ASSERT_EQ(applyModelDescription(text, 1, table, log), ModelDescriptionStatus::Read);
    EXPECT_EQ(table.rows.size(), kDefaultSettingRows + 2);
    ASSERT_EQ(applyModelDescription(text, 2, table, log), ModelDescriptionStatus::Read);
    EXPECT_EQ(settingText(table, Item::BackgroundIp), " 7 ");
    EXPECT_EQ(settingText(table, Item::IpAnomalyCount), " 1 ");

    const SettingsTable before = table;
    EXPECT_EQ(applyModelDescription("Version_info\r\n", 1, table, log), ModelDescriptionStatus::Invalid);
    EXPECT_EQ(applyModelDescription("version_info\r\n\r\n\r\nres_anomalies\r\n4\r\n0 1 0 1 -1 0 10\r\n", 1, table, log),
              ModelDescriptionStatus::Failed);
    EXPECT_EQ(applyModelDescription("version_info\r\n\r\n\r\nres_anomalies\r\n", 1, table, log),
              ModelDescriptionStatus::Failed);
    EXPECT_EQ(table, before);
}

TEST(ModelDescription, MessagesOfTheLoadCommand)
{
    SettingsTable table = defaultSettingsTable();
    ScriptedQuestions q;
    MessageLog log;
    const fs::path bad = writeTemp("vexora_bad_model.txt", "model\r\n");
    EXPECT_EQ(subLoadRhoIPModel(bad, 1, table, q, log), Status::Error);
    EXPECT_EQ(q.messages().back().text, "Invalid file format.");
    EXPECT_EQ(q.messages().back().title, "Vexora64 - Error");
    EXPECT_EQ(subLoadRhoIPModel(fs::temp_directory_path() / "vexora_no_model.txt", 1, table, q, log), Status::Error);
    EXPECT_EQ(q.messages().back().text, "vexora_no_model.txt not found!");
    EXPECT_EQ(table, defaultSettingsTable());
    const fs::path good = writeTemp("vexora_model.txt", "version_info\r\n\r\n\r\nbackground_IP\r\n3\r\n");
    EXPECT_EQ(subLoadRhoIPModel(good, 2, table, q, log), Status::Ok);
    EXPECT_EQ(q.messages().back().text, "IP model correctly loaded.");
    EXPECT_TRUE(vt::logHas(log, "IP model correctly loaded from file " + good.string()));
    fs::remove(bad);
    fs::remove(good);
}

}  // namespace
