#include "core/jobs/ForwardWorkspace.h"

#include <charconv>

#include "core/datafile/FormatChecks.h"
#include "core/datafile/ScheduleWriter.h"
#include "core/io/Blanks.h"
#include "core/io/TextFile.h"
#include "core/jobs/JobLogMisfit.h"
#include "core/jobs/RurVexora.h"
#include "core/settings/Configuration.h"
#include "core/settings/SettingsTable.h"

namespace vexora {

namespace fs = std::filesystem;

namespace {

}  // namespace

ColumnAnswer readColumnAnswer(std::string_view answer)
{
    answer = trimBlanks(answer);
    if (answer.empty()) return {};
    int value = 0;
    const auto [end, error] = std::from_chars(answer.data(), answer.data() + answer.size(), value);
    if (error != std::errc() || end != answer.data() + answer.size() || (value != -1 && value < 1))
        return {ColumnAnswer::Kind::Invalid, -1};
    return {ColumnAnswer::Kind::Valid, value};
}

ColumnPrompt modelledColumnPrompt(const SettingsTable& settings, Item calculatedItem)
{
    const Item field = calculatedItem == Item::CalcIpColumn ? Item::IpColumns : Item::ResistanceColumn;
    ColumnPrompt prompt;
    const std::optional<std::size_t> row = FindSettingRow(settings, calculatedItem);
    prompt.text = row ? settings.rows[*row].description : std::string();
    prompt.proposed = std::string(trimBlanks(settingText(settings, calculatedItem)));
    // Several IP windows: the first one's column is offered.
    const int fieldColumn = settingInteger(settings, field);
    if (fieldColumn > 0) {
        prompt.text += std::string(kLineBreak) + "Select column " + std::to_string(fieldColumn) +
                       " to overwrite field data.";
        prompt.proposed = std::to_string(fieldColumn);
    }
    return prompt;
}

Status saveForwardScheduleAndData(ProjectStore& store, const fs::path& path, bool includeConfiguration,
                                  const NoiseRequest& noise, MessageLog& log)
{
    ScheduleLayouts layouts;
    if (funCheckFormatCfgForOutput(store.settings, store.survey.present, store.survey.quadrupoles.ipWindows(),
                                   layouts.electrodes, layouts.data, layouts.topography, log) != Status::Ok)
        return log.error("cmdPrintScheduleandData", "Error: invalid output format");
    if (includeConfiguration && !WriteConfiguration(path, store.settings, log)) return Status::Error;
    (void)addModelledNoise(store.survey.quadrupoles, noise, path.string(), log);
    if (funSaveSchedule(store, path, includeConfiguration, layouts, false, log) != Status::Ok) return Status::Error;
    log.subWriteToTextBox("Schedule file " + path.string() + " saved." + kLineBreak);
    return Status::Ok;
}

std::optional<fs::path> forwardJobOutput(const fs::path& folder)
{
    std::error_code error;
    const fs::path file = folder / kFwDataOutputFile;
    if (fs::is_regular_file(file, error)) return file;
    return std::nullopt;
}

std::string forwardJobEndLines(const fs::path& folder, const ProgressState& end)
{
    std::string lines = "Forward job in " + folder.string() + " ended: " + end.stage;
    std::string text;
    if (readTextFile(folder / kFwmLogFile, text)) {
        const std::string last = lastLogMessage(text);
        if (!last.empty()) lines += ". Last log line: " + last;
    }
    lines += kLineBreak;
    if (const std::optional<fs::path> output = forwardJobOutput(folder))
        lines += "Modelled data in " + output->string() + ": \"Load modelled data\" loads them." + kLineBreak;
    return lines;
}

}  // namespace vexora
