#include "core/settings/SettingsTable.h"

#include <cmath>

#include "core/settings/LenientNumber.h"
#include "core/settings/NumberText.h"

namespace vexora {

SettingsTable defaultSettingsTable()
{
    SettingsTable table;
    table.rows.reserve(kDefaultSettingRows);
    for (const CatalogueEntry& e : ItemCatalogue()) {
        if (e.kind == EntryKind::AnomalyLabel) continue;
        table.rows.push_back({std::string(e.description), std::string(e.defaultText), e.kind == EntryKind::Section});
    }
    return table;
}

std::optional<std::size_t> FindSettingRow(const SettingsTable& table, std::string_view description)
{
    for (std::size_t r = 0; r < table.rows.size(); ++r)
        if (table.rows[r].description == description) return r;
    return std::nullopt;
}

std::optional<std::size_t> FindSettingRow(const SettingsTable& table, Item item)
{
    return FindSettingRow(table, description(item));
}

std::string_view settingText(const SettingsTable& table, Item item)
{
    auto row = FindSettingRow(table, item);
    return row ? std::string_view(table.rows[*row].value) : std::string_view();
}

double settingNumber(const SettingsTable& table, Item item) { return lenientNumber(settingText(table, item)); }

int settingInteger(const SettingsTable& table, Item item) { return roundHalfEven(settingNumber(table, item)); }

bool setSettingText(SettingsTable& table, Item item, std::string text)
{
    auto row = FindSettingRow(table, item);
    if (!row) return false;
    table.rows[*row].value = std::move(text);
    return true;
}

bool isSectionName(std::string_view description)
{
    for (const CatalogueEntry& e : ItemCatalogue())
        if (e.kind == EntryKind::Section && e.description == description) return true;
    return false;
}

void ResetSettingsTable(SettingsTable& table)
{
    double background = settingNumber(table, Item::BackgroundResistivity);
    table = defaultSettingsTable();
    setSettingText(table, Item::BackgroundResistivity, " " + formatFixed(std::round(background * 10.0) / 10.0, 1) + " ");
}

}  // namespace vexora
