// Settling the three column layouts after a configuration text was scanned.
// A complete, consistent layout is written into its items; any problem
// refuses the whole group, which is then read back from the table, so a
// half-given layout never mixes with the table's.

#include <algorithm>
#include <bitset>
#include <cmath>
#include <memory>

#include "core/settings/ConfigurationReading.h"
#include "core/settings/LenientNumber.h"
#include "core/settings/NumberText.h"

namespace vexora::configuration {

namespace {

// A table item the records cannot hold stops the read.
[[noreturn]] void badItem(Item item, std::string_view problem)
{
    throw ReadFailure("Item \"" + std::string(description(item)) + "\" " + std::string(problem) +
                      "; configuration not applied.");
}

// Checks the columns of one group in order, reporting every problem.
class GroupCheck {
public:
    explicit GroupCheck(const ReadState& state) : state_(state) {}

    void refuse(std::string text)
    {
        state_.warn(text);
        accepted_ = false;
    }
    void refuseNotFound(std::string_view tag)
    {
        refuse(std::string(tag) + " tag not found. Configuration table settings used.");
    }

    // 0 (no tag seen) is "not found", or "not used" for optional columns;
    // a positive column may appear once per group; -1 is "not used".
    void check(Column& column, std::string_view tag, bool optional)
    {
        if (column == 0) {
            if (optional) column = kNotUsed;
            else refuseNotFound(tag);
        }
        else if (column > 0) {
            if ((*used_)[static_cast<std::size_t>(column)])
                refuse("Duplicated input column for " + std::string(tag) +
                       " tag. Configuration table settings used.");
            (*used_)[static_cast<std::size_t>(column)] = true;
        }
    }
    void check(std::vector<Column>& columns, std::string_view tag)
    {
        for (Column& c : columns) check(c, tag, true);
    }

