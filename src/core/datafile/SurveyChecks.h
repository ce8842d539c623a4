#pragma once
// Consistency checks over the loaded electrode and quadrupole tables.

#include <string_view>

#include "core/log/MessageLog.h"
#include "core/platform/Questions.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

// Rebuilds survey.lookup from the electrode table. Electrodes listed twice
// (same cable and number) are dropped, keeping the first, with a warning.
Status funCreateElecTable(Survey& survey, MessageLog& log);

// Every pole of every quadrupole must name an existing electrode. With
// `remotesAllowed` (instrument sequences) the virtual remote electrodes on the
// cable after the last one pass too. Returns Error at the first invalid pole.
Status funCheckSchedData(const Survey& survey, bool remotesAllowed, MessageLog& log);

// Merges electrodes lying within `tolerance` metres of an earlier one (the
// earliest wins), after the user accepts the list, and remaps the quadrupoles.
Status funRenumberElectAndQuad(Survey& survey, std::string_view mode, double tolerance, Questions& questions,
                               MessageLog& log);

}  // namespace vexora
