#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "core/datafile/ScheduleLoader.h"
#include "core/datafile/ScheduleWriter.h"
#include "core/io/TextFile.h"
#include "core/platform/ScriptedQuestions.h"
#include "support/SmallSurvey.h"
#include "support/SurveyGenerator.h"

namespace {

using namespace vexora;
using namespace vexora::testing;
namespace fs = std::filesystem;

class DataFileWrite : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("vexora_write_" + std::to_string(::getpid()) + "_" +
                                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path file(const std::string& name) const { return folder_ / name; }

    int load(ProjectStore& store, const std::string& text, bool useZ = true)
    {
        ScriptedQuestions q;
        q.answer(QuestionId::GeometricFactorsWithZ, useZ);
        store.type = ProjectType::DataInversion;
        return static_cast<int>(loadScheduleText(store, text, {"in.data", store.type}, log_, q));
    }
    int loadFile(ProjectStore& store, const fs::path& path)
    {
        std::string text;
        EXPECT_TRUE(readTextFile(path, text));
        return load(store, text);
    }
    std::string read(const fs::path& path)
    {
        std::string text;
        EXPECT_TRUE(readTextFile(path, text));
        return text;
    }

    MessageLog log_{[] { return std::string("DATE"); }};
    fs::path folder_;
};

// Field-by-field comparison to the precision the format writes.
void expectSameSurvey(const Survey& a, const Survey& b, double relative)
{
    EXPECT_EQ(a.cableNames, b.cableNames);
    ASSERT_EQ(a.electrodes.size(), b.electrodes.size());
    for (std::size_t i = 0; i < a.electrodes.size(); ++i) {
        const Electrode &x = a.electrodes[i], &y = b.electrodes[i];
        ASSERT_EQ(x.cable, y.cable);
        ASSERT_EQ(x.number, y.number);
        ASSERT_NEAR(x.x, y.x, 5e-6);
        ASSERT_NEAR(x.y, y.y, 5e-6);
        ASSERT_NEAR(x.z, y.z, 5e-6);
        ASSERT_NEAR(x.elevation, y.elevation, 5e-6);
        ASSERT_EQ(x.type, y.type);
    }
    const QuadrupoleTable &p = a.quadrupoles, &q = b.quadrupoles;
    ASSERT_EQ(p.rows, q.rows);
    auto same = [&](const std::vector<double>& u, const std::vector<double>& v, double absolute) {
        ASSERT_EQ(u.size(), v.size());
        for (std::size_t k = 0; k < u.size(); ++k)
            ASSERT_NEAR(u[k], v[k], absolute + relative * std::abs(u[k])) << "row " << k;
    };
    same(p.resistance, q.resistance, 5e-9);
    ASSERT_EQ(p.ip.size(), q.ip.size());
    for (std::size_t w = 0; w < p.ip.size(); ++w) same(p.ip[w], q.ip[w], 5e-9);
    ASSERT_EQ(p.ipStd.size(), q.ipStd.size());
    for (std::size_t w = 0; w < p.ipStd.size(); ++w) same(p.ipStd[w], q.ipStd[w], 5e-9);
    same(p.resistanceStd, q.resistanceStd, 5e-9);
    same(p.current, q.current, 5e-4);
    EXPECT_EQ(p.skip, q.skip);
    ASSERT_EQ(a.topography.size(), b.topography.size());
    for (std::size_t i = 0; i < a.topography.size(); ++i) ASSERT_NEAR(a.topography[i].z, b.topography[i].z, 5e-6);
    EXPECT_EQ(a.present, b.present);
}

std::string withoutDateLine(std::string text)
{
    const std::size_t at = text.find("#date= ");
    if (at != std::string::npos) text.erase(at, text.find('\n', at) - at);
    return text;
}

TEST(NumberFormats, RealAndIntegerCells)
{
    EXPECT_EQ(funFormatReal(3.2, 12, 5), "3.20000     ");
    EXPECT_EQ(funFormatReal(-1234.5, 12, 8), "-1234.50000000");
    EXPECT_EQ(funFormatReal(-0.000001, 12, 5), "0.00000     ");
    EXPECT_EQ(funFormatReal(0.0005, 10, 3), "0.001     ");
    EXPECT_EQ(funFormatInteger(7, 5), "7    ");
    EXPECT_EQ(funFormatInteger(-12, 5), "-12  ");
    // A zero is written, not left blank: a blank cell would merge with the
    // separators around it and shift every later column on reading.
    EXPECT_EQ(funFormatInteger(0, 5), "0    ");
}

TEST_F(DataFileWrite, HeaderTitlesAndRowsOfTheSmallSurvey)
{
    ProjectStore store;
    ASSERT_EQ(load(store, smallSurvey()), 0);
    ASSERT_EQ(saveDataFile(store, file("out.data"), false, log_, "2026-12-07"), Status::Ok) << log_.plainText();
    const std::string text = read(file("out.data"));
    const std::string start = "#Vexora+\r\n#version_number= 1.0.0\r\n#date= 2026-12-07\r\n"
                              "!Electrodes input format\r\n\r\n#elec_no_cable= 1\r\n\r\n";
    EXPECT_EQ(text.substr(0, start.size()), start);
    for (const char* expected : {
             "#data_ip_wind_col= 11 12 \r\n\r\n", "#data_std_ip_col= -1 \r\n\r\n", "#data_ip_scale= 1000\r\n\r\n",
             "#elec_start\r\n! \tCable\tID\tX(m)\tY(m)\tZ(m)\r\n\tA\t1    \t0.00000     \t0.00000     \t0.00000     \r\n",
             "! \tID\tCable_A\tElec_A\tCable_B\tElec_B\tCable_M\tElec_M\tCable_N\tElec_N\tV/I(ohm)\tIP1\tIP2\tI(mA)\tSkip\r\n",
             "\t3    \tA\t1    \tA\t4    \tA\t2    \tA\t3    \t1.50000000  \t8.00000000  \t4.00000000  \t150.000   \t1\r\n",
             "#topo_start\r\n! \tTopog_X(m)\tTopog_Y(m)\tTopog_Z(m)\r\n",
             "\t6.00000     \t0.00000     \t0.50000     \r\n\t0.00000     \t5.00000     \t0.25000     \r\n#topo_end\r\n"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
}

TEST_F(DataFileWrite, GapsInTheLayoutWriteFillers)
{
    ProjectStore store;
    std::string text = smallSurvey();
    text.replace(text.find("#elec_y_col= 4"), 14, "#elec_y_col= 5");
    text.replace(text.find("#elec_z_col= 5"), 14, "#elec_z_col= 6");
    for (const char* row : {"A 1 0 0 0", "A 2 2 0 0", "A 3 4 0 0", "A 4 6 0 0", "B 1 0 5 0", "B 2 2 5 0", "B 3 4 5 0", "B 4 6 5 0"}) {
        std::string r(row);
        std::string withGap = r.substr(0, r.size() - 3) + " x" + r.substr(r.size() - 4);
        text.replace(text.find(r + "\r\n"), r.size(), withGap);
    }
    ASSERT_EQ(load(store, text), 0) << log_.plainText();
    ASSERT_EQ(saveDataFile(store, file("gap.data"), false, log_), Status::Ok);
    const std::string out = read(file("gap.data"));
    EXPECT_NE(out.find("! \tCable\tID\tX(m)\tNo_info\tY(m)\tZ(m)\r\n"), std::string::npos);
    EXPECT_NE(out.find("\tB\t4    \t6.00000     \t-\t5.00000     \t0.00000     \r\n"), std::string::npos);
    ProjectStore back;
    ASSERT_EQ(loadFile(back, file("gap.data")), 0) << log_.plainText();
    expectSameSurvey(store.survey, back.survey, 0);
}

TEST_F(DataFileWrite, SampleSurveyRoundTrip)
{
    ProjectStore first, second;
    ASSERT_EQ(loadFile(first, fs::path(VEXORA_SAMPLES_DIR) / "sample_survey.data"), 0) << log_.plainText();
    ASSERT_EQ(saveDataFile(first, file("a.data"), false, log_, "2026-12-07"), Status::Ok);
    ASSERT_EQ(loadFile(second, file("a.data")), 0) << log_.plainText();
    expectSameSurvey(first.survey, second.survey, 1e-9);
    ASSERT_EQ(saveDataFile(second, file("b.data"), false, log_, "2027-01-01"), Status::Ok);
    EXPECT_EQ(withoutDateLine(read(file("a.data"))), withoutDateLine(read(file("b.data"))));
    EXPECT_NE(read(file("a.data")), read(file("b.data")));
    EXPECT_EQ(log_.errorCount(), 0u) << log_.plainText();
}

TEST_F(DataFileWrite, LargeGeneratedSurveyRoundTrip)
{
    for (bool apparent : {false, true}) {
        SCOPED_TRACE(apparent ? "apparent resistivity" : "V/I");
        GeneratedSurveyOptions options;
        options.quadrupoles = 100000;
        options.apparentResistivity = apparent;
        ProjectStore first, second;
        ASSERT_EQ(load(first, generateSurveyText(options)), 0);
        ASSERT_EQ(first.survey.quadrupoles.size(), 100000u);
        ASSERT_EQ(saveDataFile(first, file("big.data"), false, log_, "2026-12-07"), Status::Ok);
        ASSERT_EQ(loadFile(second, file("big.data")), 0);
        expectSameSurvey(first.survey, second.survey, apparent ? 1e-9 : 0.0);
        ASSERT_EQ(saveDataFile(second, file("big2.data"), false, log_, "2026-12-08"), Status::Ok);
        EXPECT_EQ(withoutDateLine(read(file("big.data"))), withoutDateLine(read(file("big2.data"))));
    }
}

TEST_F(DataFileWrite, ApparentResistivityComesBackWithTheFactorsOfZ)
{
    // Electrodes on a slope: flat factors differ from the factors with z.
    std::string text = smallSurvey(smallDataRows(), "#data_appres= 2\r\n");
    for (const char* from : {"A 2 2 0 0", "A 3 4 0 0", "A 4 6 0 0"}) {
        std::string f(from);
        text.replace(text.find(f + "\r\n"), f.size(), f.substr(0, f.size() - 1) + std::to_string(from[2] - '1'));
    }
    for (bool useZ : {true, false}) {
        ProjectStore store;
        ASSERT_EQ(load(store, text, useZ), 0) << log_.plainText();
        ASSERT_EQ(saveDataFile(store, file("app.data"), false, log_), Status::Ok);
        const std::string out = read(file("app.data"));
        EXPECT_NE(out.find("App_Res(ohm m)"), std::string::npos);
        // Row 3 is a Wenner array along the slope with apparent resistivity 1.5.
        const std::size_t at = out.find("\t3    \tA\t1    \tA\t4    \tA\t2    \tA\t3    \t");
        ASSERT_NE(at, std::string::npos);
        const double written = std::stod(out.substr(at + 39, 12));
        if (useZ) EXPECT_NEAR(written, 1.5, 5e-8);
        else EXPECT_NEAR(written, 1.5 * std::sqrt(5.0) / 2.0, 5e-6);  // 3D over horizontal spacing
    }
}

TEST_F(DataFileWrite, MergedIpAndZeroResistance)
{
    ProjectStore store;
    std::string rows = "1 A 1 A 2 A 3 A 4 1e-10 10 6 100 0\r\n2 A 1 A 2 A 3 A 4 0.5 10 6 100 0\r\n";
    ASSERT_EQ(load(store, smallSurvey(rows)), 0);
    ASSERT_EQ(saveDataFile(store, file("ip.data"), false, log_), Status::Ok);
    std::string out = read(file("ip.data"));
    EXPECT_NE(out.find("\t0.00000000  \t0.00000000  \t0.00000000  \t100.000"), std::string::npos);  // IP zeroed

    store.ipWindowsToMerge = 2;
    ASSERT_EQ(saveDataFile(store, file("merged.data"), false, log_), Status::Ok);
    out = read(file("merged.data"));
    EXPECT_NE(out.find("#data_ip_wind_col= 11 \r\n"), std::string::npos);
    EXPECT_NE(out.find("\tV/I(ohm)\tIP\tNo_info\tI(mA)"), std::string::npos);
    EXPECT_NE(out.find("\t0.50000000  \t8.00000000  \t-\t100.000"), std::string::npos);

    store.ipWindowsToMerge = 5;  // more than the 2 windows: clamped with a warning
    ASSERT_EQ(saveDataFile(store, file("clamped.data"), false, log_), Status::Ok);
    EXPECT_EQ(withoutDateLine(read(file("clamped.data"))), withoutDateLine(read(file("merged.data"))));
    EXPECT_NE(log_.plainText().find("IP windows to merge (5) exceed the 2 IP windows of the data: 2 merged."),
              std::string::npos);

    // One merged window equals the first window unmerged.
    store.ipWindowsToMerge = 1;
    ASSERT_EQ(saveDataFile(store, file("one.data"), false, log_), Status::Ok);
    EXPECT_NE(read(file("one.data")).find("\t0.50000000  \t10.00000000 \t-\t100.000"), std::string::npos);
}

TEST_F(DataFileWrite, SkippedQuadrupolesLeftOutOnRequest)
{
    ProjectStore store;
    ASSERT_EQ(load(store, smallSurvey()), 0);
    ASSERT_EQ(saveDataFile(store, file("all.data"), false, log_), Status::Ok);
    ASSERT_EQ(saveDataFile(store, file("kept.data"), true, log_), Status::Ok);
    ProjectStore all, kept;
    ASSERT_EQ(loadFile(all, file("all.data")), 0);
    ASSERT_EQ(loadFile(kept, file("kept.data")), 0);
    EXPECT_EQ(all.survey.quadrupoles.size(), 4u);
    EXPECT_EQ(kept.survey.quadrupoles.size(), 3u);
}

TEST_F(DataFileWrite, FailedWritesAreReportedAndKeepTheOldFile)
{
    ProjectStore store;
    ASSERT_EQ(load(store, smallSurvey()), 0);
    // Saving over the file that was loaded replaces it completely.
    const fs::path target = file("survey.data");
    ASSERT_EQ(saveDataFile(store, target, false, log_), Status::Ok);
    const std::string before = read(target);
    store.survey.quadrupoles.resistance[0] = 42.0;
    ASSERT_EQ(saveDataFile(store, target, false, log_), Status::Ok);
    EXPECT_NE(read(target), before);

    // A folder that cannot hold the file: result 1, logged, nothing left behind.
    const fs::path blocker = file("not_a_folder");
    ASSERT_TRUE(writeFileAtomically(blocker, "x"));
    EXPECT_EQ(saveDataFile(store, blocker / "out.data", false, log_), Status::Error);
    EXPECT_NE(log_.plainText().find("Error: funSaveSchedule: Data file " + (blocker / "out.data").string() + " not saved"),
              std::string::npos);
    EXPECT_EQ(saveDataFile(store, folder_, false, log_), Status::Error);
    EXPECT_EQ(read(blocker), "x");
    std::size_t files = 0;
    for (auto& entry : fs::directory_iterator(folder_)) files += entry.is_regular_file();
    EXPECT_EQ(files, 2u);  // survey.data and not_a_folder: no temporary file left
}

TEST_F(DataFileWrite, OutputCheckSwitchesOffColumnsWithoutData)
{
    ProjectStore store;
    ASSERT_EQ(load(store, smallSurvey()), 0);
    // The settings ask for a calculated IP column the data do not have.
    ASSERT_TRUE(setSettingText(store.settings, Item::CalcIpColumn, " 20 "));
    ASSERT_EQ(saveDataFile(store, file("calc.data"), false, log_), Status::Ok);
    EXPECT_NE(log_.plainText().find("Warning: funCheckFormatCfgForOutput: Data Output column 20 not saved. "
                                    "No calculatd IP data found."),
              std::string::npos);
    EXPECT_NE(read(file("calc.data")).find("#data_calc_ip_col= -1\r\n"), std::string::npos);
}

}  // namespace
