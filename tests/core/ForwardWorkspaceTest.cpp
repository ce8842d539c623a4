// The forward workspace's save of a designed survey: the column answers, the
// noise on the modelled data and the files it leaves.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>

#include "core/datafile/ScheduleLoader.h"
#include "core/jobs/ForwardWorkspace.h"
#include "core/platform/ScriptedQuestions.h"
#include "support/SmallSurvey.h"

namespace vexora {
namespace {

namespace fs = std::filesystem;

// The small survey with modelled resistances in column 15.
ProjectStore modelledSurvey()
{
    const std::string rows = "1 A 1 A 2 A 3 A 4 0.5 10 5 100 0 0.6\r\n"
                             "2 B 1 B 2 B 3 B 4 0.25 12 6 200 0 0.3\r\n"
                             "3 A 1 A 4 A 2 A 3 1.5 8 4 150 1 1.2\r\n"
                             "4 A 1 A 2 B 1 B 2 0.125 9 3 100 0 0.2\r\n";
    ProjectStore store;
    MessageLog log;
    ScriptedQuestions questions;
    EXPECT_EQ(loadScheduleText(store, testing::smallSurvey(rows, "#data_calc_res_col= 15\r\n"),
                               {"designed.data", ProjectType::SurveyDesign, true}, log, questions),
              LoadStatus::Loaded)
        << log.plainText();
    EXPECT_TRUE(store.survey.present.calcResistance);
    return store;
}

std::vector<double> savedModelledData(const fs::path& file)
{
    ProjectStore store;
    MessageLog log;
    ScriptedQuestions questions;
    EXPECT_EQ(funInputScheduleFile(store, {file, ProjectType::SurveyDesign, false}, log, questions), LoadStatus::Loaded)
        << log.plainText();
    return store.survey.quadrupoles.calcResistance;
}

fs::path freshFolder(const char* name)
{
    const fs::path folder = fs::temp_directory_path() / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

TEST(ModelledNoise, TheUniformNumbersAreTheTopBitsOfTheStandardTwister)
{
    for (std::uint64_t seed : {0ULL, 1ULL, 20261208ULL, (1ULL << 53) - 1}) {
        UniformNumbers ours(seed);
        std::mt19937_64 reference(seed);
        for (int i = 0; i < 1000; ++i) {
            const double u = ours.next();
            ASSERT_EQ(u, static_cast<double>(reference() >> 11) * 0x1.0p-53) << seed << " " << i;
            ASSERT_GE(u, 0.0);
            ASSERT_LT(u, 1.0);
        }
    }
}

TEST(ModelledNoise, PolarNumbersAreStandardNormal)
{
    UniformNumbers uniform(7);
    constexpr int count = 200000;
    double sum = 0, squares = 0;
    for (int i = 0; i < count; ++i) {
        const double g = polarNormal(uniform);
        sum += g;
        squares += g * g;
    }
    EXPECT_NEAR(sum / count, 0.0, 0.01);
    EXPECT_NEAR(std::sqrt(squares / count), 1.0, 0.01);
}

TEST(ModelledNoise, PercentAndConstantChangeTheCalculatedResistances)
{
    const std::vector<double> before = {0.5, 0.25, 1.5, 0.125};
    const struct {
        double percent, constant;
        bool added;
        std::vector<double> expected;  // empty: checked below
    } cases[] = {
        {0, 0, false, before},
        {0, 0.01, true, {0.51, 0.26, 1.51, 0.135}},
        {0, -0.5, true, {0, -0.25, 1.0, -0.375}},
        // A fixed seed gives these values on every platform, for ever: a
        // designed data set is made again from the seed in the log.
        {10, 0, true, {0.49930011686805725, 0.25534482717798829, 1.5037516298505722, 0.1286159780191006}},
    };
    for (const auto& c : cases) {
        QuadrupoleTable table;
        table.calcResistance = before;
        table.calcIp = {3, 4, 5, 6};
        MessageLog log;
        EXPECT_EQ(addModelledNoise(table, {c.percent, c.constant, 20261208}, "site.data", log), c.added);
        for (std::size_t k = 0; k < before.size(); ++k)
            EXPECT_NEAR(table.calcResistance[k], c.expected[k], 1e-15) << c.percent << " " << c.constant << " " << k;
        EXPECT_EQ(table.calcIp, (std::vector<double>{3, 4, 5, 6}));
        const std::string text = log.plainText();
        EXPECT_EQ(text.find("Noise added.") != std::string::npos, c.added) << text;
        if (c.added) {
            EXPECT_NE(text.find("Noise of the save site.data: standard deviation " +
                                std::string(c.percent == 10 ? "2" : "0") + " % of each calculated resistance"),
                      std::string::npos)
                << text;
            EXPECT_NE(text.find("seed 20261208 (4 values)."), std::string::npos) << text;
        }
    }
}

TEST(ModelledNoise, TheStandardDeviationIsAFifthOfThePercent)
{
    QuadrupoleTable table;
    table.calcResistance.assign(100000, 2.0);
    MessageLog log;
    EXPECT_TRUE(addModelledNoise(table, {50, 0, freshNoiseSeed()}, "many.data", log));
    double sum = 0, squares = 0;
    for (double r : table.calcResistance) {
        const double relative = (r - 2.0) / 2.0;
        sum += relative;
        squares += relative * relative;
    }
    const double count = static_cast<double>(table.calcResistance.size());
    EXPECT_NEAR(sum / count, 0.0, 0.002);
    EXPECT_NEAR(std::sqrt(squares / count), 0.1, 0.002);
}

TEST(ForwardWorkspace, ColumnAnswers)
{
    using K = ColumnAnswer::Kind;
    const struct {
        const char* answer;
        K kind;
        int column;
    } cases[] = {
        {"", K::Empty, -1},   {"   ", K::Empty, -1}, {"-1", K::Valid, -1},  {" 15 ", K::Valid, 15},
        {"1", K::Valid, 1},   {"0", K::Invalid, -1}, {"-2", K::Invalid, -1}, {"abc", K::Invalid, -1},
        {"2.5", K::Invalid, -1}, {"3x", K::Invalid, -1}, {"99999999999", K::Invalid, -1},
    };
    for (const auto& c : cases) {
        const ColumnAnswer read = readColumnAnswer(c.answer);
        EXPECT_EQ(read.kind, c.kind) << c.answer;
        if (c.kind == K::Valid) EXPECT_EQ(read.column, c.column) << c.answer;
    }
}

TEST(ForwardWorkspace, TheColumnPromptOffersTheFieldDataColumn)
{
    SettingsTable settings = defaultSettingsTable();
    ASSERT_TRUE(setSettingText(settings, Item::ResistanceColumn, " 10 "));
    ASSERT_TRUE(setSettingText(settings, Item::IpColumns, "-1"));
    const ColumnPrompt resistance = modelledColumnPrompt(settings, Item::CalcResistanceColumn);
    EXPECT_EQ(resistance.text, "Calculated Res. column\r\nSelect column 10 to overwrite field data.");
    EXPECT_EQ(resistance.proposed, "10");
    const ColumnPrompt ip = modelledColumnPrompt(settings, Item::CalcIpColumn);
    EXPECT_EQ(ip.text, "Calculated IP column");
    EXPECT_EQ(ip.proposed, "-1");
}

TEST(ForwardWorkspace, SavingTwiceWithNoiseCarriesTheNoiseTwice)
{
    const fs::path folder = freshFolder("vexora_forward_save");
    ProjectStore store = modelledSurvey();
    const std::vector<double> original = store.survey.quadrupoles.calcResistance;
    const NoiseRequest noise{20, 0, 99};
    MessageLog log;
    ASSERT_EQ(saveForwardScheduleAndData(store, folder / "once.data", false, noise, log), Status::Ok);
    const std::vector<double> once = savedModelledData(folder / "once.data");
    ASSERT_EQ(saveForwardScheduleAndData(store, folder / "twice.data", true, noise, log), Status::Ok);
    const std::vector<double> twice = savedModelledData(folder / "twice.data");
    ASSERT_EQ(once.size(), original.size());
    ASSERT_EQ(twice.size(), original.size());
    // The same seed draws the same numbers: each save multiplies by the same factor.
    for (std::size_t k = 0; k < original.size(); ++k) {
        EXPECT_GT(std::abs(once[k] / original[k] - 1), 1e-4) << k;
        EXPECT_NEAR(twice[k] / once[k], once[k] / original[k], 1e-4) << k;
    }
    const std::string text = log.plainText();
    EXPECT_NE(text.find("Noise of the save " + (folder / "once.data").string()), std::string::npos) << text;
    EXPECT_NE(text.find("Noise of the save " + (folder / "twice.data").string()), std::string::npos) << text;
    EXPECT_NE(text.find("Schedule file " + (folder / "twice.data").string() + " saved."), std::string::npos) << text;
}

TEST(ForwardWorkspace, WithoutNoiseTheSavedDataAreTheModelledOnes)
{
    const fs::path folder = freshFolder("vexora_forward_plain");
    ProjectStore store = modelledSurvey();
    const std::vector<double> original = store.survey.quadrupoles.calcResistance;
    MessageLog log;
    ASSERT_EQ(saveForwardScheduleAndData(store, folder / "plain.data", true, {}, log), Status::Ok);
    EXPECT_EQ(store.survey.quadrupoles.calcResistance, original);
    const std::vector<double> saved = savedModelledData(folder / "plain.data");
    ASSERT_EQ(saved.size(), original.size());
    for (std::size_t k = 0; k < original.size(); ++k) EXPECT_NEAR(saved[k] / original[k], 1.0, 1e-5) << k;
    EXPECT_EQ(log.plainText().find("Noise added."), std::string::npos);
}

TEST(ForwardWorkspace, ARefusedOutputLayoutAddsNoNoiseAndWritesNothing)
{
    const fs::path folder = freshFolder("vexora_forward_refused");
    ProjectStore store = modelledSurvey();
    ASSERT_TRUE(setSettingText(store.settings, Item::CalcResistanceColumn, "0"));
    const std::vector<double> original = store.survey.quadrupoles.calcResistance;
    MessageLog log;
    EXPECT_EQ(saveForwardScheduleAndData(store, folder / "bad.data", true, {10, 1, 5}, log), Status::Error);
    EXPECT_NE(log.plainText().find("Error: invalid output format"), std::string::npos) << log.plainText();
    EXPECT_EQ(log.plainText().find("Noise added."), std::string::npos);
    EXPECT_EQ(store.survey.quadrupoles.calcResistance, original);
    EXPECT_FALSE(fs::exists(folder / "bad.data"));
}

}  // namespace
}  // namespace vexora
