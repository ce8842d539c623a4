#pragma once
// The forward and inverse solver set-up forms over the settings table: the
// value texts a form opens with, and Apply, which checks and writes one item
// after the other in a fixed order. The first value refused stops Apply with
// its message; the items written before it keep their new values.

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/log/Status.h"
#include "core/settings/ItemCatalogue.h"
#include "core/settings/SettingsTable.h"

namespace vexora {

// A form's values: the text of each item it edits. Check boxes carry "1"
// (checked) or "2"; the edges carry the five option indices.
using SetupForm = std::map<Item, std::string>;

// Edge conditions of "X min", "X max", "Y min", "Y max", "Z min".
inline constexpr std::array<std::string_view, 5> kEdgeNames = {"X min", "X max", "Y min", "Y max", "Z min"};
inline constexpr std::array<std::string_view, 3> kEdgeConditions = {"Dirichlet", "Mixed", "Neumann"};
using EdgeConditions = std::array<int, 5>;  // 0 Dirichlet, 1 Mixed, 2 Neumann
EdgeConditions readEdgeConditions(std::string_view itemText);  // missing or unknown: Mixed
std::string edgeConditionsText(const EdgeConditions& edges);
// The virtual source matters only where an edge is Mixed.
bool virtualSourceEnabled(const EdgeConditions& edges);

// The items of each form, in the order Apply writes them.
const std::vector<Item>& forwardSetupItems();
const std::vector<Item>& inverseSetupItems();

// The form as it opens: each item's value text, trimmed.
SetupForm readSetupForm(const SettingsTable& settings, const std::vector<Item>& items);

struct SetupOutcome {
    Status status = Status::Ok;
    Item refused = Item::SsorOmega;  // the item that stopped Apply
    std::string message;             // why, for the " - Error" box
};

SetupOutcome applyForwardSetup(SettingsTable& settings, const SetupForm& form);
SetupOutcome applyInverseSetup(SettingsTable& settings, const SetupForm& form);

}  // namespace vexora
