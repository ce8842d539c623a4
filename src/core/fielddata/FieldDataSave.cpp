#include "core/fielddata/FieldDataSave.h"

#include <cmath>
#include <unordered_map>

#include "core/datafile/FormatChecks.h"
#include "core/datafile/ScheduleWriter.h"
#include "core/fielddata/AcceptImport.h"
#include "core/io/TextFile.h"
#include "core/qc/ReciprocalCheck.h"
#include "core/settings/Configuration.h"

namespace vexora {

namespace {

// Each group of repeated quadrupoles gets the mean of its members' values.
void averageDuplicates(QuadrupoleTable& table, const ReciprocalPairing& reciprocals)
{
    if (reciprocals.duplicateOf.size() != table.size()) return;
    std::unordered_map<std::int32_t, std::size_t> rowOfId;
    for (std::size_t r = 0; r < table.size(); ++r) rowOfId.emplace(table.rows[r].id, r);
    std::unordered_map<std::size_t, std::vector<std::size_t>> groups;  // first row -> its repetitions
    for (std::size_t r = 0; r < table.size(); ++r) {
        if (reciprocals.duplicateOf[r] == kNoQuadrupoleId) continue;
        if (auto it = rowOfId.find(reciprocals.duplicateOf[r]); it != rowOfId.end()) groups[it->second].push_back(r);
    }
    auto average = [](std::vector<double>& column, std::size_t first, const std::vector<std::size_t>& others) {
        if (column.size() <= first) return;
        double sum = column[first];
        for (std::size_t r : others) sum += column[r];
        const double mean = sum / static_cast<double>(others.size() + 1);
        column[first] = mean;
        for (std::size_t r : others) column[r] = mean;
    };
    for (const auto& [first, others] : groups) {
        average(table.resistance, first, others);
        average(table.current, first, others);
        for (std::vector<double>& window : table.ip) average(window, first, others);
    }
}

}  // namespace

Status saveFieldData(const ProjectStore& store, const FieldDataValues& values, const std::filesystem::path& path,
                     const FieldDataSaveOptions& options, MessageLog& log)
{
    ProjectStore out = store;
    setImportedDataLayout(out.settings, out.survey.present.ip);
    // Removed quadrupoles written to the file keep their removal in it.
    if (!options.omitRemoved)
        (void)setSettingText(out.settings, Item::SkipColumn, out.survey.present.ip ? " 13 " : " 12 ");
    ScheduleLayouts layouts;
    if (funCheckFormatCfgForOutput(out.settings, out.survey.present, out.survey.quadrupoles.ipWindows(),
                                   layouts.electrodes, layouts.data, layouts.topography, log) != Status::Ok)
        return log.error("cmdSaveData", "Error: invalid output format");
    if (values.averageDuplicates) {
        averageDuplicates(out.survey.quadrupoles, out.reciprocals);
        log.subWriteToTextBox(std::string("Duplicates averaged.") + kLineBreak);
    }
    if (options.includeConfiguration && !WriteConfiguration(path, out.settings, log)) return Status::Error;
    if (funSaveSchedule(out, path, options.includeConfiguration, layouts, options.omitRemoved, log) != Status::Ok)
        return Status::Error;
    log.subWriteToTextBox("Schedule file " + path.string() + " saved." + kLineBreak);
    return Status::Ok;
}

std::string currentMapText(const Survey& survey)
{
    std::string text = std::string("X(m)\tY(m)\tI(mA)") + kLineBreak;
    const QuadrupoleTable& table = survey.quadrupoles;
    auto electrodeOf = [&](const ElectrodeRef& pole) -> const Electrode* {
        if (pole.cable >= 1 && static_cast<std::size_t>(pole.cable) <= survey.cableNames.size() &&
            isRemoteCable(survey.cableNames[static_cast<std::size_t>(pole.cable - 1)]))
            return nullptr;
        const std::int32_t row = survey.lookup.find(pole.cable, pole.number);
        return row >= 0 ? &survey.electrodes[static_cast<std::size_t>(row)] : nullptr;
    };
    for (std::size_t r = 0; r < table.size(); ++r) {
        if (r < table.skip.size() && table.skip[r] != 0) continue;
        const Electrode* at = electrodeOf(table.rows[r].pole[B]);
        if (!at) at = electrodeOf(table.rows[r].pole[A]);
        if (!at) continue;  // both current poles remote: no place to map
        const double current = r < table.current.size() ? std::abs(table.current[r]) : 0.0;
        text += funFormatReal(at->x, 12, 5) + "\t" + funFormatReal(at->y, 12, 5) + "\t" +
                funFormatReal(current, 10, 3) + kLineBreak;
    }
    return text;
}

Status saveCurrentMap(const Survey& survey, const std::filesystem::path& path, MessageLog& log)
{
    std::string why;
    if (!writeFileAtomically(path, currentMapText(survey), &why))
        return log.error("cmdSaveXYZ", "Cannot write " + path.string() + ": " + why);
    return Status::Ok;
}

}  // namespace vexora
