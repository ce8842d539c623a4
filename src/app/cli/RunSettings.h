#pragma once
// The settings `vexora forward` and `vexora invert` take from their command
// line, over those of the loaded data file, in this order:
//   1. "Number of CPU threads": every core the process may use;
//   2. the tags of --config FILE (so its #pc_num_core wins over 1.);
//   3. --threads N, and for invert --start RHO (a fixed starting
//      resistivity: the background resistivity, #start_from_data 2) and
//      --doi (the depth-of-investigation index, #doi_index 1).

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "app/cli/Commands.h"
#include "core/log/MessageLog.h"
#include "core/settings/SettingsTable.h"

namespace vexora::cli {

struct RunSettings {
    std::optional<std::string> configPath;
    std::string configText;  // read before anything is written
    std::optional<int> threads;
    std::optional<double> startResistivity;
    bool depthOfInvestigation = false;
};

// Misuse: a value missing or not allowed (exit 2); Unreadable: the
// configuration file cannot be read (exit 1).
enum class RunOption { Taken, NotMine, Misuse, Unreadable };

// Reads the option at args[i] (and its value, moving i past it); a refusal
// gives its reason on `err`. "--threads" takes a whole number from 1 to
// 4096, "--start" (only with `withStart`) a number > 0, "--config" a file
// that can be read, once.
RunOption readRunOption(const Arguments& args, std::size_t& i, RunSettings& settings, std::ostream& err,
                        std::string_view command, bool withStart);

// The tags of a configuration file's `text` over `table`; false when it
// holds none (logged, naming `path`) or a value the table cannot take.
bool applyConfigurationFile(const std::string& path, const std::string& text, SettingsTable& table, MessageLog& log);

// Applies the settings to a loaded table; false when the configuration holds
// no tags or a value the table cannot take (logged), the table then as the
// configuration reader leaves it after a failure (unchanged).
bool applyRunSettings(const RunSettings& settings, SettingsTable& table, MessageLog& log);

}  // namespace vexora::cli
