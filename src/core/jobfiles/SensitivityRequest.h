#pragma once
// The sensitivity request and its file "SensInfo.json", written by the
// workbench when it prepares a sensitivity job and read by the core.
//
// The request text is the quadrupole id digits followed by one digit, "1"
// for absolute and "0" for relative sensitivity; "0" alone asks for all
// quadrupoles, relative.

#include <filesystem>
#include <string>
#include <string_view>

#include "core/log/MessageLog.h"

namespace vexora {

struct SensitivityRequest {
    long long quadrupoleId = 0;  // 0: all quadrupoles
    bool absolute = false;
};

// Read leniently, as numbers are read everywhere: the id is the numeric
// value of the request without its last character (0 when the whole
// request's value is 0); absolute unless the last character's value is 0.
SensitivityRequest readSensitivityRequest(std::string_view request);

// The request text of a choice: the id's digits and the absolute digit; all
// quadrupoles is "0" (relative) or "01" (absolute). Reads back the same.
std::string sensitivityRequestText(const SensitivityRequest& request);

// "SensInfo.json": four lines, CR LF line ends.
std::string sensitivityInfoText(const SensitivityRequest& request);

// Reads "SensInfo.json": {"Sensitivity_Quad_ID": [id], "Sensitivity_Abs": true|false}
// (a bare id is taken too). Returns Ok, or Error with the reason logged under
// "GENERATESENSITIVITY".
Status readSensitivityInfo(const std::filesystem::path& file, SensitivityRequest& request, MessageLog& log);

}  // namespace vexora
