#pragma once
// The editing routine of the settings grid: prompts for a row's new value
// (or switches a two-way row at once), validates it, asks the questions of
// its rule and writes the accepted text and its dependent items.

#include <cstddef>
#include <functional>
#include <string>

#include "core/log/Status.h"
#include "core/platform/Questions.h"
#include "core/project/ProjectStore.h"
#include "core/settings/SettingValidation.h"

namespace vexora {

struct EditSettingHooks {
    // "Model IP Data" switched: the open workspace's IP check box follows.
    std::function<void(bool ticked)> ipCheckBox;
    // The project's topography status text ("No topography" after a mesh unload).
    std::function<void(const std::string& status)> topographyStatus;
};

// Title of the input box: the application title + " - Configuration settings".
std::string settingsInputTitle();

// Applies an accepted edit of `row`; `yes` is the answer to its question.
// A mesh unload empties the topography and the node mesh and drops both
// imported models; a model unload drops that imported model.
void applySettingEdit(ProjectStore& store, std::size_t row, const SettingEdit& edit, bool yes,
                      const EditSettingHooks& hooks = {});

// Returns Ok when the table may have changed, Error when nothing changed (a row
// that is not editable, an empty or cancelled answer, a rejection shown in a
// box titled with the application title + " - Error", a No to a choice item).
Status EditSettingItem(ProjectStore& store, std::size_t row, Questions& questions, const EditSettingHooks& hooks = {});

// The same for an answer already given (typed in the grid's cell or chosen
// from its list): Error for rows that take no answer (two-way ones included).
Status EditSettingItem(ProjectStore& store, std::size_t row, std::string_view answer, Questions& questions,
                       const EditSettingHooks& hooks = {});

// A two-way row ticked (`on`) or cleared, as its check box asks: Error for
// other rows and when the row already reads so.
Status SwitchSettingItem(ProjectStore& store, std::size_t row, bool on, Questions& questions,
                         const EditSettingHooks& hooks = {});

}  // namespace vexora
