#include "core/import/text/TextFields.h"

#include <charconv>
#include <cmath>

namespace vexora {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

void splitFields(std::string_view line, char delimiter, std::vector<std::string_view>& fields)
{
    fields.clear();
    if (delimiter == ' ') {
        std::size_t p = 0;
        while (p < line.size()) {
            while (p < line.size() && isBlank(line[p])) ++p;
            const std::size_t start = p;
            while (p < line.size() && !isBlank(line[p])) ++p;
            if (p > start) fields.push_back(line.substr(start, p - start));
        }
        return;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = line.find(delimiter, start);
        if (end == std::string_view::npos) {
            fields.push_back(line.substr(start));
            return;
        }
        fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
}

bool fieldNumber(std::string_view field, double& value)
{
    field = trimBlanks(field);
    if (!field.empty() && field.front() == '+') field.remove_prefix(1);
    if (field.empty()) return false;
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

bool isBlankLine(std::string_view line, char delimiter)
{
    for (char c : line)
        if (!isBlank(c) && c != delimiter) return false;
    return true;
}

ImportStatus refuseLine(MessageLog& log, const char* source, std::string_view fileName, std::size_t line,
                        const std::string& why)
{
    log.logError(source, std::string(fileName) + ": line " + std::to_string(line) + ": " + why + ". Nothing imported.");
    return ImportStatus::Failed;
}

std::string quotedField(std::string_view field)
{
    field = trimBlanks(field);
    return "\"" + std::string(field.substr(0, 40)) + "\"";
}

}  // namespace vexora
