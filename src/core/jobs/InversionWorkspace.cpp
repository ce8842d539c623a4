#include "core/jobs/InversionWorkspace.h"

#include <algorithm>
#include <charconv>

#include "core/datafile/BlockReaders.h"
#include "core/datafile/FormatChecks.h"
#include "core/datafile/LoadCompletion.h"
#include "core/io/Blanks.h"
#include "core/io/TextFile.h"
#include "core/settings/Configuration.h"
#include "core/settings/NumberText.h"
#include "core/settings/ParseLine.h"
#include "core/settings/SettingsTable.h"

namespace vexora {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSource = "InvWork";

}  // namespace

Status loadConfigurationFile(ProjectStore& store, const fs::path& path, MessageLog& log)
{
    std::string text, why;
    if (!readTextFile(path, text, &why)) {
        if (why == "not found") return log.error(kSource, path.string() + " not found!");
        return log.error(kSource, path.string() + ": " + why);
    }
    if (applyCheckedConfiguration(store.settings, std::move(text), kSource, log) != Status::Ok) return Status::Error;
    log.subWriteToTextBox("Configuration loaded from file " + path.string() + "." + kLineBreak);
    return Status::Ok;
}

Status loadTopographyFile(ProjectStore& store, const fs::path& path, MessageLog& log)
{
    constexpr std::string_view source = "cmdInputTopography";
    const std::string name = path.string();
    std::string text, why;
    if (!readTextFile(path, text, &why))
        return log.error(source, why == "not found" ? name + " not found!" : name + ": " + why);
    const auto fail = [&](std::string_view message) {
        log.logError(source, message);
        log.subWriteToTextBox(name + " not loaded" + kLineBreak);
        return Status::Error;
    };
    normaliseLoneCarriageReturns(text);
    (void)funRemoveComments(text);  // always Ok

    SettingsTable settings = store.settings;
    BlockBounds electrodeBlock, dataBlock, topographyBlock;
    ElectrodeFormat electrodes;
    DataFormat data;
    TopographyFormat topography;
    SequenceHeader sequence;
    const ConfigurationStatus read = funLoadConfiguration(text, electrodeBlock, dataBlock, topographyBlock, electrodes,
                                                          data, topography, sequence, settings, log);
    if (read == ConfigurationStatus::NoTags) return fail("Error: No configuration tags found.");
    if (read != ConfigurationStatus::Read) return fail("Warning: critical error reading configuration.");
    if (funCheckFormatCfgForInput(settings, electrodes, data, topography, log) != Status::Ok)
        return fail("Error: invalid input format");
    if (!topographyBlock.present()) return fail("Error: no topography found in this file.");
    if (!topographyBlock.closed())
        return fail("Error: #topo_end occurs before #topo_start or #topo_end does not exist.");
    std::vector<TopographyPoint> points;
    if (funLoadTopography(text, topographyBlock, topography, store.survey.electrodes, points, log) != Status::Ok ||
        points.empty())
        return fail("Error: topography not loaded.");
    log.subWriteToTextBox(std::to_string(points.size()) + " total topography data points loaded." + kLineBreak);

    double zMax = settingNumber(settings, Item::ForegroundZMax);
    double zMin = settingNumber(settings, Item::ForegroundZMin);
    for (const TopographyPoint& point : points) {
        zMax = std::max(zMax, point.z);
        zMin = std::min(zMin, point.z);
    }
    setSettingText(settings, Item::ForegroundZMax, formatNumber(zMax));
    setSettingText(settings, Item::ForegroundZMin, formatNumber(zMin));
    if (settingInteger(settings, Item::FlatZBottom) == 1) {
        classParseLine tokenizer;
        std::vector<double> bounds = dDataFill(tokenizer, settingText(settings, Item::PlotBounds));
        bounds.resize(4, 0.0);
        std::string value;
        for (double bound : bounds) value += formatNumber(bound) + " ";
        setSettingText(settings, Item::PlotBounds, value + formatNumber(zMin) + " " + formatNumber(zMax));
    }
    setSettingText(settings, Item::FlatTerrain, "2");

    store.settings = std::move(settings);
    store.topographyFormat = topography;
    store.survey.topography = std::move(points);
    log.subWriteToTextBox("Topography loaded from file " + name + "." + kLineBreak);
    return Status::Ok;
}

std::optional<int> ipWindowsToMergeAnswer(std::string_view answer, int windows)
{
    answer = trimBlanks(answer);
    if (answer.empty()) return std::nullopt;
    long long value = 0;
    const auto [end, error] = std::from_chars(answer.data(), answer.data() + answer.size(), value);
    if (error != std::errc() || end != answer.data() + answer.size() || value < 0 || value > windows) return windows;
    return static_cast<int>(value);
}

std::vector<Item> missingModelledDataColumns(const ProjectStore& store)
{
    std::vector<Item> items;
    const auto unset = [&](Item item) { return settingInteger(store.settings, item) == -1; };
    if (store.survey.present.calcResistance && unset(Item::CalcResistanceColumn)) items.push_back(Item::CalcResistanceColumn);
    if (store.survey.present.calcIp && unset(Item::CalcIpColumn)) items.push_back(Item::CalcIpColumn);
    return items;
}

fs::path proposedProjectName(const fs::path& dataFile)
{
    const std::string name = dataFile.filename().string();
    return dataFile.parent_path() / name.substr(0, name.find('.'));
}

}  // namespace vexora
