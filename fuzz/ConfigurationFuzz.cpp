// Configurations applied to the default settings. A text that applies is
// written back; the written text must apply again, or a saved configuration
// would not open.

#include <cstdlib>
#include <string>

#include "FuzzTargets.h"
#include "core/settings/Configuration.h"
#include "core/settings/SettingsTable.h"

namespace vexora::fuzz {

void configurationFile(std::string_view bytes)
{
    MessageLog log([] { return std::string("now"); });
    SettingsTable table = defaultSettingsTable();
    if (applyConfigurationText(std::string(bytes), table, log) != ConfigurationStatus::Read) return;
    SettingsTable again = defaultSettingsTable();
    if (applyConfigurationText(configurationText(table, "01/01/2026 00:00:00"), again, log) !=
        ConfigurationStatus::Read)
        std::abort();
}

}  // namespace vexora::fuzz
