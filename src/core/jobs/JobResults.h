#pragma once
// The results of an inversion job, gathered from its project folder for the
// results window and `vexora results`: the data file the job wrote (loaded
// as every data file is) with the fit of its modelled data, the misfit per
// iteration from the job's log, the histogram of the normalised residuals
// and the model file for the viewer.

#include <filesystem>
#include <string>

#include "core/jobfiles/JobProgress.h"
#include "core/jobs/JobLogMisfit.h"
#include "core/log/MessageLog.h"
#include "core/project/ProjectStore.h"
#include "core/qc/DataFit.h"
#include "core/qc/Histogram.h"
#include "core/shell/ViewerScript.h"

namespace vexora {

struct JobResults {
    std::filesystem::path folder;
    std::filesystem::path modelFile;  // the inverted model in the viewer's file; empty when missing
    ProjectStore data;                // the loaded output data file
    DataFit fit;
    HistogramModel residuals;
    JobLogMisfits misfits;  // empty when the log is missing
    std::string lastLogLine;
    SectionCentre centre;   // of the viewer's sections: the middle of the electrodes, at the highest
};

// Reads the folder's output data file (the load's own messages stay out of
// `log` unless it fails), its log and its model file. Errors, logged, with
// `results` untouched: no folder, no output data file or one that does not
// load or holds no modelled data. A missing log or model file is a warning.
Status loadJobResults(const std::filesystem::path& folder, JobResults& results, MessageLog& log);

// Writes the viewer script that shows the model file in the job's folder
// and names it in `script`; Error, logged, without a model file or when the
// script cannot be written.
Status writeResultsViewerScript(const JobResults& results, std::filesystem::path& script, MessageLog& log);

// The log lines of a job's end: "WHAT ended: STAGE. Last log line: MESSAGE"
// (without the last part when the job has no log yet) and, when the job
// left its output data, "Results in FOLDER: \"Open results\" shows them."
std::string jobEndLines(std::string_view what, const ProgressState& end, const std::filesystem::path& folder);

}  // namespace vexora
