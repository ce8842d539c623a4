#include "core/merge/DataMerge.h"

#include <algorithm>

#include "core/datafile/SurveyChecks.h"
#include "core/mesh/DefaultMeshSettings.h"
#include "core/platform/LargePages.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/qc/ReversedReciprocals.h"
#include "core/settings/NumberText.h"
#include "core/settings/SettingsTable.h"

namespace vexora {

namespace {

constexpr const char* kSource = "cmdImportMerge_Click";

// Appends one block's cables, electrodes and quadrupoles with the kept values.
void appendBlock(const MergeBlock& block, const CommonValues& common, Survey& merged)
{
    const Survey& from = block.survey;
    const auto cableShift = static_cast<std::int32_t>(merged.cableNames.size());
    merged.cableNames.insert(merged.cableNames.end(), from.cableNames.begin(), from.cableNames.end());
    for (Electrode e : from.electrodes) {
        e.cable += cableShift;
        merged.electrodes.push_back(e);
    }
    const QuadrupoleTable& q = from.quadrupoles;
    QuadrupoleTable& out = merged.quadrupoles;
    for (std::size_t k = 0; k < q.size(); ++k) {
        Quadrupole quad = q.rows[k];
        quad.id = static_cast<std::int32_t>(out.rows.size() + 1);
        for (ElectrodeRef& ref : quad.pole) ref.cable += cableShift;
        out.rows.push_back(quad);
    }
    out.resistance.insert(out.resistance.end(), q.resistance.begin(), q.resistance.end());
    out.current.insert(out.current.end(), q.current.begin(), q.current.end());
    out.skip.insert(out.skip.end(), q.skip.begin(), q.skip.end());
    for (std::size_t w = 0; w < common.ipWindows; ++w)
        out.ip[w].insert(out.ip[w].end(), q.ip[w].begin(), q.ip[w].end());
    if (common.resistanceStd)
        out.resistanceStd.insert(out.resistanceStd.end(), q.resistanceStd.begin(), q.resistanceStd.end());
    if (common.ipStd)
        for (std::size_t w = 0; w < common.ipWindows; ++w)
            out.ipStd[w].insert(out.ipStd[w].end(), q.ipStd[w].begin(), q.ipStd[w].end());
}

// Cables left without electrodes by the fusion are dropped; the others keep
// their order and the references follow.
void dropEmptyCables(Survey& survey)
{
    std::vector<std::int32_t> newIndex(survey.cableNames.size() + 1, 0);
    for (const Electrode& e : survey.electrodes) newIndex[static_cast<std::size_t>(e.cable)] = 1;
    std::vector<std::string> names;
    for (std::size_t c = 1; c < newIndex.size(); ++c)
        if (newIndex[c]) {
            names.push_back(survey.cableNames[c - 1]);
            newIndex[c] = static_cast<std::int32_t>(names.size());
        }
    survey.cableNames = std::move(names);
    for (Electrode& e : survey.electrodes) e.cable = newIndex[static_cast<std::size_t>(e.cable)];
    for (Quadrupole& q : survey.quadrupoles.rows)
        for (ElectrodeRef& ref : q.pole) ref.cable = newIndex[static_cast<std::size_t>(ref.cable)];
}

std::string columnList(int first, std::size_t count)
{
    if (count == 0) return " -1 ";
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += (i ? ", " : " ") + std::to_string(first + static_cast<int>(i));
    return text + " ";
}

// The column layout of the merged data set, in the order the writer puts
// the columns: cable, number, x, y, z, terrain elevation and type of each
// electrode; ID, the four poles (cable, electrode), V/I, the IP windows,
// current, skip flag and the deviations of each quadrupole.
void writeMergedLayout(SettingsTable& settings, const CommonValues& common, double ipScale)
{
    const std::pair<Item, const char*> fixed[] = {
        {Item::CableSpecified, " 1 "}, {Item::CableColumn, " 1 "}, {Item::ElectrodeIdColumn, " 2 "},
        {Item::XColumn, " 3 "}, {Item::YColumn, " 4 "}, {Item::ZColumn, " 5 "},
        {Item::TerrainElevationColumn, " 6 "}, {Item::ElectrodeTypeColumn, " 7 "},
        {Item::QuadrupoleIdColumn, " 1 "}, {Item::AColumns, " 2, 3 "}, {Item::BColumns, " 4, 5 "},
        {Item::MColumns, " 6, 7 "}, {Item::NColumns, " 8, 9 "}, {Item::ResistanceColumn, " 10 "},
        {Item::DataKind, " 1 "}};
    for (const auto& [item, text] : fixed) (void)setSettingText(settings, item, text);
    int next = 11;
    auto take = [&](std::size_t count) {
        const std::string text = columnList(next, count);
        next += static_cast<int>(count);
        return text;
    };
    (void)setSettingText(settings, Item::IpColumns, take(common.ipWindows));
    (void)setSettingText(settings, Item::CurrentColumn, take(1));
    (void)setSettingText(settings, Item::SkipColumn, take(1));
    (void)setSettingText(settings, Item::ResistanceStdColumn, take(common.resistanceStd ? 1 : 0));
    (void)setSettingText(settings, Item::IpStdColumns, take(common.ipStd ? common.ipWindows : 0));
    if (common.ipWindows > 0 && ipScale > 0)
        (void)setSettingText(settings, Item::IpScale, " " + formatNumber(ipScale) + " ");
}

std::string blockLabel(const MergeBlock& block, std::size_t index)
{
    return "file " + std::to_string(index + 1) + " (" + block.file.string() + ")";
}

void warnAboutOrientation(const std::vector<MergeBlock>& blocks, const Survey& merged, MessageLog& log)
{
    // The first file fixes the orientation the others are compared with.
    std::vector<std::vector<std::int32_t>> parts;
    auto firstCable = static_cast<std::int32_t>(blocks.front().survey.cableNames.size()) + 1;
    for (std::size_t b = 1; b < blocks.size(); ++b) {
        const auto cables = static_cast<std::int32_t>(blocks[b].survey.cableNames.size());
        std::vector<std::int32_t>& own = parts.emplace_back(static_cast<std::size_t>(cables));
        for (std::int32_t c = 0; c < cables; ++c) own[static_cast<std::size_t>(c)] = firstCable + c;
        firstCable += cables;
    }
    const std::vector<ReversalPairs> pairs = reciprocalPairsOfParts(merged, parts);
    for (std::size_t b = 1; b < blocks.size(); ++b)
        if (const auto warning = reversalWarning(pairs[b - 1], blocks[b].reversed, blockLabel(blocks[b], b)))
            log.warning(kSource, *warning);
}

}  // namespace

CommonValues commonValueSet(const std::vector<MergeBlock>& blocks)
{
    CommonValues common;
    if (blocks.empty()) return common;
    bool allIp = true, allStd = true, allIpStd = true;
    std::size_t windows = SIZE_MAX, stdWindows = SIZE_MAX;
    for (const MergeBlock& b : blocks) {
        const QuadrupoleTable& q = b.survey.quadrupoles;
        allIp = allIp && b.survey.present.ip && q.ipWindows() > 0;
        allStd = allStd && b.survey.present.resistanceStd;
        allIpStd = allIpStd && b.survey.present.ipStd && !q.ipStd.empty();
        windows = std::min(windows, q.ipWindows());
        stdWindows = std::min(stdWindows, q.ipStd.size());
    }
    common.ipWindows = allIp ? windows : 0;
    common.resistanceStd = allStd;
    common.ipStd = allIp && allIpStd && stdWindows == common.ipWindows;
    return common;
}

Status mergeBlocks(const std::vector<MergeBlock>& blocks, const MergeOptions& options, ProjectStore& store,
                   MessageLog& log)
{
    if (blocks.empty()) return log.error(kSource, "No files to merge.");
    const CommonValues common = commonValueSet(blocks);
    ProjectStore next;
    next.type = ProjectType::DataInversion;
    Survey& merged = next.survey;
    std::size_t quadrupoles = 0;
    for (const MergeBlock& block : blocks) quadrupoles += block.survey.quadrupoles.size();
    QuadrupoleTable& table = merged.quadrupoles;
    table.ip.resize(common.ipWindows);
    if (common.ipStd) table.ipStd.resize(common.ipWindows);
    // Every column at its final size at once: a column grown block by block
    // is copied again at each growth.
    for (std::vector<double>* column : {&table.resistance, &table.current}) reserveOnLargePages(*column, quadrupoles);
    if (common.resistanceStd) reserveOnLargePages(table.resistanceStd, quadrupoles);
    for (auto* windows : {&table.ip, &table.ipStd})
        for (std::vector<double>& column : *windows) reserveOnLargePages(column, quadrupoles);
    reserveOnLargePages(table.rows, quadrupoles);
    reserveOnLargePages(table.skip, quadrupoles);
    std::size_t electrodes = 0;
    for (const MergeBlock& block : blocks) electrodes += block.survey.electrodes.size();
    merged.electrodes.reserve(electrodes);
    for (const MergeBlock& block : blocks) {
        appendBlock(block, common, merged);
        merged.topography.insert(merged.topography.end(), block.survey.topography.begin(),
                                 block.survey.topography.end());
    }
    merged.present.resistance = true;
    merged.present.ip = common.ipWindows > 0;
    merged.present.resistanceStd = common.resistanceStd;
    merged.present.ipStd = common.ipStd;
    if (funCreateElecTable(merged, log) != Status::Ok || funCheckSchedData(merged, false, log) != Status::Ok)
        return log.error(kSource, "Error: data not loaded.");
    if (blocks.size() > 1) warnAboutOrientation(blocks, merged, log);

    if (options.removeDuplicates) {
        // "AUTO": the fusion goes ahead without showing the list.
        ScriptedQuestions automatic;
        automatic.answer(QuestionId::ReplaceDuplicateElectrodes, true);
        const std::size_t before = merged.electrodes.size();
        if (funRenumberElectAndQuad(merged, "AUTO", options.tolerance, automatic, log) != Status::Ok)
            return log.error(kSource, "Error: data not loaded.");
        dropEmptyCables(merged);
        if (funCreateElecTable(merged, log) != Status::Ok || funCheckSchedData(merged, false, log) != Status::Ok)
            return log.error(kSource, "Error: data not loaded.");
        log.subWriteToTextBox(std::to_string(before - merged.electrodes.size()) +
                              " duplicated electrodes removed (tolerance " + formatNumber(options.tolerance) +
                              " m)." + kLineBreak);
    }
    merged.electrodesLoaded = true;
    merged.dataLoaded = true;

    double ipScale = 0;
    for (const MergeBlock& block : blocks) {
        if (ipScale == 0) ipScale = block.ipScale;
        else if (common.ipWindows > 0 && block.ipScale != ipScale)
            log.warning(kSource, "Warning: " + block.file.string() + " scales its IP values by " +
                                     formatNumber(block.ipScale) + ", the merged data by " + formatNumber(ipScale) +
                                     " (the first file's).");
    }
    writeMergedLayout(next.settings, common, ipScale);
    (void)SetDefaultMeshSettings(merged, next.settings, next.mesh.lines, log);

    std::string names;
    for (const MergeBlock& block : blocks) names += block.file.string() + kLineBreak;
    log.subWriteToTextBox("Files merged: " + std::string(kLineBreak) + names);
    log.subWriteToTextBox(std::to_string(merged.electrodes.size()) + " total electrodes loaded." + kLineBreak);
    log.subWriteToTextBox(std::to_string(merged.quadrupoles.size()) + " total quadrupoles loaded." + kLineBreak);
    store = std::move(next);
    return Status::Ok;
}

}  // namespace vexora
