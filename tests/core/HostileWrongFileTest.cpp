// Files that are no data file at all, chosen as one: each gets one message
// saying what it is, the project stays as it was and the log stays short.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>

#include "ImportTestSupport.h"
#include "ProjectTestSupport.h"
#include "core/datafile/ScheduleLoader.h"
#include "core/platform/ScriptedQuestions.h"

namespace vexora {
namespace {

using namespace vexora::testing;

std::string randomBytes(std::size_t size)
{
    std::mt19937_64 generator(7);
    std::string bytes(size, '\0');
    for (std::size_t at = 0; at < size; at += 8) {
        const std::uint64_t word = generator();
        std::memcpy(bytes.data() + at, &word, std::min<std::size_t>(8, size - at));
    }
    return bytes;
}

TEST(HostileInputWrongFile, EachKindGetsOneMessageAndLeavesTheProject)
{
    const std::filesystem::path folder = scratchFolder("wrong_file");
    const std::string imageTail = std::string("\0\0\0\rIHDR\0\0\0\x10", 12) + randomBytes(200);
    const struct {
        std::string name, bytes, message;  // the message follows the file's path
    } cases[] = {
        {"survey.png", "\x89PNG\r\n\x1a\n" + imageTail, " is a PNG image, not a text data file."},
        {"photo.data", "\xff\xd8\xff\xe0" + imageTail, " is a JPEG image, not a text data file."},
        {"field.bin", binFile({dipole(0), dipole(1)}), " looks like a Syscal binary file: use Import field data."},
        {"empty.data", "", " is empty."},
        {"blank.data", " \r\n\t\r\n", " is empty."},
        {"noise.data", randomBytes(100 << 20), " is not a text data file (binary content)."},
    };
    for (const auto& c : cases) {
        const std::filesystem::path path = writeScratch(folder, c.name, c.bytes);
        ProjectStore store = smallProject();
        const ProjectStore before = store;
        MessageLog log;
        ScriptedQuestions questions;
        EXPECT_EQ(funInputScheduleFile(store, {path, ProjectType::DataInversion, true}, log, questions),
                  LoadStatus::NotLoaded);
        EXPECT_EQ(log.lastError(), path.string() + c.message) << log.plainText();
        EXPECT_EQ(log.errorCount(), 1u) << c.name;
        EXPECT_EQ(log.warningCount(), 0u) << c.name;
        const std::string text = log.plainText();
        EXPECT_LE(std::count(text.begin(), text.end(), '\n'), 4) << text;
        EXPECT_EQ(store.survey.electrodes, before.survey.electrodes);
        EXPECT_EQ(store.survey.quadrupoles, before.survey.quadrupoles);
        EXPECT_EQ(store.settings, before.settings);
    }
    std::filesystem::remove_all(folder);
}

TEST(HostileInputWrongFile, RepeatedWarningsStopAtTwentyWithACount)
{
    std::string tags;
    for (int k = 1; k <= 25; ++k) tags += "#no_such_tag_" + std::to_string(k) + "= 1\r\n";
    ProjectStore store;
    MessageLog log;
    ScriptedQuestions questions;
    ASSERT_EQ(loadScheduleText(store, tags + smallSurvey(), {"tags.data", ProjectType::DataInversion}, log,
                               questions),
              LoadStatus::Loaded)
        << log.plainText();
    const std::string text = log.plainText();
    std::size_t shown = 0;
    for (std::size_t at = text.find("unrecognized configuration tag: #no_such_tag_"); at != std::string::npos;
         at = text.find("unrecognized configuration tag: #no_such_tag_", at + 1))
        ++shown;
    EXPECT_EQ(shown, 20u);
    EXPECT_NE(text.find("#no_such_tag_20= 1"), std::string::npos);
    EXPECT_EQ(text.find("#no_such_tag_21"), std::string::npos);
    EXPECT_NE(text.find("Warning: funLoadConfiguration: 5 more unrecognized configuration tags not shown."),
              std::string::npos)
        << text;
}

}  // namespace
}  // namespace vexora
