#include "core/jobfiles/SensitivityRequest.h"

#include <cmath>

#include <nlohmann/json.hpp>

#include "core/io/TextFile.h"
#include "core/log/MessageLog.h"
#include "core/settings/LenientNumber.h"

namespace vexora {

namespace {

// The core reads the file for this script command and logs under its name.
constexpr const char* kReadingCommand = "GENERATESENSITIVITY";

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

std::string sensitivityRequestText(const SensitivityRequest& request)
{
    if (request.quadrupoleId == 0) return request.absolute ? "01" : "0";
    return std::to_string(request.quadrupoleId) + (request.absolute ? "1" : "0");
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

Status readSensitivityInfo(const std::filesystem::path& file, SensitivityRequest& request, MessageLog& log)
{
    std::string text, why;
    if (!readTextFile(file, text, &why)) return log.error(kReadingCommand, file.string() + " not read: " + why);
    const nlohmann::json info = nlohmann::json::parse(text, nullptr, false);
    if (info.is_discarded() || !info.is_object())
        return log.error(kReadingCommand, file.string() + " is not a JSON object.");
    const auto id = info.find("Sensitivity_Quad_ID");
    const auto absolute = info.find("Sensitivity_Abs");
    const bool idOk = id != info.end() && ((id->is_array() && id->size() == 1 && (*id)[0].is_number_integer()) ||
                                           id->is_number_integer());
    if (!idOk || absolute == info.end() || !absolute->is_boolean())
        return log.error(
            kReadingCommand,
            file.string() + " needs \"Sensitivity_Quad_ID\": [id] and \"Sensitivity_Abs\": true or false.");
    request.quadrupoleId = id->is_array() ? (*id)[0].get<long long>() : id->get<long long>();
    request.absolute = absolute->get<bool>();
    return Status::Ok;
}

}  // namespace vexora
