#include "core/jobs/JobResults.h"

#include <algorithm>
#include <system_error>

#include "core/datafile/ScheduleLoader.h"
#include "core/io/TextFile.h"
#include "core/jobs/RurVexora.h"
#include "core/platform/ScriptedQuestions.h"

namespace vexora {

namespace fs = std::filesystem;

namespace {

constexpr const char* kSource = "Results";

SectionCentre electrodeCentre(const Survey& survey)
{
    if (survey.electrodes.empty()) return {};
    double minX = survey.electrodes[0].x, maxX = minX, minY = survey.electrodes[0].y, maxY = minY;
    double top = survey.electrodes[0].z;
    for (const Electrode& e : survey.electrodes) {
        minX = std::min(minX, e.x), maxX = std::max(maxX, e.x);
        minY = std::min(minY, e.y), maxY = std::max(maxY, e.y);
        top = std::max(top, e.z);
    }
    return {(minX + maxX) / 2, (minY + maxY) / 2, top};
}

}  // namespace

Status loadJobResults(const fs::path& folder, JobResults& results, MessageLog& log)
{
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return log.error(kSource, folder.string() + " is not a project folder.");
    const fs::path dataFile = folder / kInvDataOutputFile;
    if (!fs::is_regular_file(dataFile, error))
        return log.error(kSource, folder.string() + " holds no inversion results: " + std::string(kInvDataOutputFile) +
                                      " is missing (the job has not ended, or it failed).");
    JobResults next;
    next.folder = folder;
    MessageLog loadLog;
    ScriptedQuestions questions = unattendedLoadQuestions();
    const DataLoadRequest request{dataFile, ProjectType::DataInversion, false, false};
    if (funInputScheduleFile(next.data, request, loadLog, questions) != LoadStatus::Loaded) {
        log.appendLog(loadLog);
        return log.error(kSource, dataFile.string() + " does not load.");
    }
    if (dataFit(next.data.survey, next.data.settings, next.fit, log) != Status::Ok) return Status::Error;
    if (funPlotHistogram(next.fit.normalisedResiduals, kResidualQuantity, next.residuals, log) != Status::Ok)
        return Status::Error;

    std::string text;
    if (readTextFile(folder / kInvLogFile, text)) {
        next.misfits = parseJobLogMisfits(text);
        next.lastLogLine = lastLogMessage(text);
    } else {
        log.warning(kSource, (folder / kInvLogFile).string() + " not found: no misfit per iteration.");
    }
    if (fs::is_regular_file(folder / kInvModelOutputFile, error)) next.modelFile = folder / kInvModelOutputFile;
    else log.warning(kSource, (folder / kInvModelOutputFile).string() + " not found: no model to view.");
    next.centre = electrodeCentre(next.data.survey);
    results = std::move(next);
    return Status::Ok;
}

Status writeResultsViewerScript(const JobResults& results, fs::path& script, MessageLog& log)
{
    if (results.modelFile.empty())
        return log.error(kSource, "No model file in " + results.folder.string() + " to show.");
    const fs::path file = results.folder / kViewerScriptName;
    if (WriteViewerScript(file, results.modelFile, results.centre, log) != Status::Ok) return Status::Error;
    script = file;
    return Status::Ok;
}

std::string jobEndLines(std::string_view what, const ProgressState& end, const fs::path& folder)
{
    std::string lines = std::string(what) + " ended: " + end.stage;
    std::string text;
    if (readTextFile(folder / kInvLogFile, text)) {
        const std::string last = lastLogMessage(text);
        if (!last.empty()) lines += ". Last log line: " + last;
    }
    lines += kLineBreak;
    std::error_code error;
    if (fs::is_regular_file(folder / kInvDataOutputFile, error))
        lines += "Results in " + folder.string() + ": \"Open results\" shows them." + kLineBreak;
    return lines;
}

}  // namespace vexora
