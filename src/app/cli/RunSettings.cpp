#include "app/cli/RunSettings.h"

#include <charconv>
#include <cmath>
#include <ostream>

#include "core/io/TextFile.h"
#include "core/platform/UsableCores.h"
#include "core/settings/Configuration.h"
#include "core/settings/NumberText.h"

namespace vexora::cli {

namespace {

// The whole text as a finite number, "." as decimal point; nothing for any other text.
std::optional<double> wholeNumber(const std::string& text)
{
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace

RunOption readRunOption(const Arguments& args, std::size_t& i, RunSettings& settings, std::ostream& err,
                        std::string_view command, bool withStart)
{
    const std::string& option = args[i];
    if (option != "--config" && option != "--threads" && !(withStart && option == "--start")) return RunOption::NotMine;
    auto refuse = [&](const std::string& why, RunOption refusal = RunOption::Misuse) {
        err << "vexora " << command << ": " << why << "\n";
        return refusal;
    };
    if (i + 1 >= args.size()) return refuse(option + " needs a value.");
    const std::string& value = args[++i];
    if (option == "--config") {
        if (settings.configPath) return refuse("--config is given twice.");
        std::string why;
        if (!readTextFile(value, settings.configText, &why)) return refuse(value + ": " + why, RunOption::Unreadable);
        settings.configPath = value;
    } else if (option == "--threads") {
        const std::optional<double> n = wholeNumber(value);
        if (!n || *n < 1 || *n != std::floor(*n) || *n > 4096)
            return refuse("--threads takes a whole number of threads from 1 to 4096, not '" + value + "'.");
        settings.threads = static_cast<int>(*n);
    } else {
        const std::optional<double> rho = wholeNumber(value);
        if (!rho || !(*rho > 0)) return refuse("--start takes a resistivity above 0 (ohm m), not '" + value + "'.");
        settings.startResistivity = rho;
    }
    return RunOption::Taken;
}

bool applyConfigurationFile(const std::string& path, const std::string& text, SettingsTable& table, MessageLog& log)
{
    const ConfigurationStatus read = applyConfigurationText(text, table, log);
    if (read == ConfigurationStatus::NoTags) log.logError("vexora", "Error: " + path + " holds no configuration tags.");
    return read == ConfigurationStatus::Read;
}

bool applyRunSettings(const RunSettings& settings, SettingsTable& table, MessageLog& log)
{
    setSettingText(table, Item::CpuThreads, std::to_string(usableCores()));
    if (settings.configPath && !applyConfigurationFile(*settings.configPath, settings.configText, table, log))
        return false;
    if (settings.threads) setSettingText(table, Item::CpuThreads, std::to_string(*settings.threads));
    if (settings.startResistivity) {
        setSettingText(table, Item::BackgroundResistivity, formatNumber(*settings.startResistivity));
        setSettingText(table, Item::StartFromData, "2");
    }
    if (settings.depthOfInvestigation) setSettingText(table, Item::DoiIndex, "1");
    return true;
}

}  // namespace vexora::cli
