// The survey-design sensitivity request: the text handed to the core for
// every choice of the frame, the refusals, and the job's end lines.

#include <gtest/gtest.h>

#include <filesystem>

#include "core/io/TextFile.h"
#include "core/jobfiles/SensitivityRequest.h"
#include "core/jobs/RurVexora.h"
#include "core/jobs/SensitivityWorkspace.h"

namespace vexora {
namespace {

namespace fs = std::filesystem;

QuadrupoleTable threeQuadrupoles()
{
    QuadrupoleTable t;
    for (std::int32_t id : {7, 25, 31}) t.rows.push_back({id, {}});
    t.skip = {0, 0, 2};
    return t;
}

TEST(SensitivityWorkspace, RequestTextsReadBackAsChosen)
{
    struct Case {
        SensitivityChoice choice;
        const char* request;
        long long id;
        bool absolute;
    };
    const Case cases[] = {
        {{true, "junk", false}, "0", 0, false},
        {{true, "", true}, "01", 0, true},
        {{false, " 25 ", true}, "251", 25, true},
        {{false, "7", false}, "70", 7, false},
    };
    for (const Case& c : cases) {
        std::string request, refusal;
        ASSERT_EQ(sensitivityRequestFor(threeQuadrupoles(), c.choice, request, refusal), Status::Ok) << refusal;
        EXPECT_EQ(request, c.request);
        const SensitivityRequest back = readSensitivityRequest(request);
        EXPECT_EQ(back.quadrupoleId, c.id) << c.request;
        EXPECT_EQ(back.absolute, c.absolute) << c.request;
    }
}

TEST(SensitivityWorkspace, RefusedChoicesSayWhy)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", "Invalid quadrupole ID: type the ID of one quadrupole, or tick \"All quadrupoles\"."},
        {"2.5", "Invalid quadrupole ID: type the ID of one quadrupole, or tick \"All quadrupoles\"."},
        {"0", "Invalid quadrupole ID: type the ID of one quadrupole, or tick \"All quadrupoles\"."},
        {"8", "Quadrupole 8 is not in the table."},
        {"31", "Quadrupole 31 is removed: the job leaves it out."},
    };
    for (const auto& [typed, message] : cases) {
        std::string request = "untouched", refusal;
        EXPECT_EQ(sensitivityRequestFor(threeQuadrupoles(), {false, typed, true}, request, refusal), Status::Error);
        EXPECT_EQ(refusal, message) << typed;
        EXPECT_EQ(request, "untouched");
    }
    std::string request, refusal;
    EXPECT_EQ(sensitivityRequestFor(QuadrupoleTable{}, {true, "", false}, request, refusal), Status::Error);
    EXPECT_EQ(refusal, "No quadrupoles: import or load a survey first.");
}

TEST(SensitivityWorkspace, EndLinesNameTheLogAndTheResultsLeft)
{
    const fs::path folder = fs::temp_directory_path() / "vexora_sens_end.VXRprj";
    fs::remove_all(folder);
    fs::create_directories(folder);
    ASSERT_TRUE(writeFileAtomically(folder / kSensLogFile, "12:00:01 Sensitivity computed\r\n"));
    ASSERT_TRUE(writeFileAtomically(folder / kSensModelOutputFile, "x"));
    const std::string lines = sensitivityJobEndLines(folder, {100, "Script completed"});
    EXPECT_EQ(lines.rfind("Sensitivity job in " + folder.string() + " ended: Script completed. Last log line: ", 0), 0u)
        << lines;
    EXPECT_NE(lines.find("Sensitivity model in " + (folder / kSensModelOutputFile).string() + ".\r\n"),
              std::string::npos);
    EXPECT_EQ(lines.find("Sensitivity data in "), std::string::npos);
    fs::remove_all(folder);
}

}  // namespace
}  // namespace vexora
