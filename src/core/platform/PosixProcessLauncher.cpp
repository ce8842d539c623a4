#include "core/platform/PosixProcessLauncher.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vexora {

namespace {

// What the grandchild reports through the pipe when it cannot run the
// program: the step that failed and errno.
struct StartFailure {
    int step;  // 1 working folder, 2 program, 3 fork
    int error;
};

void report(int fd, int step, int error) noexcept
{
    const StartFailure failure{step, error};
    // Nothing can be done if the parent is gone: ignore the result.
    [[maybe_unused]] ssize_t n = ::write(fd, &failure, sizeof failure);
}

}  // namespace

bool PosixProcessLauncher::startDetached(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                                         const std::filesystem::path& workingFolder, std::string* why)
{
    // Everything the child needs is prepared here: between fork and exec only
    // async-signal-safe calls are allowed.
    std::vector<std::string> argvText;
    argvText.reserve(arguments.size() + 1);
    argvText.push_back(program.string());
    argvText.insert(argvText.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : argvText) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string programPath = program.string();
    const std::string folder = workingFolder.string();

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        if (why) *why = std::strerror(errno);
        return false;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        if (why) *why = std::strerror(error);
        return false;
    }
    if (child == 0) {
        // The intermediate child starts a new session and leaves at once, so
        // the program is adopted by init and the caller has nothing to reap.
        ::close(pipeFds[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild < 0) {
            report(pipeFds[1], 3, errno);
            ::_exit(1);
        }
        if (grandchild > 0) ::_exit(0);
        if (!folder.empty() && ::chdir(folder.c_str()) != 0) {
            report(pipeFds[1], 1, errno);
            ::_exit(127);
        }
        ::execv(programPath.c_str(), argv.data());
        report(pipeFds[1], 2, errno);
        ::_exit(127);
    }

    ::close(pipeFds[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // The pipe closes on a successful exec (close-on-exec): an empty read is
    // success.
    StartFailure failure{};
    ssize_t n;
    while ((n = ::read(pipeFds[0], &failure, sizeof failure)) < 0 && errno == EINTR) {
    }
    ::close(pipeFds[0]);
    if (n == static_cast<ssize_t>(sizeof failure)) {
        if (why) {
            const char* step = failure.step == 1 ? "cannot enter " : failure.step == 2 ? "cannot run " : "cannot fork for ";
            *why = std::string(step) + (failure.step == 1 ? folder : programPath) + ": " + std::strerror(failure.error);
        }
        return false;
    }
    return true;
}

}  // namespace vexora
