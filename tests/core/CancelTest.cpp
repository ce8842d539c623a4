// Long core work stops when its feedback asks it to: with nothing logged as
// an error, and with what it was building left unusable rather than half made.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "ImportTestSupport.h"
#include "core/datafile/ScheduleLoader.h"
#include "core/import/ImportDriver.h"
#include "core/mesh/MeshBuild.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/qc/ReciprocalCheck.h"
#include "ProjectTestSupport.h"
#include "support/SmallSurvey.h"

namespace vexora {
namespace {

namespace fs = std::filesystem;

using testing::smallProject;

// A feedback that asks to stop once `stages` progress reports have come.
Feedback cancelAfter(int stages, int& reports)
{
    Feedback feedback;
    feedback.progress = [&reports](int, std::string_view) { ++reports; };
    feedback.cancelRequested = [&reports, stages] { return reports >= stages; };
    return feedback;
}

TEST(Cancel, LongWorkStopsWithoutAnErrorAndLeavesNothingHalfMade)
{
    const fs::path folder = testing::scratchFolder("cancel");
    const fs::path bin = testing::writeScratch(
        folder, "line.bin", testing::binFile({testing::dipole(0), testing::dipole(1), testing::dipole(2)}));
    struct Case {
        const char* what;
        int lastStage;  // progress reports before the last look at the feedback
        std::function<bool(const Feedback&, MessageLog&)> stoppedAndClean;  // true: stopped, nothing kept
    } cases[] = {
        {"reciprocal check", 1,
         [](const Feedback& feedback, MessageLog& log) {
             const ProjectStore store = smallProject();
             ReciprocalResult result;
             return DoReciprocalCheck(store.survey, ReciprocalValue::Resistance, result, log, feedback) ==
                    Status::Error;
         }},
        {"mesh build", 3,
         [](const Feedback& feedback, MessageLog& log) {
             ProjectStore store = smallProject();
             MeshBuildOutcome outcome;
             EXPECT_EQ(applyMeshSettings(store.settings, store.mesh, log), Status::Ok);
             const Status status =
                 funMakeMesh(store.settings, store.survey, store.mesh, store.models, log, outcome, feedback);
             return status == Status::Error && !store.mesh.present && store.mesh.nodeGrid.empty();
         }},
        {"instrument import", 3,
         [&bin](const Feedback& feedback, MessageLog& log) {
             BinImportOptions options;
             options.binFile = bin;
             ImportSet set;
             ImportGrids grids;
             return funImportBinFile(options, set, grids, log, feedback) == ImportStatus::Failed &&
                    set.quadrupoles.empty();
         }},
    };
    for (const Case& c : cases) {
        for (int stages = 0; stages <= c.lastStage; ++stages) {
            int reports = 0;
            MessageLog log;
            EXPECT_TRUE(c.stoppedAndClean(cancelAfter(stages, reports), log)) << c.what << ", stage " << stages;
            EXPECT_EQ(log.errorCount(), 0u) << c.what << "\n" << log.plainText();
        }
        // Never asked to stop, the same work goes through.
        MessageLog log;
        EXPECT_FALSE(c.stoppedAndClean(Feedback{}, log)) << c.what << "\n" << log.plainText();
    }
    fs::remove_all(folder);
}

}  // namespace
}  // namespace vexora
