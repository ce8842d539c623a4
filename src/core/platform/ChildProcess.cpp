#include "core/platform/ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <spawn.h>
#include <string_view>
#include <sys/wait.h>

extern char** environ;

namespace vexora {

std::optional<int> startChildProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                                     const std::vector<std::string>& environment, std::string* why)
{
    std::vector<std::string> argvText{program.string()};
    argvText.insert(argvText.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envText;
    for (char** entry = environ; *entry; ++entry) {
        const std::string_view current(*entry);
        const auto replaced = [&](const std::string& added) {
            return current.substr(0, current.find('=') + 1) == std::string_view(added).substr(0, added.find('=') + 1);
        };
        if (std::none_of(environment.begin(), environment.end(), replaced)) envText.emplace_back(current);
    }
    envText.insert(envText.end(), environment.begin(), environment.end());

    std::vector<char*> argv, envp;
    for (std::string& a : argvText) argv.push_back(a.data());
    for (std::string& e : envText) envp.push_back(e.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    pid_t pid = 0;
    // posix_spawn reports a program that cannot be executed as its result.
    const int error = ::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data());
    if (error != 0) {
        if (why) *why = std::strerror(error);
        return std::nullopt;
    }
    return pid;
}

std::optional<ProcessEnd> childProcessEnd(int processId)
{
    int status = 0;
    pid_t ended;
    while ((ended = ::waitpid(processId, &status, WNOHANG)) < 0 && errno == EINTR) {
    }
    if (ended == 0) return std::nullopt;
    if (ended < 0) return ProcessEnd{-1, 0};  // not our child, or already reaped
    if (WIFSIGNALED(status)) return ProcessEnd{0, WTERMSIG(status)};
    return ProcessEnd{WEXITSTATUS(status), 0};
}

std::string processEndText(const ProcessEnd& end)
{
    if (end.signal == 0) return "exit status " + std::to_string(end.exitStatus);
    static constexpr struct {
        int signal;
        std::string_view text;
    } kNames[] = {
        {SIGKILL, "killed (SIGKILL)"},           {SIGTERM, "terminated (SIGTERM)"},
        {SIGINT, "interrupted (SIGINT)"},        {SIGHUP, "hung up (SIGHUP)"},
        {SIGQUIT, "quit (SIGQUIT)"},             {SIGSEGV, "segmentation fault (SIGSEGV)"},
        {SIGABRT, "aborted (SIGABRT)"},          {SIGBUS, "bus error (SIGBUS)"},
        {SIGFPE, "floating-point exception (SIGFPE)"}, {SIGILL, "illegal instruction (SIGILL)"},
        {SIGPIPE, "broken pipe (SIGPIPE)"},      {SIGXCPU, "CPU time limit exceeded (SIGXCPU)"},
    };
    for (const auto& name : kNames)
        if (name.signal == end.signal) return std::string(name.text);
    return "signal " + std::to_string(end.signal);
}

}  // namespace vexora
