#include "core/io/SaveTemporary.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vexora {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMarker = ".saving-";
constexpr std::string_view kSuffixLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kSuffixLength = 6;
constexpr std::time_t kStaleSeconds = 60;

std::string temporaryPrefix(const fs::path& target) { return "." + target.filename().string() + std::string(kMarker); }

fs::path folderOf(const fs::path& target)
{
    return target.parent_path().empty() ? fs::path(".") : target.parent_path();
}

std::string randomSuffix()
{
    thread_local std::mt19937_64 engine{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, kSuffixLetters.size() - 1);
    std::string suffix(kSuffixLength, ' ');
    for (char& c : suffix) c = kSuffixLetters[pick(engine)];
    return suffix;
}

// The paths of the temporaries being written, for the signal handler: fixed
// storage and lock-free states, since a handler may neither allocate nor
// lock. A path is read only while its slot is Listed.
enum SlotState : int { Free, Filling, Listed };
struct Slot {
    std::atomic<int> state{Free};
    char path[4096];
};
static_assert(std::atomic<int>::is_always_lock_free);
Slot slots[16];

int listTemporary(const fs::path& path)
{
    std::error_code ec;
    const std::string absolute = fs::absolute(path, ec).string();
    if (ec || absolute.size() >= sizeof(Slot::path)) return -1;
    for (int i = 0; i < static_cast<int>(std::size(slots)); ++i) {
        int expected = Free;
        if (!slots[i].state.compare_exchange_strong(expected, Filling)) continue;
        std::memcpy(slots[i].path, absolute.c_str(), absolute.size() + 1);
        slots[i].state.store(Listed);
        return i;
    }
    return -1;  // more saves at once than slots: a temporary left behind goes at the next save
}

void removeListedAndRaise(int signal)
{
    const int savedErrno = errno;
    for (Slot& slot : slots)
        if (slot.state.load() == Listed) ::unlink(slot.path);
    errno = savedErrno;
    // SA_RESETHAND put the default action back: the signal ends the program
    // as soon as the handler returns.
    ::raise(signal);
}

bool isTemporaryOf(const std::string& name, const std::string& prefix)
{
    return name.size() == prefix.size() + kSuffixLength && name.starts_with(prefix) &&
           name.find_first_not_of(kSuffixLetters, prefix.size()) == std::string::npos;
}

}  // namespace

SaveTemporary createSaveTemporary(const fs::path& target)
{
    SaveTemporary temporary;
    const fs::path stem = folderOf(target) / temporaryPrefix(target);
    for (int attempt = 0; attempt < 100 && temporary.fd < 0; ++attempt) {
        temporary.path = stem.string() + randomSuffix();
        // 0666: the kernel takes the umask (and a default ACL) off, as for any new file.
        temporary.fd = ::open(temporary.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (temporary.fd < 0 && errno != EEXIST) return temporary;
    }
    if (temporary.fd < 0) return temporary;
    ::flock(temporary.fd, LOCK_EX);  // a fresh file nobody else has opened: never waits
    temporary.slot = listTemporary(temporary.path);
    return temporary;
}

void forgetSaveTemporary(SaveTemporary& temporary)
{
    if (temporary.slot >= 0) slots[temporary.slot].state.store(Free);
    temporary.slot = -1;
}

void removeStaleSaveTemporaries(const fs::path& target)
{
    const std::string prefix = temporaryPrefix(target);
    std::error_code ec;
    for (fs::directory_iterator it(folderOf(target), ec), end; !ec && it != end; it.increment(ec)) {
        if (!isTemporaryOf(it->path().filename().string(), prefix)) continue;
        const int fd = ::open(it->path().c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st{};
        const bool stale = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                           std::time(nullptr) - st.st_mtime >= kStaleSeconds && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        if (stale) ::unlink(it->path().c_str());
        ::close(fd);
    }
}

void installSaveInterruptCleanup()
{
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current{};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
        struct sigaction action{};
        action.sa_handler = removeListedAndRaise;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace vexora
