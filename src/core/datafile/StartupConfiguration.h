#pragma once
// The user's start-up configuration, applied when a workspace opens and
// when its settings are reset.

#include <string_view>

#include "core/log/MessageLog.h"
#include "core/platform/Questions.h"
#include "core/platform/UserSettings.h"
#include "core/settings/SettingsTable.h"

namespace vexora {

// The per-user value "Paths"/"Configuration" that keeps the catalogue's
// defaults.
inline constexpr std::string_view kBuiltInDefaults = "Vexora defaults";

// Applies the configuration file named by "Paths"/"Configuration" unless it
// is "Vexora defaults".
void LoadStartupConfiguration(SettingsTable& table, UserSettings& userSettings, Questions& questions,
                              MessageLog& log);

}  // namespace vexora
