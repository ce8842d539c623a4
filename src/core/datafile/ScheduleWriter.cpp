#include "core/datafile/ScheduleWriter.h"

#include <charconv>
#include <cmath>

#include "core/datafile/FormatChecks.h"
#include "core/import/GeometricFactor.h"
#include "core/io/TextFile.h"
#include "core/settings/NumberText.h"

namespace vexora {

namespace {

constexpr const char* kSource = "funSaveSchedule";
constexpr double kZeroResistance = 1e-10;

// Appends fixed-point text padded to `width`, without temporary strings:
// the writer formats millions of cells.
void appendReal(std::string& out, double value, int width, int decimals)
{
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    const char* first = buffer;
    if (result.ec != std::errc()) {
        out += formatNumber(value);
        return;
    }
    // "-0.00000" is written unsigned.
    if (buffer[0] == '-') {
        bool zero = true;
        for (const char* p = buffer + 1; p < result.ptr; ++p) zero = zero && (*p == '0' || *p == '.');
        if (zero) ++first;
    }
    const auto length = static_cast<int>(result.ptr - first);
    out.append(first, static_cast<std::size_t>(length));
    if (length < width) out.append(static_cast<std::size_t>(width - length), ' ');
}

void appendInteger(std::string& out, long long value, int width)
{
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    const auto length = static_cast<int>(result.ptr - buffer);
    out.append(buffer, static_cast<std::size_t>(length));
    if (length < width) out.append(static_cast<std::size_t>(width - length), ' ');
}

// What each output column of a block holds: a field (with its window for
// per-window fields) or nothing. Columns no field uses are written as
// "No_info" in the title line and "-" in rows. Lines are appended straight
// to the output: the writer formats millions of cells.
class BlockColumns {
public:
    static constexpr int kNone = -1;

    explicit BlockColumns(Column count) : content_(static_cast<std::size_t>(std::max<Column>(count, 0))) {}

