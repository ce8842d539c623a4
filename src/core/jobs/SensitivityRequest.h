#pragma once
// The sensitivity request: the quadrupole id digits followed by one digit,
// "1" for absolute and "0" for relative sensitivity; "0" alone asks for all
// quadrupoles, relative.

#include <string>
#include <string_view>

namespace vexora {

struct SensitivityRequest {
    long long quadrupoleId = 0;  // 0: all quadrupoles
    bool absolute = false;
};

// Read leniently, as numbers are read everywhere: the id is the numeric
// value of the request without its last character (0 when the whole
// request's value is 0); absolute unless the last character's value is 0.
SensitivityRequest readSensitivityRequest(std::string_view request);

// "SensInfo.json": four lines, CR LF line ends.
std::string sensitivityInfoText(const SensitivityRequest& request);

}  // namespace vexora
