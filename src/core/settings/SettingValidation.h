#pragma once
// The rules of the settings grid: what activating a row does, whether a
// proposed value is accepted (and in which text), the exact message of a
// rejection, and the other items that change with it. Pure: nothing here
// prompts or writes; EditSettingItem.h asks and applies.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/settings/SettingsTable.h"

namespace vexora {

enum class SettingEditKind {
    NotEditable,  // header, section rows, the two anomaly-count rows
    Toggle,       // two-way items: switched at once, never prompted
    Choice,       // "Type of mesh" and the two model types: only 0 accepted
    Value,        // prompted, then validated
};

SettingEditKind settingEditKind(const SettingsTable& table, std::size_t row);

// The row's tooltip: its description, configuration tag, default and the
// values it accepts.
std::string settingTooltip(const SettingsTable& table, std::size_t row);

// The prompt of a Value or Choice row: its description, or the list of
// choices one per line ("Type of mesh:\n0-Standard\n1-User-defined\n2-Imported").
std::string settingPrompt(const SettingsTable& table, std::size_t row);

// The choices of a Choice row, each led by its code ("0-Standard"); empty
// for the other rows.
std::vector<std::string> settingChoices(const SettingsTable& table, std::size_t row);

// Whether a two-way row reads "yes" (its value is 1); false for other rows.
bool settingSwitchedOn(const SettingsTable& table, std::size_t row);

// What a choice item's Yes also does.
enum class UnloadKind { None, MeshAndModels, ResistivityModel, IpModel };

struct SettingEdit {
    bool accepted = false;
    std::string value;    // the row's new text when accepted
    std::string message;  // the rejection message otherwise
    // Items changed together with the row (the plot bounds when the flat bottom switches).
    std::vector<std::pair<Item, std::string>> changes;
    // A Yes/No question: for a choice item the change happens only on Yes;
    // for a foreground limit the row changes anyway and `changesOnYes` only on Yes.
    std::string question;
    bool changeNeedsYes = false;
    std::vector<std::pair<Item, std::string>> changesOnYes;
    UnloadKind unloadOnYes = UnloadKind::None;
    std::optional<bool> ipCheckBox;  // "Model IP Data" switched: tick (true) or clear
};

struct SettingContext {
    bool hasIpData = false;  // the project's data hold IP values
};

// The toggle of a two-way row: 1 becomes 2 and anything else 1, except
// "Cable specified" which switches between 1 and -1. Switching "Flat Z
// bottom foreground" converts the plot bounds between their six-value
// (-Z +Z) and five-value (depth) forms; "Model IP Data" cannot become 1
// without IP data ("No IP data to model!").
SettingEdit toggleSetting(const SettingsTable& table, std::size_t row, const SettingContext& context);

// The proposed text of a Value or Choice row against the row's rule.
SettingEdit validateSetting(const SettingsTable& table, std::size_t row, std::string_view proposed,
                            const SettingContext& context);

}  // namespace vexora
