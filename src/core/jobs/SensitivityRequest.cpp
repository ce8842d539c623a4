#include "core/jobs/SensitivityRequest.h"

#include <cmath>

#include <nlohmann/json.hpp>

#include "core/log/MessageLog.h"
#include "core/settings/LenientNumber.h"

namespace vexora {

namespace {

long long wholeNumber(double value)
{
    if (!std::isfinite(value)) return 0;
    return static_cast<long long>(std::llround(value));
}

}  // namespace

SensitivityRequest readSensitivityRequest(std::string_view request)
{
    SensitivityRequest result;
    if (request.empty()) return result;
    if (lenientNumber(request) != 0)
        result.quadrupoleId = wholeNumber(lenientNumber(request.substr(0, request.size() - 1)));
    result.absolute = lenientNumber(request.substr(request.size() - 1)) != 0;
    return result;
}

std::string sensitivityInfoText(const SensitivityRequest& request)
{
    // The core reads the file as JSON; the library writes every token, the
    // one-member-per-line layout is the core's expectation.
    const nlohmann::ordered_json info = {
        {"Sensitivity_Quad_ID", nlohmann::json::array({request.quadrupoleId})},
        {"Sensitivity_Abs", request.absolute},
    };
    std::string text = "{";
    text += kLineBreak;
    std::size_t member = 0;
    for (const auto& [key, value] : info.items()) {
        text += nlohmann::json(key).dump() + ": " + value.dump();
        if (++member < info.size()) text += ",";
        text += kLineBreak;
    }
    text += "}";
    text += kLineBreak;
    return text;
}

}  // namespace vexora
