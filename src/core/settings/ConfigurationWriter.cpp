// The configuration writer: the settings table as tag lines, in table order.

#include <algorithm>
#include <unordered_map>

#include "core/io/TextFile.h"
#include "core/settings/Configuration.h"
#include "core/settings/LenientNumber.h"
#include "core/settings/ParseLine.h"

namespace vexora {

namespace {

// Catalogue entry of each description, for rows that carry one.
const std::unordered_map<std::string_view, Item>& entriesByDescription()
{
    static const std::unordered_map<std::string_view, Item> index = [] {
        std::unordered_map<std::string_view, Item> m;
        for (int i = 0; i < kCatalogueSize; ++i)
            m.emplace(ItemCatalogue()[static_cast<std::size_t>(i)].description, static_cast<Item>(i));
        return m;
    }();
    return index;
}

// A value is written on its tag's line; a line break inside it would start a
// new line, so it becomes a space.
void appendTagLine(std::string& out, std::string_view tag, std::string_view value)
{
    out += tag;
    out += "= ";
    const std::size_t from = out.size();
    out += value;
    for (std::size_t i = from; i < out.size(); ++i)
        if (out[i] == '\r' || out[i] == '\n') out[i] = ' ';
    out += kLineBreak;
}

}  // namespace

std::string configurationText(const SettingsTable& table, std::string_view date)
{
    std::string out = "#Vexora+_Solver\r\n#version_number= 1.2.0\r\n#date= ";
    out += date;
    out += kLineBreak;

    classParseLine tokens;
    const auto& entries = entriesByDescription();
    for (std::size_t r = 1; r < table.rows.size(); ++r) {
        const SettingRow& row = table.rows[r];
        auto found = entries.find(row.description);
        if (found == entries.end()) continue;  // a row the catalogue does not know has no tag
        const Item item = found->second;
        const CatalogueEntry& entry = catalogueEntry(item);
        switch (entry.kind) {
        case EntryKind::Header: break;
        case EntryKind::Section:
            out += '!';
            out += entry.description;
            out += kLineBreak;
            break;
        case EntryKind::AnomalyLabel: appendTagLine(out, entry.tag, row.value); break;
        case EntryKind::Item:
            if (entry.tag.empty()) break;  // the anomaly counts: the reader recounts the anomaly lines
            if (item >= Item::AColumns && item <= Item::NColumns) {
                // "cable, electrode" travels as two tags of one column each.
                std::vector<double> pair = dDataFill(tokens, row.value);
                if (pair.size() > 0) appendTagLine(out, entry.tag, std::to_string(roundHalfEven(pair[0])));
                if (pair.size() > 1) appendTagLine(out, entry.secondTag, std::to_string(roundHalfEven(pair[1])));
            }
            else if (item == Item::ForegroundZMax) appendTagLine(out, "#foreground_Z_max", row.value);
            else if (item == Item::MeshType || item == Item::ResistivityModelType || item == Item::IpModelType) {
                // The reader keeps the character after "=" (a space) in front
                // of a choice; leading spaces are dropped here so that writing
                // and reading again does not add a space each time.
                std::string_view choice = row.value;
                choice.remove_prefix(std::min(choice.find_first_not_of(' '), choice.size()));
                appendTagLine(out, entry.tag, choice);
            }
            else appendTagLine(out, entry.tag, row.value);
            break;
        }
    }
    return out;
}

bool WriteConfiguration(const std::filesystem::path& path, const SettingsTable& table, MessageLog& log)
{
    std::string why;
    if (writeFileAtomically(path, configurationText(table, currentDateText()), &why)) return true;
    log.logError("WriteConfiguration", "Configuration file " + path.string() + " not written: " + why);
    return false;
}

}  // namespace vexora
