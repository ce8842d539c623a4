#include "core/settings/SettingValidation.h"

#include <charconv>
#include <cmath>

#include "core/settings/LenientNumber.h"
#include "core/settings/NumberText.h"
#include "core/settings/ParseLine.h"

namespace vexora {

namespace {

constexpr std::string_view kColumnPositive = "Not a valid column number: only positive values allowed!";
constexpr std::string_view kColumnPositiveOrUnused =
    "Not a valid column number: only positive (or -1 if not used) values allowed!";
constexpr std::string_view kColumnWhole = "Not a valid column number!";
constexpr std::string_view kPositive = "Only positive values allowed!";
constexpr std::string_view kBelowOne = "Only positive <1 values allowed!";
constexpr std::string_view kBelowTwo = "Only positive <2 values allowed!";
constexpr std::string_view kNotNumber = "Not a valid number!";

enum class Rule {
    None,
    ColumnP,             // one column >= 1
    ColumnPN,            // one column >= 1 or -1
    ColumnList,          // IP window columns: each >= 1 or -1
    PoleColumns,         // cable and electrode column
    Positive,            // > 0
    NonNegative,         // >= 0, "Only positive values allowed!"
    PositiveInteger,     // > 0, written truncated
    NonNegativeInteger,  // >= 0, written truncated
    BelowOne,
    Omega,
    NonNegativeList,     // pads, roughness trials
    Boundary,
    PlotBounds,
    Foreground,          // any number; asks about the plot bounds
    ResistivityAnomaly,
    IpAnomaly,
};

std::optional<Item> itemOfRow(const SettingsTable& table, std::size_t row)
{
    if (row >= table.rows.size()) return std::nullopt;
    const std::string& d = table.rows[row].description;
    const auto& catalogue = ItemCatalogue();
    for (std::size_t i = 0; i < catalogue.size(); ++i)
        if (catalogue[i].description == d) return static_cast<Item>(i);
    return std::nullopt;
}

int number(Item item) { return static_cast<int>(item); }

bool isToggle(Item item)
{
    switch (number(item)) {
    case 2: case 26: case 48: case 49: case 50: case 51: case 53: case 63:
    case 69: case 70: case 73: case 74: case 95: case 100: case 101: case 105: case 106: case 109: return true;
    default: return false;
    }
}

bool isChoice(Item item)
{
    return item == Item::MeshType || item == Item::ResistivityModelType || item == Item::IpModelType;
}

Rule ruleOf(Item item)
{
    const int n = number(item);
    switch (n) {
    case 4: case 5: case 6: case 7: case 29: case 30: case 31: return Rule::ColumnP;
    case 3: case 8: case 9: case 11: case 16: case 18: case 19: case 20:
    case 22: case 23: case 24: case 25: return Rule::ColumnPN;
    case 17: case 21: return Rule::ColumnList;
    case 12: case 13: case 14: case 15: return Rule::PoleColumns;
    case 27: case 34: case 35: case 36: case 56: case 67: case 79: case 80: case 83: case 84: case 85: case 86:
    case 87: case 88: case 89: case 91: case 92: case 93: case 94: case 104: case 107: return Rule::Positive;
    case 52: case 60: case 103: case 108: return Rule::NonNegative;
    case 68: case 77: case 78: case 96: case 97: case 102: return Rule::PositiveInteger;
    case 75: case 76: case 110: return Rule::NonNegativeInteger;
    case 81: case 82: return Rule::BelowOne;
    case 66: return Rule::Omega;
    case 43: case 44: case 45: case 46: case 47: case 72: return Rule::NonNegativeList;
    case 65: return Rule::Boundary;
    case 99: return Rule::PlotBounds;
    case 37: case 38: case 39: case 40: case 41: case 42: return Rule::Foreground;
    case 58: return Rule::ResistivityAnomaly;
    case 62: return Rule::IpAnomaly;
    default: return Rule::None;
    }
}

// A whole token read as a number ("1.0E-7", "+2", ".5"); nothing for any
// other text, infinities and NaN included.
std::optional<double> strictNumber(std::string_view token)
{
    if (!token.empty() && token.front() == '+') token.remove_prefix(1);
    if (token.empty()) return std::nullopt;
    double value = 0;
    auto r = std::from_chars(token.data(), token.data() + token.size(), value);
    if (r.ec != std::errc() || r.ptr != token.data() + token.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

// Every token of the answer as a number; nothing when one is not a number.
std::optional<std::vector<double>> numbers(std::string_view text)
{
    classParseLine tokenizer;
    tokenizer.AddLine(text);
    std::vector<double> values;
    values.reserve(static_cast<std::size_t>(tokenizer.Number()));
    for (int k = 1; k <= tokenizer.Number(); ++k) {
        const auto v = strictNumber(tokenizer.View(k));
        if (!v) return std::nullopt;
        values.push_back(*v);
    }
    return values;
}

std::string joined(const std::vector<double>& values)
{
    std::string text;
    for (std::size_t k = 0; k < values.size(); ++k) {
        if (k > 0) text += ' ';
        text += formatNumber(values[k]);
    }
    return text;
}

double rounded3(double v) { return std::round(v * 1000.0) / 1000.0; }

std::string joinedRounded(std::vector<double> values)
{
    for (double& v : values) v = rounded3(v);
    return joined(values);
}

SettingEdit rejected(std::string_view message)
{
    SettingEdit edit;
    edit.message = std::string(message);
    return edit;
}

SettingEdit accepted(std::string value)
{
    SettingEdit edit;
    edit.accepted = true;
    edit.value = std::move(value);
    return edit;
}

bool whole(double v) { return v == std::floor(v); }

// One column number: not a whole number gives "Not a valid column number!".
SettingEdit column(const std::optional<std::vector<double>>& values, bool unusedAllowed)
{
    if (!values || values->size() != 1 || !whole((*values)[0])) return rejected(kColumnWhole);
    const double v = (*values)[0];
    if (v >= 1 || (unusedAllowed && v == -1)) return accepted(formatNumber(v));
    return rejected(unusedAllowed ? kColumnPositiveOrUnused : kColumnPositive);
}

SettingEdit poleColumns(const SettingsTable& table, const std::optional<std::vector<double>>& values)
{
    if (!values) return rejected(kColumnWhole);
    if (values->size() != 2) return rejected("Illegal number of arguments!");
    const double cable = (*values)[0], electrode = (*values)[1];
    if (!whole(cable) || !whole(electrode)) return rejected(kColumnWhole);
    if (settingInteger(table, Item::CableSpecified) > 0 && !(cable >= 1 || cable == -1))
        return rejected(kColumnPositiveOrUnused);
    if (!(electrode >= 1)) return rejected(kColumnPositive);
    return accepted(joined(*values));
}

// The plot bounds need six values with a flat foreground bottom, else five
// (the last a depth of investigation); each pair ascending.
SettingEdit plotBounds(const SettingsTable& table, const std::optional<std::vector<double>>& values)
{
    const std::size_t needed = settingInteger(table, Item::FlatZBottom) == 1 ? 6 : 5;
    if (!values || values->size() != needed)
        return rejected("Due to mesh configuration " + std::to_string(needed) +
                        " values are needed for defining the plotting region bounds!");
    const std::vector<double>& v = *values;
    for (std::size_t k = 0; k + 1 < v.size(); k += 2)
        if (v[k + 1] < v[k]) return rejected("Bad definition of the plotting region bounds!");
    return accepted(joined(v));
}

SettingEdit anomaly(const std::optional<std::vector<double>>& values, bool resistivity)
{
    const std::string_view bounds =
        resistivity ? "Bad definition of Resistivity anomaly bounds!" : "Bad definition of IP anomaly bounds!";
    if (!values) return rejected(bounds);
    const std::vector<double>& v = *values;
    if (v.size() < 7 || v.size() > (resistivity ? 8u : 7u)) return rejected(bounds);
    if (v[1] < v[0] || v[3] < v[2] || v[5] < v[4]) return rejected(bounds);
    if (resistivity && !(v[6] > 0)) return rejected("Only >0 values allowed for Resistivity anomaly!");
    if (!resistivity && !(v[6] >= 0)) return rejected("Only positive values allowed for IP anomaly!");
    if (v.size() == 8 && !(v[7] > 0)) return rejected("Only >0 values allowed for Radius!");
    return accepted(" " + joined(v) + " ");
}

// A new foreground limit, and the plot bounds that follow it on Yes.
SettingEdit foreground(const SettingsTable& table, Item item, const std::optional<std::vector<double>>& values)
{
    if (!values || values->size() != 1) return rejected(kNotNumber);
    const double limit = (*values)[0];
    SettingEdit edit = accepted(formatNumber(limit));
    edit.question = "New foreground region limits. Do you want to update plotting parameters?";
    classParseLine tokenizer;
    std::vector<double> bounds = dDataFill(tokenizer, settingText(table, Item::PlotBounds));
    const bool depthForm = bounds.size() == 5;
    if (bounds.size() != 5 && bounds.size() != 6) return edit;
    const int n = number(item);
    if (n <= 40) bounds[static_cast<std::size_t>(n - 37)] = limit;
    else if (!depthForm) bounds[static_cast<std::size_t>(n - 37)] = limit;
    // In the depth form a new bottom sets the depth below the top.
    else if (item == Item::ForegroundZMin) bounds[4] = settingNumber(table, Item::ForegroundZMax) - limit;
    edit.changesOnYes.emplace_back(Item::PlotBounds, joinedRounded(bounds));
    return edit;
}

SettingEdit choice(Item item, std::string_view proposed)
{
    // The choice's number leads the text: "0" and "0-Standard" ask for 0.
    bool found = false;
    const double chosen = lenientNumber(proposed, found);
    const bool toZero = found && chosen == 0 && !std::signbit(chosen);
    if (item == Item::MeshType) {
        if (!toZero) return rejected("Only switch to 0-Standard mesh allowed!");
        SettingEdit edit = accepted("0-Standard");
        edit.question = "Do you want to unload current mesh and model?";
        edit.changes = {{Item::ResistivityModelType, "0-Standard"}, {Item::IpModelType, "0-Standard"}};
        edit.unloadOnYes = UnloadKind::MeshAndModels;
        edit.changeNeedsYes = true;
        return edit;
    }
    const bool resistivity = item == Item::ResistivityModelType;
    if (!toZero)
        return rejected(resistivity ? "Only switch to 0-Standard resistivity model allowed!"
                                    : "Only switch to 0-Standard IP model allowed!");
    SettingEdit edit = accepted("0-Standard");
    edit.question = resistivity ? "Do you want to unload current resistivity model?"
                                : "Do you want to unload current IP model?";
    edit.unloadOnYes = resistivity ? UnloadKind::ResistivityModel : UnloadKind::IpModel;
    edit.changeNeedsYes = true;
    return edit;
}

// The plot bounds in the other form: six values (-Z +Z) become five with the
// depth +Z - (-Z); five become six with -Z = top - depth and +Z = top.
std::optional<std::string> convertedPlotBounds(const SettingsTable& table, bool toSix)
{
    classParseLine tokenizer;
    std::vector<double> v = dDataFill(tokenizer, settingText(table, Item::PlotBounds));
    if (toSix && v.size() == 5) {
        const double top = settingNumber(table, Item::ForegroundZMax);
        const double depth = v[4];
        v[4] = top - depth;
        v.push_back(top);
        return joinedRounded(v);
    }
    if (!toSix && v.size() == 6) {
        v[4] = v[5] - v[4];
        v.pop_back();
        return joinedRounded(v);
    }
    return std::nullopt;
}

}  // namespace

SettingEditKind settingEditKind(const SettingsTable& table, std::size_t row)
{
    const auto item = itemOfRow(table, row);
    if (!item || *item == Item::Header || catalogueEntry(*item).kind == EntryKind::Section ||
        *item == Item::ResistivityAnomalyCount || *item == Item::IpAnomalyCount)
        return SettingEditKind::NotEditable;
    if (isToggle(*item)) return SettingEditKind::Toggle;
    if (isChoice(*item)) return SettingEditKind::Choice;
    return SettingEditKind::Value;
}

std::vector<std::string> settingChoices(const SettingsTable& table, std::size_t row)
{
    const auto item = itemOfRow(table, row);
    if (!item || !isChoice(*item)) return {};
    if (*item == Item::MeshType) return {"0-Standard", "1-User-defined", "2-Imported"};
    return {"0-Standard", "1-Imported"};
}

bool settingSwitchedOn(const SettingsTable& table, std::size_t row)
{
    const auto item = itemOfRow(table, row);
    return item && isToggle(*item) && roundHalfEven(lenientNumber(table.rows[row].value)) == 1;
}

std::string settingPrompt(const SettingsTable& table, std::size_t row)
{
    const auto item = itemOfRow(table, row);
    if (!item) return {};
    std::string prompt;
    switch (*item) {
    case Item::MeshType: prompt = "Type of mesh:"; break;
    case Item::ResistivityModelType: prompt = "Type of resistivity model:"; break;
    case Item::IpModelType: prompt = "Type of IP model:"; break;
    default: return table.rows[row].description;
    }
    for (const std::string& choice : settingChoices(table, row)) prompt += "\n" + choice;
    return prompt;
}

SettingEdit toggleSetting(const SettingsTable& table, std::size_t row, const SettingContext& context)
{
    const auto item = itemOfRow(table, row);
    if (!item || !isToggle(*item)) return rejected("");
    const bool on = settingSwitchedOn(table, row);
    if (*item == Item::CableSpecified) return accepted(on ? "-1" : "1");
    const int next = on ? 2 : 1;
    if (*item == Item::ModelIp && next == 1 && !context.hasIpData) return rejected("No IP data to model!");
    SettingEdit edit = accepted(std::to_string(next));
    if (*item == Item::ModelIp) edit.ipCheckBox = next == 1;
    if (*item == Item::FlatZBottom)
        if (auto bounds = convertedPlotBounds(table, next == 1)) edit.changes.emplace_back(Item::PlotBounds, *bounds);
    return edit;
}

SettingEdit validateSetting(const SettingsTable& table, std::size_t row, std::string_view proposed,
                            const SettingContext&)
{
    const auto item = itemOfRow(table, row);
    if (!item) return rejected("");
    const auto values = numbers(proposed);
    if (isChoice(*item)) return choice(*item, proposed);
    const auto single = [&]() -> std::optional<double> {
        if (!values || values->size() != 1) return std::nullopt;
        return (*values)[0];
    };
    switch (ruleOf(*item)) {
    case Rule::ColumnP: return column(values, false);
    case Rule::ColumnPN: return column(values, true);
    case Rule::ColumnList:
        if (!values || values->empty()) return rejected(kColumnWhole);
        for (double v : *values)
            if (!whole(v) || !(v >= 1 || v == -1)) return rejected(kColumnWhole);
        return accepted(joined(*values));
    case Rule::PoleColumns: return poleColumns(table, values);
    case Rule::Positive: {
        const auto v = single();
        return v && *v > 0 ? accepted(formatNumber(*v)) : rejected(kPositive);
    }
    case Rule::NonNegative: {
        const auto v = single();
        return v && *v >= 0 ? accepted(formatNumber(*v)) : rejected(kPositive);
    }
    case Rule::PositiveInteger:
    case Rule::NonNegativeInteger: {
        const auto v = single();
        const bool zeroAllowed = ruleOf(*item) == Rule::NonNegativeInteger;
        if (!v || !(zeroAllowed ? *v >= 0 : *v >= 1) || !(*v < 2147483648.0)) return rejected(kPositive);
        return accepted(std::to_string(static_cast<long long>(std::trunc(*v))));
    }
    case Rule::BelowOne: {
        const auto v = single();
        return v && *v > 0 && *v < 1 ? accepted(formatNumber(*v)) : rejected(kBelowOne);
    }
    case Rule::Omega: {
        const auto v = single();
        return v && *v >= 0 && *v <= 2 ? accepted(formatNumber(*v)) : rejected(kBelowTwo);
    }
    case Rule::NonNegativeList:
        if (!values || values->empty()) return rejected(kPositive);
        for (double v : *values)
            if (v < 0) return rejected(kPositive);
        return accepted(joined(*values));
    case Rule::Boundary:
        if (!values) return rejected("Only 0, 1 and 2 values allowed!");
        if (values->size() < 5) return rejected("Not enough arguments!");
        for (double v : *values)
            if (v != 0 && v != 1 && v != 2) return rejected("Only 0, 1 and 2 values allowed!");
        return accepted(joined(*values));
    case Rule::PlotBounds: return plotBounds(table, values);
    case Rule::Foreground: return foreground(table, *item, values);
    case Rule::ResistivityAnomaly: return anomaly(values, true);
    case Rule::IpAnomaly: return anomaly(values, false);
    case Rule::None: break;
    }
    const auto v = single();
    return v ? accepted(formatNumber(*v)) : rejected(kNotNumber);
}

std::string settingTooltip(const SettingsTable& table, std::size_t row)
{
    const std::optional<Item> item = itemOfRow(table, row);
    if (!item) return row < table.rows.size() ? table.rows[row].description : std::string();
    const CatalogueEntry& entry = catalogueEntry(*item);
    std::string text(entry.description);
    if (!entry.tag.empty()) text += "\nConfiguration tag: " + std::string(entry.tag);
    std::string_view fallback = entry.defaultText;
    while (!fallback.empty() && fallback.front() == ' ') fallback.remove_prefix(1);
    while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
    if (!fallback.empty()) text += "\nDefault: " + std::string(fallback);
    std::string_view allowed;
    if (*item == Item::CableSpecified) allowed = "1 (used, ticked) or -1 (not used); the check box switches it";
    else if (isToggle(*item)) allowed = "1 (yes, ticked) or 2 (no); the check box switches it";
    else if (isChoice(*item)) allowed = "0, picked from the list (the other types are set by what is imported)";
    else switch (ruleOf(*item)) {
        case Rule::ColumnP: allowed = "a column number, 1 or more"; break;
        case Rule::ColumnPN: allowed = "a column number, 1 or more, or -1 when the file has none"; break;
        case Rule::ColumnList: allowed = "column numbers, each 1 or more or -1"; break;
        case Rule::PoleColumns: allowed = "the cable and electrode column numbers"; break;
        case Rule::Positive: allowed = "a number greater than 0"; break;
        case Rule::NonNegative: allowed = "a number, 0 or more"; break;
        case Rule::PositiveInteger: allowed = "a whole number, 1 or more"; break;
        case Rule::NonNegativeInteger: allowed = "a whole number, 0 or more"; break;
        case Rule::BelowOne: allowed = "a number between 0 and 1"; break;
        case Rule::Omega: allowed = "a number from 0 to 2"; break;
        case Rule::NonNegativeList: allowed = "numbers, each 0 or more"; break;
        case Rule::Boundary: allowed = "one code per outer face: 0, 1 or 2"; break;
        case Rule::PlotBounds: allowed = "-X +X -Y +Y -Z +Z (or a depth with a flat bottom), in m"; break;
        case Rule::Foreground: allowed = "a coordinate in m"; break;
        case Rule::ResistivityAnomaly:
        case Rule::IpAnomaly: allowed = "each anomaly's box limits (m) and value"; break;
        case Rule::None: break;
        }
    if (!allowed.empty()) text += "\nAllowed: " + std::string(allowed);
    return text;
}

}  // namespace vexora
