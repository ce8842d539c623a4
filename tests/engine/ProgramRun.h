#pragma once
// Runs a built program as a user without a display would: DISPLAY,
// WAYLAND_DISPLAY and QT_QPA_PLATFORM removed from its environment (extra
// "NAME=value" entries added), its standard output and error kept.

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vexora::testing {

struct ProgramRun {
    int status = -1;  // exit status, -1 when it did not exit normally
    std::string out;
    std::string err;
};

inline ProgramRun runHeadless(const std::filesystem::path& program, const std::vector<std::string>& args,
                              const std::vector<std::string>& extraEnvironment = {})
{
    std::vector<std::string> env = extraEnvironment;
    for (char** e = environ; *e; ++e) {
        const std::string_view v(*e);
        if (!v.starts_with("DISPLAY=") && !v.starts_with("WAYLAND_DISPLAY=") && !v.starts_with("QT_QPA_PLATFORM="))
            env.emplace_back(v);
    }
    std::vector<std::string> argvText{program.string()};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv, envp;
    for (std::string& a : argvText) argv.push_back(a.data());
    for (std::string& e : env) envp.push_back(e.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    // Standard error into a file: two pipes read one after the other could
    // block the program on the second.
    std::FILE* errFile = std::tmpfile();
    int pipeEnds[2];
    if (!errFile || ::pipe(pipeEnds) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_adddup2(&actions, ::fileno(errFile), STDERR_FILENO);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    ProgramRun run;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) run.out.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeEnds[0]);
    if (spawned == 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::rewind(errFile);
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, errFile)) > 0;) run.err.append(buffer, n);
    std::fclose(errFile);
    return run;
}

}  // namespace vexora::testing
