#include "engine/script/ProgramArguments.h"

#include "core/jobfiles/CorePrograms.h"

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
    if (args.size() != 3) return std::nullopt;
    if (args[0] != kCoreName && args[0] != kCoreProgram) return std::nullopt;
    const std::string script = unquotedArgument(args[1]);
    if (script.empty()) return std::nullopt;
    for (JobType type : {JobType::Inversion, JobType::Forward, JobType::Sensitivity})
        if (args[2] == jobKindWord(type)) return ManagerArguments{args[0], script, args[2]};
    return std::nullopt;
}

}  // namespace vexora
