#include "core/jobs/SensitivityWorkspace.h"

#include <charconv>

#include "core/io/Blanks.h"
#include "core/io/TextFile.h"
#include "core/jobfiles/SensitivityRequest.h"
#include "core/jobs/JobLogMisfit.h"
#include "core/jobs/RurVexora.h"

namespace vexora {

namespace fs = std::filesystem;

Status sensitivityRequestFor(const QuadrupoleTable& table, const SensitivityChoice& choice, std::string& request,
                             std::string& refusal)
{
    if (table.size() == 0) {
        refusal = "No quadrupoles: import or load a survey first.";
        return Status::Error;
    }
    SensitivityRequest wanted{0, choice.absolute};
    if (!choice.allQuadrupoles) {
        const std::string_view typed = trimBlanks(choice.typedId);
        long long id = 0;
        const auto [end, error] = std::from_chars(typed.data(), typed.data() + typed.size(), id);
        if (typed.empty() || error != std::errc{} || end != typed.data() + typed.size() || id <= 0) {
            refusal = "Invalid quadrupole ID: type the ID of one quadrupole, or tick \"All quadrupoles\".";
            return Status::Error;
        }
        std::size_t row = 0;
        while (row < table.size() && table.rows[row].id != id) ++row;
        if (row == table.size()) {
            refusal = "Quadrupole " + std::to_string(id) + " is not in the table.";
            return Status::Error;
        }
        if (row < table.skip.size() && table.skip[row] != 0) {
            refusal = "Quadrupole " + std::to_string(id) + " is removed: the job leaves it out.";
            return Status::Error;
        }
        wanted.quadrupoleId = id;
    }
    request = sensitivityRequestText(wanted);
    return Status::Ok;
}

std::string sensitivityJobEndLines(const fs::path& folder, const ProgressState& end)
{
    std::string lines = "Sensitivity job in " + folder.string() + " ended: " + end.stage;
    std::string text;
    if (readTextFile(folder / kSensLogFile, text)) {
        const std::string last = lastLogMessage(text);
        if (!last.empty()) lines += ". Last log line: " + last;
    }
    lines += kLineBreak;
    std::error_code error;
    for (const auto& [name, what] : {std::pair{kSensModelOutputFile, "Sensitivity model in "},
                                     std::pair{kSensDataOutputFile, "Sensitivity data in "}})
        if (fs::is_regular_file(folder / name, error)) lines += what + (folder / name).string() + "." + kLineBreak;
    return lines;
}

}  // namespace vexora
