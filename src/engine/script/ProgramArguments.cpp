#include "engine/script/ProgramArguments.h"

#include <unistd.h>

#include <charconv>

#include "core/jobfiles/CorePrograms.h"
#include "core/platform/ProcessLauncher.h"

namespace vexora {

std::string unquotedArgument(std::string_view argument)
{
    if (argument.size() < 2 || argument.front() != '"' || argument.back() != '"') return std::string(argument);
    std::string out;
    const std::string_view inner = argument.substr(1, argument.size() - 2);
    for (std::size_t i = 0; i < inner.size(); ++i) {
        out += inner[i];
        if (inner[i] == '"' && i + 1 < inner.size() && inner[i + 1] == '"') ++i;
    }
    return out;
}

std::optional<std::filesystem::path> coreScriptArgument(const std::vector<std::string>& args)
{
    if (args.size() != 2 || args[0] != "RUNSCRIPT" || unquotedArgument(args[1]).empty()) return std::nullopt;
    return std::filesystem::path(unquotedArgument(args[1]));
}

std::optional<ManagerArguments> managerArguments(const std::vector<std::string>& args)
{
    if (args.size() < 3) return std::nullopt;
    if (args[0] != kCoreName && args[0] != kCoreProgram) return std::nullopt;
    const std::string script = unquotedArgument(args[1]);
    if (script.empty()) return std::nullopt;
    std::optional<ManagerArguments> job;
    for (JobType type : {JobType::Inversion, JobType::Forward, JobType::Sensitivity})
        if (args[2] == jobKindWord(type)) job = ManagerArguments{args[0], script, args[2], {}};
    if (!job) return std::nullopt;
    bool counted = false, hosted = false;
    for (std::size_t i = 3; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) return std::nullopt;
        const std::string& value = args[i + 1];
        if (args[i] == "--processes" && !counted) {
            int n = 0;
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), n);
            if (error != std::errc() || end != value.data() + value.size() || n < 1 || n > kMostCoreProcesses)
                return std::nullopt;
            job->processes.count = n;
            counted = true;
        } else if (args[i] == "--hostfile" && !hosted && !unquotedArgument(value).empty()) {
            job->processes.hostFile = unquotedArgument(value);
            hosted = true;
        } else {
            return std::nullopt;
        }
    }
    return job;
}

std::optional<CoreCommand> coreCommand(const std::filesystem::path& core, const std::filesystem::path& script,
                                       const CoreProcesses& processes, std::string& why)
{
    if (processes.count <= 1) return CoreCommand{core, {"RUNSCRIPT", script.string()}};
    if (std::optional<std::string> refusal = coreProcessesRefusal(processes)) {
        why = std::move(*refusal);
        return std::nullopt;
    }
    const std::optional<std::filesystem::path> mpirun = locateProgramOnPath("mpirun");
    if (!mpirun) return std::nullopt;  // checked just above
    CoreCommand command{*mpirun, {"-n", std::to_string(processes.count)}};
    // Without a host file every rank runs here, however many cores there are.
    if (processes.hostFile.empty())
        command.arguments.push_back("--oversubscribe");
    else
        command.arguments.insert(command.arguments.end(), {"--hostfile", processes.hostFile.string()});
    // OpenMPI refuses to run as root unless told that it is meant.
    if (geteuid() == 0) command.arguments.push_back("--allow-run-as-root");
    command.arguments.insert(command.arguments.end(), {core.string(), "RUNSCRIPT", script.string()});
    return command;
}

}  // namespace vexora
