#include "datafile/ScheduleWriter.h"

#include <charconv>
#include <cmath>

#include "datafile/FormatChecks.h"
#include "import/GeometricFactor.h"
#include "io/TextFile.h"
#include "settings/NumberText.h"

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

// Cells of one block line, one per output column; a column no field uses
// keeps its filler ("No_info" in the title line, "-" in rows).
class BlockLine {
public:
    explicit BlockLine(int columns) : cells_(static_cast<std::size_t>(columns)) {}

    void startTitle() { reset("No_info"); }
    void startRow() { reset("-"); }
    // The cell of a column, to be filled; columns below 1 are not written.
    std::string* cell(Column column)
    {
        if (column < 1 || static_cast<std::size_t>(column) > cells_.size()) return nullptr;
        std::string& c = cells_[static_cast<std::size_t>(column - 1)];
        c.clear();
        return &c;
    }
    void title(Column column, std::string_view text)
    {
        if (std::string* c = cell(column)) c->assign(text);
    }
    void real(Column column, double value, int width, int decimals)
    {
        if (std::string* c = cell(column)) appendReal(*c, value, width, decimals);
    }
    void integer(Column column, long long value, int width)
    {
        if (std::string* c = cell(column)) appendInteger(*c, value, width);
    }
    void text(Column column, std::string_view value)
    {
        if (std::string* c = cell(column)) c->assign(value);
    }
    void appendTitleTo(std::string& out) const { appendTo(out, "! "); }
    void appendRowTo(std::string& out) const { appendTo(out, ""); }

private:
    void reset(const char* filler)
    {
        for (std::string& c : cells_) c.assign(filler);
    }
    void appendTo(std::string& out, std::string_view lead) const
    {
        out += lead;
        for (const std::string& c : cells_) {
            out += '\t';
            out += c;
        }
        out += kLineBreak;
    }
    std::vector<std::string> cells_;
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

std::string scheduleBlocksText(const Survey& survey, const ScheduleLayouts& layouts, int merge, bool omitSkipped)
{
    const ElectrodeFormat& ef = layouts.electrodes;
    const DataFormat& df = layouts.data;
    const TopographyFormat& tf = layouts.topography;
    const QuadrupoleTable& q = survey.quadrupoles;
    const bool cables = ef.cableFlag != -1;
    const bool merged = merge != 0;
    std::string out;
    out.reserve(survey.electrodes.size() * 80 + q.size() * (static_cast<std::size_t>(df.columnCount) * 13 + 8) +
                survey.topography.size() * 45 + 4096);

    // Electrodes.
    out += std::string("#elec_start") + kLineBreak;
    BlockLine line(ef.columnCount);
    line.startTitle();
    if (cables) line.title(ef.cableColumn, "Cable");
    line.title(ef.idColumn, "ID");
    line.title(ef.xColumn, "X(m)");
    line.title(ef.yColumn, "Y(m)");
    line.title(ef.zColumn, "Z(m)");
    line.title(ef.elevationColumn, "Terr_Elev(m)");
    line.title(ef.typeColumn, "Elec_Type");
    line.appendTitleTo(out);
    for (const Electrode& e : survey.electrodes) {
        line.startRow();
        if (cables) line.text(ef.cableColumn, cableName(survey, e.cable));
        line.integer(ef.idColumn, e.number, 5);
        line.real(ef.xColumn, e.x, 12, 5);
        line.real(ef.yColumn, e.y, 12, 5);
        line.real(ef.zColumn, e.z, 12, 5);
        line.real(ef.elevationColumn, e.elevation, 12, 5);
        line.integer(ef.typeColumn, e.type, 0);
        line.appendRowTo(out);
    }
    out += std::string("#elec_end") + kLineBreak;

    // Data.
    std::vector<double> factor;
    const bool apparent = df.dataKind != 1;
    if (apparent) factor = funGeometricFactor(survey, false);
    auto scaled = [&](const std::vector<double>& column, std::size_t k) {
        return apparent ? column[k] * factor[k] : column[k];
    };
    const std::size_t windows = merged ? 1 : std::min(df.ipWindowColumns.size(), q.ipWindows());
    const std::size_t stdWindows = merged ? 1 : std::min(df.ipStdColumns.size(), q.ipStd.size());
    const Column poleCable[4] = {df.aCableColumn, df.bCableColumn, df.mCableColumn, df.nCableColumn};
    const Column poleElectrode[4] = {df.aElectrodeColumn, df.bElectrodeColumn, df.mElectrodeColumn, df.nElectrodeColumn};
    static const char* const cableTitle[4] = {"Cable_A", "Cable_B", "Cable_M", "Cable_N"};
    static const char* const electrodeTitle[4] = {"Elec_A", "Elec_B", "Elec_M", "Elec_N"};
    const bool hasIp = survey.present.ip && !q.ip.empty();
    const bool hasIpStd = survey.present.ipStd && !q.ipStd.empty();

    out += std::string("#data_start") + kLineBreak;
    BlockLine row(df.columnCount);
    row.startTitle();
    row.title(df.idColumn, "ID");
    for (int p = A; p <= N; ++p) {
        if (cables) row.title(poleCable[p], cableTitle[p]);
        row.title(poleElectrode[p], electrodeTitle[p]);
    }
    if (survey.present.resistance) row.title(df.resistivityColumn, apparent ? "App_Res(ohm m)" : "V/I(ohm)");
    if (hasIp)
        for (std::size_t w = 0; w < windows && w < df.ipWindowColumns.size(); ++w)
            row.title(df.ipWindowColumns[w], merged ? "IP" : "IP" + std::to_string(w + 1));
    if (survey.present.resistance) row.title(df.currentColumn, "I(mA)");
    row.title(df.skipColumn, "Skip");
    if (survey.present.resistanceStd) row.title(df.resistivityStdColumn, "V/I_std_deviation");
    if (hasIpStd)
        for (std::size_t w = 0; w < stdWindows && w < df.ipStdColumns.size(); ++w)
            row.title(df.ipStdColumns[w], merged ? "IP_std_deviation" : "IP" + std::to_string(w + 1) + "_std_deviation");
    if (survey.present.calcResistance)
        row.title(df.calcResistivityColumn, apparent ? "Calc_App_Res(ohm m)" : "Calc_V/I(ohm)");
    if (survey.present.calcIp) row.title(df.calcIpColumn, "Calc_IP");
    if (survey.present.calcResistanceStd) row.title(df.calcResistivityStdColumn, "Calc_V/I_std_deviation");
    if (survey.present.calcIpStd) row.title(df.calcIpStdColumn, "Calc_IP_std_deviation");
    row.appendTitleTo(out);

    for (std::size_t k = 0; k < q.size(); ++k) {
        const std::int16_t skip = k < q.skip.size() ? q.skip[k] : 0;
        if (omitSkipped && skip >= 1) continue;
        row.startRow();
        const Quadrupole& quad = q.rows[k];
        row.integer(df.idColumn, quad.id, 5);
        for (int p = A; p <= N; ++p) {
            if (cables) row.text(poleCable[p], cableName(survey, quad.pole[p].cable));
            row.integer(poleElectrode[p], quad.pole[p].number, 5);
        }
        const bool zeroResistance = std::abs(q.resistance[k]) <= kZeroResistance;
        if (survey.present.resistance) row.real(df.resistivityColumn, scaled(q.resistance, k), 12, 8);
        if (hasIp) {
            if (merged) {
                double sum = 0.0;
                for (int w = 0; w < merge; ++w) sum += zeroResistance ? 0.0 : q.ip[static_cast<std::size_t>(w)][k];
                row.real(df.ipWindowColumns.front(), sum / merge, 12, 8);
            } else {
                for (std::size_t w = 0; w < windows; ++w)
                    row.real(df.ipWindowColumns[w], zeroResistance ? 0.0 : q.ip[w][k], 12, 8);
            }
        }
        if (survey.present.resistance) row.real(df.currentColumn, q.current[k], 10, 3);
        row.integer(df.skipColumn, skip, 0);
        if (survey.present.resistanceStd) row.real(df.resistivityStdColumn, scaled(q.resistanceStd, k), 12, 8);
        if (hasIpStd) {
            if (merged) {
                double sum = 0.0;
                const int stdMerge = std::min<int>(merge, static_cast<int>(q.ipStd.size()));
                for (int w = 0; w < stdMerge; ++w) sum += q.ipStd[static_cast<std::size_t>(w)][k];
                row.real(df.ipStdColumns.front(), sum / stdMerge, 12, 8);
            } else {
                for (std::size_t w = 0; w < stdWindows; ++w) row.real(df.ipStdColumns[w], q.ipStd[w][k], 12, 8);
            }
        }
        if (survey.present.calcResistance) row.real(df.calcResistivityColumn, scaled(q.calcResistance, k), 12, 8);
        if (survey.present.calcIp) row.real(df.calcIpColumn, q.calcIp[k], 12, 8);
        if (survey.present.calcResistanceStd)
            row.real(df.calcResistivityStdColumn, scaled(q.calcResistanceStd, k), 12, 8);
        if (survey.present.calcIpStd) row.real(df.calcIpStdColumn, q.calcIpStd[k], 12, 8);
        row.appendRowTo(out);
    }
    out += std::string("#data_end") + kLineBreak;

    // Topography.
    if (!survey.topography.empty()) {
        out += std::string("#topo_start") + kLineBreak;
        BlockLine point(tf.columnCount);
        point.startTitle();
        point.title(tf.xColumn, "Topog_X(m)");
        point.title(tf.yColumn, "Topog_Y(m)");
        point.title(tf.zColumn, "Topog_Z(m)");
        point.appendTitleTo(out);
        for (const TopographyPoint& p : survey.topography) {
            point.startRow();
            point.real(tf.xColumn, p.x, 12, 5);
            point.real(tf.yColumn, p.y, 12, 5);
            point.real(tf.zColumn, p.z, 12, 5);
            point.appendRowTo(out);
        }
        out += std::string("#topo_end") + kLineBreak;
    }
    return out;
}

int funSaveSchedule(const ProjectStore& store, const std::filesystem::path& path, bool append,
                    const ScheduleLayouts& layouts, bool omitSkipped, MessageLog& log, std::string_view date)
{
    const int merge = mergedIpWindows(store.survey, store.ipWindowsToMerge, log);
    std::string text;
    if (append) {
        std::string why;
        if (!readTextFile(path, text, &why))
            return log.error(kSource, "Data file " + path.string() + " not saved: " + why + ".");
    } else {
        text = scheduleHeaderText(layouts, merge, date.empty() ? currentDateText() : std::string(date));
    }
    text += scheduleBlocksText(store.survey, layouts, merge, omitSkipped);
    std::string why;
    if (!writeFileAtomically(path, text, &why))
        return log.error(kSource, "Data file " + path.string() + " not saved: " + why + ".");
    return kStatusOk;
}

int saveDataFile(const ProjectStore& store, const std::filesystem::path& path, bool omitSkipped, MessageLog& log,
                 std::string_view date)
{
    ScheduleLayouts layouts;
    if (funCheckFormatCfgForOutput(store.settings, store.survey.present, store.survey.quadrupoles.ipWindows(),
                                   layouts.electrodes, layouts.data, layouts.topography, log) != kStatusOk)
        return log.error("cmdSaveSchedule", "Error: invalid output format");
    return funSaveSchedule(store, path, false, layouts, omitSkipped, log, date);
}

}  // namespace vexora
