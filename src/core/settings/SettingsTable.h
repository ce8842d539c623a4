#pragma once
// The single live store of all settings: an ordered table of
// (description, value text) rows built from the item catalogue. Row 0 is the
// header; anomaly rows follow their count rows.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings/ItemCatalogue.h"

namespace vexora {

struct SettingRow {
    std::string description;
    std::string value;
    bool section = false;  // shown bold across both columns
    bool operator==(const SettingRow&) const = default;
};

struct SettingsTable {
    std::vector<SettingRow> rows;
    bool operator==(const SettingsTable&) const = default;
};

inline constexpr std::size_t kDefaultSettingRows = 109;

// Header and catalogue entries 1..110 without the two anomaly labels.
SettingsTable defaultSettingsTable();

// First row whose description equals the item's exactly; nothing when absent,
// so a write meant for a missing item cannot land in the header row.
std::optional<std::size_t> FindSettingRow(const SettingsTable& table, Item item);
std::optional<std::size_t> FindSettingRow(const SettingsTable& table, std::string_view description);

// Value text of an item, "" when the table lacks it.
std::string_view settingText(const SettingsTable& table, Item item);
// Lenient numeric value of an item (0 when absent or not a number).
double settingNumber(const SettingsTable& table, Item item);
int settingInteger(const SettingsTable& table, Item item);  // rounded, halves to even
// Replaces an item's value text; false when the table lacks the item.
bool setSettingText(SettingsTable& table, Item item, std::string text);

bool isSectionName(std::string_view description);

// The defaults command: every item back to its catalogue default, anomaly
// rows removed, the background resistivity kept (rounded to one decimal).
void ResetSettingsTable(SettingsTable& table);

}  // namespace vexora
