#include "core/shell/DataFileConversion.h"

#include <algorithm>

#include "core/jobs/CoreScript.h"
#include "core/jobs/RurVexora.h"
#include "core/shell/ShellFolders.h"

namespace vexora {

namespace fs = std::filesystem;

fs::path convertedFileName(const fs::path& input)
{
    std::string name = input.string();
    name.erase(name.size() - std::min<std::size_t>(name.size(), 5));
    return name + ".vwer";
}

Status convertDataFile(const fs::path& input, DataFileConversion kind, const fs::path& applicationFolder,
                       const fs::path& userDataFolder, ProcessLauncher& launcher, MessageLog& log)
{
    constexpr std::string_view source = "Menu Convert";
    const auto fail = [&](const std::string& why) {
        log.logError(source, why);
        return log.error(source, input.string() + " not converted");
    };

    std::error_code ec;
    if (!fs::is_regular_file(input, ec)) return fail(input.string() + " not found!");
    const fs::path scriptFolder = writableFolder(applicationFolder, userDataFolder);
    if (scriptFolder.empty()) return fail("no folder for " + std::string(kConversionScriptName) + " can be written");
    const fs::path script = scriptFolder / kConversionScriptName;
    const std::string tail = kind == DataFileConversion::ViewerModel ? " BOUNDS BIN" : " FULL TXT";
    if (writeCoreScript(script,
                        {"LOADCONFIGURATION " + quotedScriptPath(input),
                         "SAVEMESH " + quotedScriptPath(convertedFileName(input)) + tail},
                        source, log) != Status::Ok)
        return log.error(source, input.string() + " not converted");

    const std::optional<fs::path> core = locateProgramFile(applicationFolder, kCoreProgram);
    if (!core) return fail((applicationFolder / kCoreProgram).string() + " not found!");
    std::string why;
    if (!launcher.startDetached(*core, {"RUNSCRIPT", script.string()}, applicationFolder, &why))
        return fail(core->string() + " not started: " + why);
    return Status::Ok;
}

}  // namespace vexora