    void assign(Column column, int field, std::size_t window = 0)
    {
        if (column < 1 || static_cast<std::size_t>(column) > content_.size()) return;
        content_[static_cast<std::size_t>(column - 1)] = {field, window};
    }
    // title(field, window) returns the column title.
    template <class TitleFn>
    void writeTitle(std::string& out, TitleFn&& title) const
    {
        out += "! ";
        for (const Content& c : content_) {
            out += '\t';
            if (c.field == kNone) out += "No_info";
            else out += title(c.field, c.window);
        }
        out += kLineBreak;
    }
    // cell(out, field, window) appends the cell text.
    template <class CellFn>
    void writeRow(std::string& out, CellFn&& cell) const
    {
        for (const Content& c : content_) {
            out += '\t';
            if (c.field == kNone) out += '-';
            else cell(out, c.field, c.window);
        }
        out += kLineBreak;
    }

private:
    struct Content {
        int field = kNone;
        std::size_t window = 0;
    };
    std::vector<Content> content_;
};

void tagLine(std::string& out, std::string_view tag, std::string_view value)
{
    out += tag;
    out += value;
    out += kLineBreak;
    out += kLineBreak;
}

std::string columnText(Column c) { return std::to_string(c); }

std::string columnListText(const std::vector<Column>& columns, bool firstOnly)
{
    std::string text;
    for (std::size_t i = 0; i < columns.size() && (!firstOnly || i == 0); ++i) text += std::to_string(columns[i]) + " ";
    return text;
}

const std::string& cableName(const Survey& survey, std::int32_t cable)
{
    static const std::string unknown = "0";
    return cable >= 1 && static_cast<std::size_t>(cable) <= survey.cableNames.size()
               ? survey.cableNames[static_cast<std::size_t>(cable - 1)]
               : unknown;
}

}  // namespace

std::string funFormatReal(double value, int width, int decimals)
{
    std::string out;
    appendReal(out, value, width, decimals);
    return out;
}

std::string funFormatInteger(long long value, int width)
{
    std::string out;
    appendInteger(out, value, width);
    return out;
}

std::string scheduleHeaderText(const ScheduleLayouts& layouts, int ipWindowsToMerge, std::string_view date)
{
    const ElectrodeFormat& e = layouts.electrodes;
    const DataFormat& d = layouts.data;
    const TopographyFormat& t = layouts.topography;
    std::string out;
    out += "#Vexora+";
    out += kLineBreak;
    out += "#version_number= 1.0.0";
    out += kLineBreak;
    out += "#date= ";
    out += date;
    out += kLineBreak;
    out += std::string("!Electrodes input format") + kLineBreak + kLineBreak;
    tagLine(out, "#elec_no_cable= ", columnText(e.cableFlag));
    tagLine(out, "#elec_cable_col= ", columnText(e.cableColumn));
    tagLine(out, "#elec_id_col= ", columnText(e.idColumn));
    tagLine(out, "#elec_x_col= ", columnText(e.xColumn));
    tagLine(out, "#elec_y_col= ", columnText(e.yColumn));
    tagLine(out, "#elec_z_col= ", columnText(e.zColumn));
    tagLine(out, "#elec_elev_col= ", columnText(e.elevationColumn));
    tagLine(out, "#elec_type_col= ", columnText(e.typeColumn));
    out += std::string("!Data input format") + kLineBreak + kLineBreak;
    const bool merged = ipWindowsToMerge != 0;
    tagLine(out, "#data_id_col= ", columnText(d.idColumn));
    tagLine(out, "#data_a_cable_col= ", columnText(d.aCableColumn));
    tagLine(out, "#data_a_elec_col= ", columnText(d.aElectrodeColumn));
    tagLine(out, "#data_b_cable_col= ", columnText(d.bCableColumn));
    tagLine(out, "#data_b_elec_col= ", columnText(d.bElectrodeColumn));
    tagLine(out, "#data_m_cable_col= ", columnText(d.mCableColumn));
    tagLine(out, "#data_m_elec_col= ", columnText(d.mElectrodeColumn));
    tagLine(out, "#data_n_cable_col= ", columnText(d.nCableColumn));
    tagLine(out, "#data_n_elec_col= ", columnText(d.nElectrodeColumn));
    tagLine(out, "#data_res_col= ", columnText(d.resistivityColumn));
    tagLine(out, "#data_ip_wind_col= ", columnListText(d.ipWindowColumns, merged));
    tagLine(out, "#data_i_curr_col= ", columnText(d.currentColumn));
    tagLine(out, "#data_skip_col= ", columnText(d.skipColumn));
    tagLine(out, "#data_std_res_col= ", columnText(d.resistivityStdColumn));
    tagLine(out, "#data_std_ip_col= ", columnListText(d.ipStdColumns, merged));
    tagLine(out, "#data_calc_res_col= ", columnText(d.calcResistivityColumn));
    tagLine(out, "#data_calc_ip_col= ", columnText(d.calcIpColumn));
    tagLine(out, "#data_calc_std_res_col= ", columnText(d.calcResistivityStdColumn));
    tagLine(out, "#data_calc_std_ip_col= ", columnText(d.calcIpStdColumn));
    tagLine(out, "#data_appres= ", columnText(d.dataKind));
    tagLine(out, "#data_ip_scale= ", formatNumber(d.ipScale));
    out += std::string("!Topography input format") + kLineBreak + kLineBreak;
    tagLine(out, "#topo_x_col= ", columnText(t.xColumn));
    tagLine(out, "#topo_y_col= ", columnText(t.yColumn));
    tagLine(out, "#topo_z_col= ", columnText(t.zColumn));
    return out;
}

int mergedIpWindows(const Survey& survey, int ipWindowsToMerge, MessageLog& log)
{
    const auto windows = static_cast<int>(survey.quadrupoles.ipWindows());
    if (ipWindowsToMerge <= windows) return std::max(ipWindowsToMerge, 0);
    log.warning(kSource, "IP windows to merge (" + std::to_string(ipWindowsToMerge) + ") exceed the " +
                             std::to_string(windows) + " IP windows of the data: " + std::to_string(windows) +
                             " merged.");
    return windows;
}

namespace {

enum ElectrodeField { kElectrodeCable, kElectrodeNumber, kX, kY, kZ, kElevation, kType };
enum DataField {
    kId, kPoleCable, kPoleElectrode, kResistance, kIp, kCurrent, kSkip, kResistanceStd, kIpStd,
    kCalcResistance, kCalcIp, kCalcResistanceStd, kCalcIpStd
};
enum TopographyField { kTopoX, kTopoY, kTopoZ };

void writeElectrodeBlock(std::string& out, const Survey& survey, const ElectrodeFormat& ef)
{
    BlockColumns columns(ef.columnCount);
    if (ef.cableFlag != -1) columns.assign(ef.cableColumn, kElectrodeCable);
    columns.assign(ef.idColumn, kElectrodeNumber);
    columns.assign(ef.xColumn, kX);
    columns.assign(ef.yColumn, kY);
    columns.assign(ef.zColumn, kZ);
    columns.assign(ef.elevationColumn, kElevation);
    columns.assign(ef.typeColumn, kType);
    static const char* const titles[] = {"Cable", "ID", "X(m)", "Y(m)", "Z(m)", "Terr_Elev(m)", "Elec_Type"};

    out += std::string("#elec_start") + kLineBreak;
    columns.writeTitle(out, [](int field, std::size_t) { return titles[field]; });
    for (const Electrode& e : survey.electrodes)
        columns.writeRow(out, [&](std::string& o, int field, std::size_t) {
            switch (field) {
            case kElectrodeCable: o += cableName(survey, e.cable); break;
            case kElectrodeNumber: appendInteger(o, e.number, 5); break;
            case kX: appendReal(o, e.x, 12, 5); break;
            case kY: appendReal(o, e.y, 12, 5); break;
            case kZ: appendReal(o, e.z, 12, 5); break;
            case kElevation: appendReal(o, e.elevation, 12, 5); break;
            case kType: appendInteger(o, e.type, 0); break;
            }
        });
    out += std::string("#elec_end") + kLineBreak;
}

void writeDataBlock(std::string& out, const Survey& survey, const DataFormat& df, bool cables, int merge,
                    bool omitSkipped)
{
    const QuadrupoleTable& q = survey.quadrupoles;
    const PresenceFlags& present = survey.present;
    const bool merged = merge != 0;
    const bool apparent = df.dataKind != 1;

    BlockColumns columns(df.columnCount);
    columns.assign(df.idColumn, kId);
    const Column poleCable[4] = {df.aCableColumn, df.bCableColumn, df.mCableColumn, df.nCableColumn};
    const Column poleElectrode[4] = {df.aElectrodeColumn, df.bElectrodeColumn, df.mElectrodeColumn, df.nElectrodeColumn};
    for (std::size_t p = 0; p < 4; ++p) {
        if (cables) columns.assign(poleCable[p], kPoleCable, p);
        columns.assign(poleElectrode[p], kPoleElectrode, p);
    }
    if (present.resistance) {
        columns.assign(df.resistivityColumn, kResistance);
        columns.assign(df.currentColumn, kCurrent);
    }
    columns.assign(df.skipColumn, kSkip);
    if (present.resistanceStd) columns.assign(df.resistivityStdColumn, kResistanceStd);
    // Merged windows are written as one value in the first column.
    const std::size_t windows = merged ? 1 : std::min(df.ipWindowColumns.size(), q.ip.size());
    const std::size_t stdWindows = merged ? 1 : std::min(df.ipStdColumns.size(), q.ipStd.size());
    if (present.ip && !q.ip.empty())
        for (std::size_t w = 0; w < windows; ++w) columns.assign(df.ipWindowColumns[w], kIp, w);
    if (present.ipStd && !q.ipStd.empty())
        for (std::size_t w = 0; w < stdWindows; ++w) columns.assign(df.ipStdColumns[w], kIpStd, w);
    if (present.calcResistance) columns.assign(df.calcResistivityColumn, kCalcResistance);
    if (present.calcIp) columns.assign(df.calcIpColumn, kCalcIp);
    if (present.calcResistanceStd) columns.assign(df.calcResistivityStdColumn, kCalcResistanceStd);
    if (present.calcIpStd) columns.assign(df.calcIpStdColumn, kCalcIpStd);

    static const char* const cableTitle[4] = {"Cable_A", "Cable_B", "Cable_M", "Cable_N"};
    static const char* const electrodeTitle[4] = {"Elec_A", "Elec_B", "Elec_M", "Elec_N"};
    out += std::string("#data_start") + kLineBreak;
    columns.writeTitle(out, [&](int field, std::size_t w) -> std::string {
        switch (field) {
        case kId: return "ID";
        case kPoleCable: return cableTitle[w];
        case kPoleElectrode: return electrodeTitle[w];
        case kResistance: return apparent ? "App_Res(ohm m)" : "V/I(ohm)";
        case kIp: return merged ? "IP" : "IP" + std::to_string(w + 1);
        case kCurrent: return "I(mA)";
        case kSkip: return "Skip";
        case kResistanceStd: return "V/I_std_deviation";
        case kIpStd: return merged ? "IP_std_deviation" : "IP" + std::to_string(w + 1) + "_std_deviation";
        case kCalcResistance: return apparent ? "Calc_App_Res(ohm m)" : "Calc_V/I(ohm)";
        case kCalcIp: return "Calc_IP";
        case kCalcResistanceStd: return "Calc_V/I_std_deviation";
        default: return "Calc_IP_std_deviation";
        }
    });

    std::vector<double> factor;
    // Always the factors with z, whatever the load used: the numerical core
    // divides by these, so the V/I values it gets are the ones held here.
    if (apparent) factor = funGeometricFactor(survey, false);
    const int stdMerge = std::min<int>(merge, static_cast<int>(q.ipStd.size()));
    for (std::size_t k = 0; k < q.size(); ++k) {
        const std::int16_t skip = q.skip[k];
        if (omitSkipped && skip >= 1) continue;
        const Quadrupole& quad = q.rows[k];
        const double scale = apparent ? factor[k] : 1.0;
        const bool zeroResistance = std::abs(q.resistance[k]) <= kZeroResistance;
        columns.writeRow(out, [&](std::string& o, int field, std::size_t w) {
            switch (field) {
            case kId: appendInteger(o, quad.id, 5); break;
            case kPoleCable: o += cableName(survey, quad.pole[w].cable); break;
            case kPoleElectrode: appendInteger(o, quad.pole[w].number, 5); break;
            case kResistance: appendReal(o, q.resistance[k] * scale, 12, 8); break;
            case kIp:
                if (merged) {
                    // A window counts 0 where the resistance vanishes.
                    double sum = 0.0;
                    for (int m = 0; m < merge; ++m) sum += zeroResistance ? 0.0 : q.ip[static_cast<std::size_t>(m)][k];
                    appendReal(o, sum / merge, 12, 8);
                } else {
                    appendReal(o, zeroResistance ? 0.0 : q.ip[w][k], 12, 8);
                }
                break;
            case kCurrent: appendReal(o, q.current[k], 10, 3); break;
            case kSkip: appendInteger(o, skip, 0); break;
            case kResistanceStd: appendReal(o, q.resistanceStd[k] * std::abs(scale), 12, 8); break;
            case kIpStd:
                if (merged) {
                    double sum = 0.0;
                    for (int m = 0; m < stdMerge; ++m) sum += q.ipStd[static_cast<std::size_t>(m)][k];
                    appendReal(o, sum / stdMerge, 12, 8);
                } else {
                    appendReal(o, q.ipStd[w][k], 12, 8);
                }
                break;
            case kCalcResistance: appendReal(o, q.calcResistance[k] * scale, 12, 8); break;
            case kCalcIp: appendReal(o, q.calcIp[k], 12, 8); break;
            case kCalcResistanceStd: appendReal(o, q.calcResistanceStd[k] * std::abs(scale), 12, 8); break;
            case kCalcIpStd: appendReal(o, q.calcIpStd[k], 12, 8); break;
            }
        });
    }
    out += std::string("#data_end") + kLineBreak;
}

void writeTopographyBlock(std::string& out, const Survey& survey, const TopographyFormat& tf)
{
    if (survey.topography.empty()) return;
    BlockColumns columns(tf.columnCount);
    columns.assign(tf.xColumn, kTopoX);
    columns.assign(tf.yColumn, kTopoY);
    columns.assign(tf.zColumn, kTopoZ);
    static const char* const titles[] = {"Topog_X(m)", "Topog_Y(m)", "Topog_Z(m)"};
    out += std::string("#topo_start") + kLineBreak;
    columns.writeTitle(out, [](int field, std::size_t) { return titles[field]; });
    for (const TopographyPoint& p : survey.topography)
        columns.writeRow(out, [&](std::string& o, int field, std::size_t) {
            appendReal(o, field == kTopoX ? p.x : field == kTopoY ? p.y : p.z, 12, 5);
        });
    out += std::string("#topo_end") + kLineBreak;
}

}  // namespace

void appendScheduleBlocks(std::string& out, const Survey& survey, const ScheduleLayouts& layouts, int merge,
                          bool omitSkipped)
{
    out.reserve(out.size() + survey.electrodes.size() * 80 +
                survey.quadrupoles.size() * (static_cast<std::size_t>(layouts.data.columnCount) * 13 + 8) +
                survey.topography.size() * 45 + 4096);
    writeElectrodeBlock(out, survey, layouts.electrodes);
    writeDataBlock(out, survey, layouts.data, layouts.electrodes.cableFlag != -1, merge, omitSkipped);
    writeTopographyBlock(out, survey, layouts.topography);
}

std::string scheduleBlocksText(const Survey& survey, const ScheduleLayouts& layouts, int merge, bool omitSkipped)
{
    std::string out;
    appendScheduleBlocks(out, survey, layouts, merge, omitSkipped);
    return out;
}

std::string dataFileText(const ProjectStore& store, const ScheduleLayouts& layouts, bool omitSkipped, MessageLog& log,
                         std::string_view date)
{
    const int merge = mergedIpWindows(store.survey, store.ipWindowsToMerge, log);
    std::string text = scheduleHeaderText(layouts, merge, date.empty() ? currentDateText() : std::string(date));
    appendScheduleBlocks(text, store.survey, layouts, merge, omitSkipped);
    return text;
}

Status funSaveSchedule(const ProjectStore& store, const std::filesystem::path& path, bool append,
                       const ScheduleLayouts& layouts, bool omitSkipped, MessageLog& log, std::string_view date)
{
    std::string text;
    if (append) {
        std::string why;
        if (!readTextFile(path, text, &why))
            return log.error(kSource, "Data file " + path.string() + " not saved: " + why + ".");
        appendScheduleBlocks(text, store.survey, layouts, mergedIpWindows(store.survey, store.ipWindowsToMerge, log),
                             omitSkipped);
    } else {
        text = dataFileText(store, layouts, omitSkipped, log, date);
    }
    std::string why;
    if (!writeFileAtomically(path, text, &why))
        return log.error(kSource, "Data file " + path.string() + " not saved: " + why + ".");
    return Status::Ok;
}

Status saveDataFile(const ProjectStore& store, const std::filesystem::path& path, bool omitSkipped, MessageLog& log,
                    std::string_view date)
{
    ScheduleLayouts layouts;
    if (funCheckFormatCfgForOutput(store.settings, store.survey.present, store.survey.quadrupoles.ipWindows(),
                                   layouts.electrodes, layouts.data, layouts.topography, log) != Status::Ok)
        return log.error("cmdSaveSchedule", "Error: invalid output format");
    return funSaveSchedule(store, path, false, layouts, omitSkipped, log, date);
}

}  // namespace vexora
