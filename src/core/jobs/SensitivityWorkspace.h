#pragma once
// The survey-design side of the field data window: which sensitivity its
// "SENSITIVITY ANALISYS" frame asks the core for, and the lines that report
// the job's end. The job itself goes the one way every core job goes
// (RurVexora.h).

#include <filesystem>
#include <string>
#include <string_view>

#include "core/jobfiles/JobProgress.h"
#include "core/log/MessageLog.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

inline constexpr std::string_view kSensitivityFolderTitle = "Set sensitivity project folder";
inline constexpr std::string_view kSensitivityFolderFilter = "Sensitivity Project Folder (*.*)|*.*|";

// The frame's choice: every quadrupole, or the one whose ID is typed.
struct SensitivityChoice {
    bool allQuadrupoles = false;
    std::string typedId;
    bool absolute = false;
};

// The request text of the choice (SensitivityRequest.h). A typed ID must be
// a whole positive number naming a quadrupole of the table that is not
// removed (the job's data leave removed ones out). Returns Ok, or Error with
// the text for the user in `refusal`.
[[nodiscard]] Status sensitivityRequestFor(const QuadrupoleTable& table, const SensitivityChoice& choice,
                                           std::string& request, std::string& refusal);

// "Sensitivity job in FOLDER ended: STAGE. Last log line: MESSAGE", then
// one line per result the job left: "Sensitivity model in FILE." and
// "Sensitivity data in FILE.".
std::string sensitivityJobEndLines(const std::filesystem::path& folder, const ProgressState& end);

}  // namespace vexora