    bool accepted() const { return accepted_; }

private:
    const ReadState& state_;
    std::unique_ptr<std::bitset<32768>> used_ = std::make_unique<std::bitset<32768>>();
    bool accepted_ = true;
};

std::string columnText(Column c) { return std::to_string(c); }

std::string listText(const std::vector<Column>& columns)
{
    std::string text;
    for (Column c : columns) text += " " + columnText(c);
    return text;
}

Column toColumn(double v, Item item)
{
    auto c = toInt16Rounded(v);
    if (!c) badItem(item, "holds " + formatNumber(v) + ", outside the range -32768..32767");
    return *c;
}

// The numbers of an item's text as columns, rounded; nothing for an empty text.
std::vector<Column> itemColumns(const ReadState& s, Item item)
{
    classParseLine tokens;
    std::vector<Column> columns;
    for (double v : dDataFill(tokens, s.cell(item))) columns.push_back(toColumn(v, item));
    return columns;
}

Column itemColumn(const ReadState& s, Item item) { return toColumn(lenientNumber(s.cell(item)), item); }

void itemPair(const ReadState& s, Item item, Column& cable, Column& electrode)
{
    std::vector<Column> pair = itemColumns(s, item);
    cable = pair.size() > 0 ? pair[0] : Column{0};
    electrode = pair.size() > 1 ? pair[1] : Column{0};
}

std::vector<Column> itemList(const ReadState& s, Item item)
{
    std::vector<Column> list = itemColumns(s, item);
    if (list.empty()) list.push_back(kNotUsed);
    return list;
}

double itemIpScale(const ReadState& s)
{
    double v = lenientNumber(s.cell(Item::IpScale));
    if (!std::isfinite(v)) badItem(Item::IpScale, "holds a number too large to use");
    return v;
}

Column electrodeColumnCount(const ElectrodeFormat& e)
{
    return largestColumn({e.cableColumn, e.idColumn, e.xColumn, e.yColumn, e.zColumn, e.elevationColumn, e.typeColumn});
}

Column dataColumnCount(const DataFormat& d)
{
    Column largest = largestColumn({d.idColumn, d.aCableColumn, d.aElectrodeColumn, d.bCableColumn,
                                    d.bElectrodeColumn, d.mCableColumn, d.mElectrodeColumn, d.nCableColumn,
                                    d.nElectrodeColumn, d.resistivityColumn, d.resistivityStdColumn,
                                    d.calcResistivityColumn, d.calcIpColumn, d.calcResistivityStdColumn,
                                    d.calcIpStdColumn, d.currentColumn, d.skipColumn});
    return std::max({largest, largestColumn(d.ipWindowColumns), largestColumn(d.ipStdColumns)});
}

bool settleElectrodes(ReadState& s)
{
    ElectrodeFormat& e = s.electrode;
    e.columnCount = electrodeColumnCount(e);
    bool accepted = false;
    if (e.columnCount > 0) {
        GroupCheck g(s);
        if (e.cableFlag == 0) g.refuseNotFound("#elec_no_cable");
        g.check(e.cableColumn, "#elec_cable_col", false);
        g.check(e.idColumn, "#elec_id_col", false);
        g.check(e.xColumn, "#elec_x_col", false);
        g.check(e.yColumn, "#elec_y_col", false);
        g.check(e.zColumn, "#elec_z_col", false);
        g.check(e.elevationColumn, "#elec_elev_col", true);
        g.check(e.typeColumn, "#elec_type_col", true);
        accepted = g.accepted();
    }
    if (accepted) {
        s.cell(Item::CableSpecified) = columnText(e.cableFlag);
        s.cell(Item::CableColumn) = columnText(e.cableColumn);
        s.cell(Item::ElectrodeIdColumn) = columnText(e.idColumn);
        s.cell(Item::XColumn) = columnText(e.xColumn);
        s.cell(Item::YColumn) = columnText(e.yColumn);
        s.cell(Item::ZColumn) = columnText(e.zColumn);
        s.cell(Item::TerrainElevationColumn) = columnText(e.elevationColumn);
        s.cell(Item::ElectrodeTypeColumn) = columnText(e.typeColumn);
    }
    else {
        e.cableFlag = itemColumn(s, Item::CableSpecified);
        e.cableColumn = itemColumn(s, Item::CableColumn);
        e.idColumn = itemColumn(s, Item::ElectrodeIdColumn);
        e.xColumn = itemColumn(s, Item::XColumn);
        e.yColumn = itemColumn(s, Item::YColumn);
        e.zColumn = itemColumn(s, Item::ZColumn);
        e.elevationColumn = itemColumn(s, Item::TerrainElevationColumn);
        e.typeColumn = itemColumn(s, Item::ElectrodeTypeColumn);
        e.columnCount = electrodeColumnCount(e);
    }
    return accepted;
}

void readDataFromTable(ReadState& s)
{
    DataFormat& d = s.data;
    d.idColumn = itemColumn(s, Item::QuadrupoleIdColumn);
    itemPair(s, Item::AColumns, d.aCableColumn, d.aElectrodeColumn);
    itemPair(s, Item::BColumns, d.bCableColumn, d.bElectrodeColumn);
    itemPair(s, Item::MColumns, d.mCableColumn, d.mElectrodeColumn);
    itemPair(s, Item::NColumns, d.nCableColumn, d.nElectrodeColumn);
    d.resistivityColumn = itemColumn(s, Item::ResistanceColumn);
    d.ipWindowColumns = itemList(s, Item::IpColumns);
    d.currentColumn = itemColumn(s, Item::CurrentColumn);
    d.skipColumn = itemColumn(s, Item::SkipColumn);
    d.resistivityStdColumn = itemColumn(s, Item::ResistanceStdColumn);
    d.ipStdColumns = itemList(s, Item::IpStdColumns);
    d.calcResistivityColumn = itemColumn(s, Item::CalcResistanceColumn);
    d.calcIpColumn = itemColumn(s, Item::CalcIpColumn);
    d.calcResistivityStdColumn = itemColumn(s, Item::CalcResistanceStdColumn);
    d.calcIpStdColumn = itemColumn(s, Item::CalcIpStdColumn);
    d.dataKind = itemColumn(s, Item::DataKind);
    d.ipScale = itemIpScale(s);
    d.columnCount = dataColumnCount(d);
}

void settleData(ReadState& s, bool electrodesAccepted)
{
    DataFormat& d = s.data;
    d.columnCount = dataColumnCount(d);
    bool accepted = false;
    if (electrodesAccepted) {
        GroupCheck g(s);
        g.check(d.aCableColumn, "#data_a_cable_col", false);
        g.check(d.aElectrodeColumn, "#data_a_elec_col", false);
        g.check(d.bCableColumn, "#data_b_cable_col", false);
        g.check(d.bElectrodeColumn, "#data_b_elec_col", false);
        g.check(d.mCableColumn, "#data_m_cable_col", false);
        g.check(d.mElectrodeColumn, "#data_m_elec_col", false);
        g.check(d.nCableColumn, "#data_n_cable_col", false);
        g.check(d.nElectrodeColumn, "#data_n_elec_col", false);
        g.check(d.idColumn, "#data_id_col", true);
        g.check(d.resistivityColumn, "#data_res_col", true);
        g.check(d.ipWindowColumns, "#data_ip_wind_col");
        g.check(d.currentColumn, "#data_i_curr_col", true);
        g.check(d.skipColumn, "#data_skip_col", true);
        g.check(d.resistivityStdColumn, "#data_std_res_col", true);
        g.check(d.ipStdColumns, "#data_std_ip_col");
        g.check(d.calcResistivityColumn, "#data_calc_res_col", true);
        g.check(d.calcIpColumn, "#data_calc_ip_col", true);
        g.check(d.calcResistivityStdColumn, "#data_calc_std_res_col", true);
        g.check(d.calcIpStdColumn, "#data_calc_std_ip_col", true);
        if (d.resistivityColumn > 0 && d.dataKind == 0) g.refuseNotFound("#data_appres");
        if (!d.ipWindowColumns.empty() && d.ipWindowColumns.front() > 0 && d.ipScale == 0)
            g.refuseNotFound("#data_ip_scale");
        accepted = g.accepted();
    }
    if (!accepted) return readDataFromTable(s);

    auto pair = [](Column cable, Column electrode) { return columnText(cable) + "," + columnText(electrode); };
    s.cell(Item::QuadrupoleIdColumn) = columnText(d.idColumn);
    s.cell(Item::AColumns) = pair(d.aCableColumn, d.aElectrodeColumn);
    s.cell(Item::BColumns) = pair(d.bCableColumn, d.bElectrodeColumn);
    s.cell(Item::MColumns) = pair(d.mCableColumn, d.mElectrodeColumn);
    s.cell(Item::NColumns) = pair(d.nCableColumn, d.nElectrodeColumn);
    s.cell(Item::ResistanceColumn) = columnText(d.resistivityColumn);
    s.cell(Item::IpColumns) = listText(d.ipWindowColumns);
    s.cell(Item::CurrentColumn) = columnText(d.currentColumn);
    s.cell(Item::SkipColumn) = columnText(d.skipColumn);
    s.cell(Item::ResistanceStdColumn) = columnText(d.resistivityStdColumn);
    s.cell(Item::IpStdColumns) = listText(d.ipStdColumns);
    s.cell(Item::CalcResistanceColumn) = columnText(d.calcResistivityColumn);
    s.cell(Item::CalcIpColumn) = columnText(d.calcIpColumn);
    s.cell(Item::CalcResistanceStdColumn) = columnText(d.calcResistivityStdColumn);
    s.cell(Item::CalcIpStdColumn) = columnText(d.calcIpStdColumn);
    // Without its tag the data kind or IP scale stays as the table has it
    // (no resistance or IP column asked for it): writing the 0 that means
    // "no tag seen" would give an item that a later read refuses.
    if (d.dataKind != 0) s.cell(Item::DataKind) = columnText(d.dataKind);
    else d.dataKind = itemColumn(s, Item::DataKind);
    if (d.ipScale != 0) s.cell(Item::IpScale) = formatNumber(d.ipScale);
    else d.ipScale = itemIpScale(s);
}

void settleTopography(ReadState& s)
{
    TopographyFormat& t = s.topography;
    t.columnCount = largestColumn({t.xColumn, t.yColumn, t.zColumn});
    bool accepted = false;
    if (t.columnCount > 0) {
        GroupCheck g(s);
        g.check(t.xColumn, "#topo_x_col", false);
        g.check(t.yColumn, "#topo_y_col", false);
        g.check(t.zColumn, "#topo_z_col", false);
        accepted = g.accepted();
    }
    if (accepted) {
        s.cell(Item::TopographyXColumn) = columnText(t.xColumn);
        s.cell(Item::TopographyYColumn) = columnText(t.yColumn);
        s.cell(Item::TopographyZColumn) = columnText(t.zColumn);
    }
    else {
        t.xColumn = itemColumn(s, Item::TopographyXColumn);
        t.yColumn = itemColumn(s, Item::TopographyYColumn);
        t.zColumn = itemColumn(s, Item::TopographyZColumn);
        t.columnCount = largestColumn({t.xColumn, t.yColumn, t.zColumn});
    }
}

}  // namespace

void settleColumnLayouts(ReadState& state)
{
    const bool electrodesAccepted = settleElectrodes(state);
    settleData(state, electrodesAccepted);
    settleTopography(state);
}

}  // namespace vexora::configuration
