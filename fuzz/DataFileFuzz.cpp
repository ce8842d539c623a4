// Data files through the one load. A file that loads is written back with
// the writer's own layouts; that text must load again with every quadrupole,
// or a user's save would give a file the program refuses.

#include <cstdlib>
#include <string>

#include "FuzzTargets.h"
#include "core/datafile/FormatChecks.h"
#include "core/datafile/ScheduleLoader.h"
#include "core/datafile/ScheduleWriter.h"
#include "core/platform/ScriptedQuestions.h"

namespace vexora::fuzz {

void dataFile(std::string_view bytes)
{
    MessageLog log([] { return std::string("now"); });
    ScriptedQuestions questions;
    questions.setDefaultAnswer(true);
    ProjectStore store;
    const DataLoadRequest request{"fuzz.data", ProjectType::DataInversion, true};
    if (loadScheduleText(store, std::string(bytes), request, log, questions) != LoadStatus::Loaded) return;

    ScheduleLayouts layouts;
    if (funCheckFormatCfgForOutput(store.settings, store.survey.present, store.survey.quadrupoles.ipWindows(),
                                   layouts.electrodes, layouts.data, layouts.topography, log) != Status::Ok)
        return;
    const std::string saved = dataFileText(store, layouts, false, log, "01/01/2026 00:00:00");
    ProjectStore reloaded;
    if (loadScheduleText(reloaded, saved, request, log, questions) != LoadStatus::Loaded ||
        reloaded.survey.quadrupoles.size() != store.survey.quadrupoles.size())
        std::abort();
}

}  // namespace vexora::fuzz
