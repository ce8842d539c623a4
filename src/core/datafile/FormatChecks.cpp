#include "core/datafile/FormatChecks.h"

#include <string>
#include <vector>

#include "core/settings/LenientNumber.h"
#include "core/settings/ParseLine.h"

namespace vexora {

namespace {

// Marks columns as they are entered; a column entered twice is refused. The
// table grows to the largest column seen, so any 16-bit column fits.
class UsedColumns {
public:
    UsedColumns(MessageLog& log, const char* source, const char* direction)
        : log_(log), source_(source), direction_(direction) {}

    // Enters a column unless it is -1 (not used). Returns false after logging.
    bool enter(Column column, const char* what)
    {
        if (column == kNotUsed) return true;
        if (column < 1) {
            log_.logError(source_, std::string("Invalid ") + direction_ + " column " + std::to_string(column) +
                                       " for " + what + ": only positive column numbers (or -1 if not used) allowed.");
            return false;
        }
        const auto c = static_cast<std::size_t>(column);
        if (used_.size() <= c) used_.resize(c + 1, false);
        if (used_[c]) {
            log_.logError(source_, std::string("Duplicated ") + direction_ + " for column " + std::to_string(column));
            return false;
        }
        used_[c] = true;
        return true;
    }

private:
    MessageLog& log_;
    const char* source_;
    const char* direction_;
    std::vector<bool> used_;
};

Column columnItem(const SettingsTable& table, Item item)
{
    // Column items hold small integers; anything outside 16 bits is refused
    // by the column check as an invalid column.
    return toInt16Rounded(settingNumber(table, item)).value_or(Column{-32768});
}

std::vector<Column> columnList(const SettingsTable& table, Item item)
{
    classParseLine tokenizer;
    std::vector<Column> columns;
    for (double v : dDataFill(tokenizer, settingText(table, item)))
        columns.push_back(toInt16Rounded(v).value_or(Column{-32768}));
    if (columns.empty()) columns.push_back(kNotUsed);
    return columns;
}

std::pair<Column, Column> columnPair(const SettingsTable& table, Item item)
{
    classParseLine tokenizer;
    std::vector<double> v = dDataFill(tokenizer, settingText(table, item));
    auto at = [&](std::size_t i) {
        return i < v.size() ? toInt16Rounded(v[i]).value_or(Column{-32768}) : Column{0};
    };
    return {at(0), at(1)};
}

Status buildLayouts(const SettingsTable& table, ElectrodeFormat& ef, DataFormat& df, TopographyFormat& tf,
                    MessageLog& log, const char* source, const char* direction)
{
    const std::string dir = direction;
    // Electrodes.
    {
        UsedColumns used(log, source, direction);
        ef = ElectrodeFormat{};
        ef.cableFlag = settingNumber(table, Item::CableSpecified) < 0 ? Column{-1} : Column{1};
        ef.cableColumn = ef.cableFlag == -1 ? kNotUsed : columnItem(table, Item::CableColumn);
        if (ef.cableColumn == kNotUsed && ef.cableFlag == 1)
            return log.error(source, "Not specified " + dir + " column for cables in Electrodes format.");
        ef.idColumn = columnItem(table, Item::ElectrodeIdColumn);
        ef.xColumn = columnItem(table, Item::XColumn);
        ef.yColumn = columnItem(table, Item::YColumn);
        ef.zColumn = columnItem(table, Item::ZColumn);
        ef.elevationColumn = columnItem(table, Item::TerrainElevationColumn);
        ef.typeColumn = columnItem(table, Item::ElectrodeTypeColumn);
        const std::pair<Column, const char*> columns[] = {
            {ef.cableColumn, "cables in Electrodes format"}, {ef.idColumn, "electrode IDs in Electrodes format"},
            {ef.xColumn, "X in Electrodes format"}, {ef.yColumn, "Y in Electrodes format"},
            {ef.zColumn, "Z in Electrodes format"}, {ef.elevationColumn, "Z terrain elevation in Electrodes format"},
            {ef.typeColumn, "electrode types in Electrodes format"}};
        for (const auto& [column, what] : columns)
            if (!used.enter(column, what)) return Status::Error;
        // The electrode number and coordinates cannot be left out.
        const std::pair<Column, const char*> required[] = {
            {ef.idColumn, "electrode IDs"}, {ef.xColumn, "X"}, {ef.yColumn, "Y"}, {ef.zColumn, "Z"}};
        for (const auto& [column, what] : required)
            if (column == kNotUsed)
                return log.error(source, "Not specified " + dir + " column for " + what + " in Electrodes format.");
        ef.columnCount = requiredColumns(ef);
    }
    // Data.
    {
        UsedColumns used(log, source, direction);
        df = DataFormat{};
        df.idColumn = columnItem(table, Item::QuadrupoleIdColumn);
        if (!used.enter(df.idColumn, "quadrupole IDs in Data format")) return Status::Error;
        const Item poleItems[4] = {Item::AColumns, Item::BColumns, Item::MColumns, Item::NColumns};
        Column* cableField[4] = {&df.aCableColumn, &df.bCableColumn, &df.mCableColumn, &df.nCableColumn};
        Column* electrodeField[4] = {&df.aElectrodeColumn, &df.bElectrodeColumn, &df.mElectrodeColumn,
                                     &df.nElectrodeColumn};
        const char* poleName[4] = {"A", "B", "M", "N"};
        for (int p = 0; p < 4; ++p) {
            auto [cable, electrode] = columnPair(table, poleItems[p]);
            if (ef.cableFlag == -1) cable = kNotUsed;
            if (cable == kNotUsed && ef.cableFlag == 1)
                return log.error(source, "Not specified " + dir + " column for " + poleName[p] + " cable in Data format.");
            *cableField[p] = cable;
            *electrodeField[p] = electrode;
            if (!used.enter(cable, (std::string(poleName[p]) + " cables in Data format").c_str())) return Status::Error;
            if (electrode == kNotUsed)
                return log.error(source, "Not specified " + dir + " column for " + poleName[p] + " electrode in Data format.");
            if (!used.enter(electrode, (std::string(poleName[p]) + " electrodes in Data format").c_str()))
                return Status::Error;
        }
        df.resistivityColumn = columnItem(table, Item::ResistanceColumn);
        df.ipWindowColumns = columnList(table, Item::IpColumns);
        df.currentColumn = columnItem(table, Item::CurrentColumn);
        df.skipColumn = columnItem(table, Item::SkipColumn);
        df.resistivityStdColumn = columnItem(table, Item::ResistanceStdColumn);
        df.ipStdColumns = columnList(table, Item::IpStdColumns);
        df.calcResistivityColumn = columnItem(table, Item::CalcResistanceColumn);
        df.calcIpColumn = columnItem(table, Item::CalcIpColumn);
        df.calcResistivityStdColumn = columnItem(table, Item::CalcResistanceStdColumn);
        df.calcIpStdColumn = columnItem(table, Item::CalcIpStdColumn);
        if (!used.enter(df.resistivityColumn, "resistances in Data format")) return Status::Error;
        for (Column c : df.ipWindowColumns)
            if (!used.enter(c, "IP windows in Data format")) return Status::Error;
        const std::pair<Column, const char*> values[] = {
            {df.currentColumn, "currents in Data format"}, {df.skipColumn, "skip flags in Data format"},
            {df.resistivityStdColumn, "resistance standard deviations in Data format"}};
        for (const auto& [column, what] : values)
            if (!used.enter(column, what)) return Status::Error;
        for (Column c : df.ipStdColumns)
            if (!used.enter(c, "IP standard deviations in Data format")) return Status::Error;
        const std::pair<Column, const char*> calculated[] = {
            {df.calcResistivityColumn, "calculated resistances in Data format"},
            {df.calcIpColumn, "calculated IP in Data format"},
            {df.calcResistivityStdColumn, "calculated resistance standard deviations in Data format"},
            {df.calcIpStdColumn, "calculated IP standard deviations in Data format"}};
        for (const auto& [column, what] : calculated)
            if (!used.enter(column, what)) return Status::Error;
        df.dataKind = toInt16Rounded(settingNumber(table, Item::DataKind)).value_or(Column{1});
        if (df.dataKind == 0) df.dataKind = 1;
        df.ipScale = settingNumber(table, Item::IpScale);
        df.columnCount = requiredColumns(df);
    }
    // Topography.
    {
        UsedColumns used(log, source, direction);
        tf = TopographyFormat{};
        tf.xColumn = columnItem(table, Item::TopographyXColumn);
        tf.yColumn = columnItem(table, Item::TopographyYColumn);
        tf.zColumn = columnItem(table, Item::TopographyZColumn);
        const std::pair<Column, const char*> columns[] = {
            {tf.xColumn, "X in Topography format"}, {tf.yColumn, "Y in Topography format"},
            {tf.zColumn, "Z in Topography format"}};
        for (const auto& [column, what] : columns) {
            if (column == kNotUsed)
                return log.error(source, "Not specified " + dir + " column for " + what + ".");
            if (!used.enter(column, what)) return Status::Error;
        }
        tf.columnCount = requiredColumns(tf);
    }
    return Status::Ok;
}

}  // namespace

Column requiredColumns(const ElectrodeFormat& f)
{
    return largestColumn({f.cableColumn, f.idColumn, f.xColumn, f.yColumn, f.zColumn, f.elevationColumn, f.typeColumn});
}

Column requiredColumns(const DataFormat& f)
{
    return std::max({largestColumn({f.idColumn, f.aCableColumn, f.aElectrodeColumn, f.bCableColumn,
                                    f.bElectrodeColumn, f.mCableColumn, f.mElectrodeColumn, f.nCableColumn,
                                    f.nElectrodeColumn, f.resistivityColumn, f.currentColumn, f.skipColumn,
                                    f.resistivityStdColumn, f.calcResistivityColumn, f.calcIpColumn,
                                    f.calcResistivityStdColumn, f.calcIpStdColumn}),
                     largestColumn(f.ipWindowColumns), largestColumn(f.ipStdColumns)});
}

Column requiredColumns(const TopographyFormat& f) { return largestColumn({f.xColumn, f.yColumn, f.zColumn}); }

Status funCheckFormatCfgForInput(const SettingsTable& table, ElectrodeFormat& ef, DataFormat& df, TopographyFormat& tf,
                                 MessageLog& log)
{
    return buildLayouts(table, ef, df, tf, log, "funCheckFormatCfgForInput", "Input");
}

Status funCheckFormatCfgForOutput(const SettingsTable& table, const PresenceFlags& present, std::size_t ipWindows,
                                  ElectrodeFormat& ef, DataFormat& df, TopographyFormat& tf, MessageLog& log)
{
    const char* source = "funCheckFormatCfgForOutput";
    if (buildLayouts(table, ef, df, tf, log, source, "Output") != Status::Ok) return Status::Error;

    auto keepIf = [&](Column& column, bool hasData, const char* why) {
        if (column == kNotUsed || hasData) return;
        log.warning(source, "Data Output column " + std::to_string(column) + why);
        column = kNotUsed;
    };
    keepIf(df.resistivityColumn, present.resistance, " not saved. No V/I (or App.Res) field data found.");
    keepIf(df.currentColumn, present.resistance, " not saved. No I field data found.");
    keepIf(df.skipColumn, present.resistance || present.calcResistance, " not saved. No data found.");
    // A window column beyond the loaded windows has no data either.
    for (std::size_t w = 0; w < df.ipWindowColumns.size(); ++w)
        keepIf(df.ipWindowColumns[w], present.ip && w < ipWindows, " not saved. No IP field data found.");
    keepIf(df.resistivityStdColumn, present.resistanceStd, " not saved. No V/I standard deviation for field data found.");
    for (std::size_t w = 0; w < df.ipStdColumns.size(); ++w)
        keepIf(df.ipStdColumns[w], present.ip && present.ipStd && w < ipWindows, " not saved. No IP field data found.");
    keepIf(df.calcResistivityColumn, present.calcResistance, " not saved. No calculated V/I data found.");
    keepIf(df.calcIpColumn, present.calcIp, " not saved. No calculatd IP data found.");
    keepIf(df.calcResistivityStdColumn, present.calcResistanceStd, " not saved. No calculated V/I standard deviation found.");
    keepIf(df.calcIpStdColumn, present.calcIpStd, " not saved. No calculated IP standard deviation found.");
    df.columnCount = requiredColumns(df);
    return Status::Ok;
}

}  // namespace vexora
