#include "core/mesh/ModelDescriptionFile.h"

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "core/io/TextFile.h"
#include "core/platform/Application.h"
#include "core/settings/LenientNumber.h"
#include "core/settings/ParseLine.h"

namespace vexora {

namespace {

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(pos, end - pos));
        if (end < text.size() && text[end] == '\r') ++end;
        if (end < text.size() && text[end] == '\n') ++end;
        pos = end;
    }
    return lines;
}

std::string trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

// The count row's anomaly rows replaced by `rows`.
void replaceAnomalyRows(SettingsTable& table, Item countItem, Item rowItem, const std::vector<std::string>& rows)
{
    const auto countRow = FindSettingRow(table, countItem);
    if (!countRow) return;
    const std::string label(description(rowItem));
    auto first = table.rows.begin() + static_cast<std::ptrdiff_t>(*countRow + 1);
    auto last = first;
    while (last != table.rows.end() && last->description == label) ++last;
    first = table.rows.erase(first, last);
    std::vector<SettingRow> added;
    added.reserve(rows.size());
    for (const std::string& r : rows) added.push_back({label, r, false});
    table.rows.insert(first, added.begin(), added.end());
    table.rows[*countRow].value = " " + std::to_string(rows.size()) + " ";
}

ModelDescriptionStatus failed(MessageLog& log, const std::string& text)
{
    log.logError(kLoadModelSource, text);
    return ModelDescriptionStatus::Failed;
}

}  // namespace

ModelDescriptionStatus applyModelDescription(std::string_view text, int kind, SettingsTable& table, MessageLog& log)
{
    const std::vector<std::string_view> lines = splitLines(text);
    if (lines.empty() || lines[0] != "version_info") return ModelDescriptionStatus::Invalid;
    const bool resistivity = kind == 1;
    const std::string_view backgroundKey = resistivity ? "background_res" : "background_IP";
    const std::string_view anomalyKey = resistivity ? "res_anomalies" : "IP_anomalies";

    std::optional<std::string> background;
    std::optional<std::vector<std::string>> anomalies;
    classParseLine tokenizer;
    for (std::size_t i = 3; i < lines.size(); ++i) {
        if (lines[i] == backgroundKey) {
            if (i + 1 >= lines.size())
                return failed(log, std::string(backgroundKey) + " without a value line.");
            background = trimmed(lines[++i]);
        }
        else if (lines[i] == anomalyKey) {
            if (i + 1 >= lines.size())
                return failed(log, std::string(anomalyKey) + " without a count line.");
            bool found = false;
            const double n = lenientNumber(lines[++i], found);
            if (!found || n < 0 || n != std::floor(n) || n > static_cast<double>(lines.size() - i - 1))
                return failed(log, "Line " + std::to_string(i + 1) + ": '" + std::string(lines[i]) +
                                       "' is not the count of the anomaly rows that follow.");
            anomalies.emplace();
            for (std::size_t k = 0; k < static_cast<std::size_t>(n); ++k) {
                const std::string_view row = lines[++i];
                tokenizer.Defaults();
                tokenizer.AddLine(row);
                if (tokenizer.Number() < 7) {
                    log.warning(kLoadModelSource, "Line " + std::to_string(i + 1) + ": " +
                                                      std::to_string(tokenizer.Number()) +
                                                      " numbers, 7 needed; anomaly not loaded.");
                    continue;
                }
                anomalies->push_back(" " + trimmed(row) + " ");
            }
        }
    }
    if (background)
        setSettingText(table, resistivity ? Item::BackgroundResistivity : Item::BackgroundIp, " " + *background + " ");
    if (anomalies)
        replaceAnomalyRows(table, resistivity ? Item::ResistivityAnomalyCount : Item::IpAnomalyCount,
                           resistivity ? Item::ResistivityAnomaly : Item::IpAnomaly, *anomalies);
    return ModelDescriptionStatus::Read;
}

Status subLoadRhoIPModel(const std::filesystem::path& path, int kind, SettingsTable& table, Questions& questions,
                         MessageLog& log)
{
    std::string text;
    if (!readTextFile(path, text)) {
        questions.showMessage(std::string(kApplicationTitle) + " - Error", path.filename().string() + " not found!",
                              MessageIcon::Critical);
        return Status::Error;
    }
    const auto read = applyModelDescription(text, kind, table, log);
    if (read == ModelDescriptionStatus::Invalid) {
        questions.showMessage(std::string(kApplicationTitle) + " - Error", "Invalid file format.",
                              MessageIcon::Critical);
        return Status::Error;
    }
    if (read != ModelDescriptionStatus::Read) return Status::Error;
    reportModelLoaded(kind == 1, path, questions, log);
    return Status::Ok;
}

void reportModelLoaded(bool resistivity, const std::filesystem::path& path, Questions& questions, MessageLog& log)
{
    questions.showMessage(std::string(kApplicationTitle),
                          resistivity ? "Resistivity model correctly loaded." : "IP model correctly loaded.",
                          MessageIcon::Information);
    log.subWriteToTextBox(std::string(kLineBreak) +
                          (resistivity ? "Resistivity model correctly loaded from file "
                                       : "IP model correctly loaded from file ") +
                          path.string());
}

}  // namespace vexora
