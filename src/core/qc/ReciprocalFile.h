#pragma once
// The reciprocal-check result file: a tab-separated text, one line per
// quadrupole in the order of the window's table.

#include <filesystem>
#include <string>

#include "core/log/MessageLog.h"
#include "core/qc/ReciprocalCheck.h"

namespace vexora {

// The whole file text with CR LF line ends. Rows without a reciprocal carry
// "No Rec." as partner ID and "-" for the partner's value and the
// differences; rows that repeat no other carry "-" as duplicate ID.
std::string reciprocalFileText(const ReciprocalResult& result, ReciprocalOrder order);

// Writes the file atomically; a failure is logged under "cmdSave".
Status writeReciprocalFile(const std::filesystem::path& path, const ReciprocalResult& result, ReciprocalOrder order,
                           MessageLog& log);

}  // namespace vexora
