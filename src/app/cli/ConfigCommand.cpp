// vexora config IN.cnfg [-o OUT.cnfg]: reads a configuration file into the
// catalogue defaults and writes the resulting settings back as configuration
// text, to OUT or to standard output. The message log goes to standard error.
//
// Exit status: 0 read, 1 read failed (or the file could not be read or
// written), 2 misuse, 3 the file holds no configuration tags.

#include <optional>
#include <ostream>

#include "app/cli/Cli.h"
#include "app/cli/CommandSupport.h"
#include "app/cli/Commands.h"
#include "core/io/TextFile.h"
#include "core/settings/Configuration.h"

namespace vexora::cli {

namespace {

constexpr int kExitNoTags = 3;

int configUsage(std::ostream& err) { return printCommandUsage(err, "config"); }

}  // namespace

int runConfig(const Arguments& args, std::ostream& out, std::ostream& err)
{
    std::optional<std::string> input, output;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-o") {
            if (output || i + 1 >= args.size()) return configUsage(err);
            output = args[++i];
        }
        else if (a.size() > 1 && a[0] == '-') {
            err << "vexora config: unknown option '" << a << "'\n";
            return configUsage(err);
        }
        else if (input) return configUsage(err);
        else input = a;
    }
    if (!input) return configUsage(err);
    if (output && outputReplacesInput(err, "config", *output, {*input})) return kExitError;

    std::string text, why;
    if (!readTextFile(*input, text, &why)) {
        err << "vexora config: " << *input << ": " << why << "\n";
        return kExitError;
    }
    // A fresh workspace: catalogue defaults, no start-up configuration.
    SettingsTable table = defaultSettingsTable();
    MessageLog log;
    const ConfigurationStatus read = applyConfigurationText(std::move(text), table, log);
    printLog(log, err);
    if (read == ConfigurationStatus::NoTags) {
        err << "vexora config: " << *input << ": no configuration tags found\n";
        return kExitNoTags;
    }
    if (read != ConfigurationStatus::Read) {
        err << "vexora config: " << *input << ": configuration not read\n";
        return kExitError;
    }

    if (!output) {
        out << configurationText(table, currentDateText());
        return kExitOk;
    }
    MessageLog writeLog;
    if (!WriteConfiguration(*output, table, writeLog)) {
        printLog(writeLog, err);
        return kExitError;
    }
    return kExitOk;
}

}  // namespace vexora::cli
