#include "core/datafile/StartupConfiguration.h"

#include "core/datafile/FormatChecks.h"
#include "core/io/TextFile.h"
#include "core/platform/Application.h"
#include "core/settings/Configuration.h"

namespace vexora {

void LoadStartupConfiguration(SettingsTable& table, UserSettings& userSettings, Questions& questions, MessageLog& log)
{
    constexpr std::string_view kSource = "LoadStartupConfiguration";
    const std::string path = userSettings.value("Paths", "Configuration").value_or(std::string(kBuiltInDefaults));
    if (path == kBuiltInDefaults) return;

    std::string text, why;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        // Forget the file, so the next start does not complain again.
        questions.showMessage(std::string(kApplicationTitle) + " - Error",
                              path + " not found!" + kLineBreak + std::string(kApplicationTitle) +
                                  " default configuration settings restored.",
                              MessageIcon::Critical);
        userSettings.setValue("Paths", "Configuration", kBuiltInDefaults);
        return;
    }
    if (!readTextFile(path, text, &why)) {
        log.logError(kSource, "Configuration file " + path + " not read: " + why);
        return;
    }
    const ConfigurationStatus read = applyConfigurationText(std::move(text), table, log);
    ElectrodeFormat electrodeFormat;
    DataFormat dataFormat;
    TopographyFormat topographyFormat;
    if (read == ConfigurationStatus::NoTags) log.logError(kSource, "Error: No configuration tags found.");
    else if (read != ConfigurationStatus::Read) log.warning(kSource, "Warning: critical error reading configuration.");
    else if (funCheckFormatCfgForInput(table, electrodeFormat, dataFormat, topographyFormat, log) != Status::Ok)
        log.logError(kSource, "Error: invalid input format");
}

}  // namespace vexora
