// Every front end loads a data file through the same road: the workbench
// (offscreen), the console inversion, the core's job step and the command
// line get the same tables and the same messages of the loader from the
// same good and bad files.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "app/cli/CommandSupport.h"
#include "core/io/TextFile.h"
#include "core/jobs/ConsoleInversion.h"
#include "core/platform/ScriptedProcessLauncher.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/platform/UserSettings.h"
#include "engine/script/JobSteps.h"
#include "support/SmallSurvey.h"
#include "ui/Workbench.h"
#include "ui/platform/TextConversion.h"
#include "ui/shell/MainWindow.h"

using namespace vexora;
namespace fs = std::filesystem;

namespace {

struct Loaded {
    bool ok = false;
    ProjectStore store;
    std::string log;
};

Loaded inTheWorkbench(const fs::path& file)
{
    Loaded result;
    MessageLog log;
    ScriptedQuestions questions = unattendedLoadQuestions();
    MemoryUserSettings settings;
    test::ScriptedFileDialogs dialogs;
    {
        ui::MDIStart window(result.store, log, questions, settings, dialogs);
        ui::plugInWorkbench(window, result.store, log, questions, settings, dialogs);
        window.loadDataFile(ui::fromFilePath(file));
        result.ok = result.store.survey.dataLoaded;
    }
    result.log = log.plainText();
    return result;
}

Loaded inTheConsoleRun(const fs::path& file)
{
    Loaded result;
    MessageLog log;
    ScriptedProcessLauncher launcher;
    ConsoleRunOptions options;
    options.start = false;
    const ConsoleRunOutcome outcome = runConsoleInversion(result.store, file, options, launcher, log);
    result.ok = outcome.status == Status::Ok;
    if (!outcome.folder.empty()) fs::remove_all(outcome.folder);
    result.log = log.plainText();
    return result;
}

Loaded inTheJobStep(const fs::path& file)
{
    Loaded result;
    MessageLog log;
    result.ok = loadJobDataFile(result.store, file, log) == Status::Ok;
    result.log = log.plainText();
    return result;
}

Loaded onTheCommandLine(const fs::path& file)
{
    Loaded result;
    MessageLog log;
    result.ok = cli::loadInversionFile(result.store, file.string(), log) == Status::Ok;
    result.log = log.plainText();
    return result;
}

// The loader's own entries and its closing line, without dates and without
// what a front end adds around them.
std::vector<std::string> loaderMessages(const std::string& log)
{
    std::vector<std::string> lines;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const bool entry = line.rfind("Error: fun", 0) == 0 || line.rfind("Warning: fun", 0) == 0;
        const bool closing = line.size() > 11 && line.compare(line.size() - 11, 11, " not loaded") == 0;
        if (entry || closing) lines.push_back(line);
    }
    return lines;
}

}  // namespace

TEST(LoadRoads, EveryFrontEndGetsTheSameTablesAndMessages)
{
    const fs::path folder = fs::temp_directory_path() / ("vexora_roads_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    struct File {
        const char* name;
        std::string text;
        bool loads;
    } files[] = {
        {"good.data", vexora::testing::smallSurvey(), true},
        {"nodata.data", vexora::testing::smallHeader() + vexora::testing::smallElectrodes(), false},
        {"badcable.data", vexora::testing::smallSurvey("1 A 1 A 2 Z 3 A 4 0.5 10 5 100 0\r\n"), false},
        {"notags.data", "no tags here\r\n", false},
        {"missing.data", {}, false},
    };
    const std::pair<const char*, std::function<Loaded(const fs::path&)>> roads[] = {
        {"workbench", inTheWorkbench},
        {"console run", inTheConsoleRun},
        {"job step", inTheJobStep},
        {"command line", onTheCommandLine},
    };
    for (const File& file : files) {
        const fs::path path = folder / file.name;
        if (!file.text.empty()) {
            ASSERT_TRUE(writeFileAtomically(path, file.text));
        }
        std::vector<Loaded> results;
        for (const auto& [road, load] : roads) {
            results.push_back(load(path));
            const Loaded& result = results.back();
            EXPECT_EQ(result.ok, file.loads) << road << ", " << file.name << "\n" << result.log;
            EXPECT_FALSE(loaderMessages(result.log).empty() && !file.loads) << road << ", " << file.name;
        }
        for (std::size_t r = 1; r < results.size(); ++r) {
            const char* road = roads[r].first;
            EXPECT_EQ(loaderMessages(results[r].log), loaderMessages(results[0].log)) << road << ", " << file.name;
            EXPECT_EQ(results[r].store.survey.electrodes, results[0].store.survey.electrodes) << road;
            EXPECT_EQ(results[r].store.survey.quadrupoles, results[0].store.survey.quadrupoles) << road;
            EXPECT_EQ(results[r].store.survey.topography, results[0].store.survey.topography) << road;
        }
    }
    fs::remove_all(folder);
}
