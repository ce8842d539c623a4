// Saves and reads against hostile file system states: links, modes, inputs
// that never end, temporaries left by interrupted saves, outputs that are
// inputs.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/JobTestSupport.h"
#include "core/io/SameFile.h"
#include "core/io/SaveTemporary.h"
#include "core/io/TextFile.h"

namespace vexora {
namespace {

namespace fs = std::filesystem;
using testing::fileNames;
using testing::fileText;

mode_t modeOf(const fs::path& path)
{
    struct stat st{};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(HostileInputFiles, SavesKeepPermissionsAndWriteThroughLinks)
{
    const fs::path folder = testing::freshFolder("vexora_hostile_save");
    const fs::path target = folder / "survey.data";
    const struct {
        const char* what;
        std::function<void()> before;  // run with the old content in `target`
        fs::path saved;                // the name the save is given
        std::function<void()> check;
    } cases[] = {
        {"owner-only file", [&] { ::chmod(target.c_str(), 0600); }, target,
         [&] { EXPECT_EQ(modeOf(target), 0600u); }},
        {"group-writable file", [&] { ::chmod(target.c_str(), 0664); }, target,
         [&] { EXPECT_EQ(modeOf(target), 0664u); }},
        {"symbolic link", [&] { fs::create_symlink("survey.data", folder / "link.data"); }, folder / "link.data",
         [&] {
             EXPECT_TRUE(fs::is_symlink(folder / "link.data"));
             EXPECT_EQ(fileText(target), "new");
         }},
        {"link to a link", [&] {
             fs::create_symlink("survey.data", folder / "first.data");
             fs::create_symlink(folder / "first.data", folder / "second.data");
         },
         folder / "second.data",
         [&] {
             EXPECT_TRUE(fs::is_symlink(folder / "first.data") && fs::is_symlink(folder / "second.data"));
             EXPECT_EQ(fileText(target), "new");
         }},
        // Kept whole rather than written in place: the other name keeps the old content.
        {"hard link", [&] { fs::create_hard_link(target, folder / "other.data"); }, target,
         [&] {
             EXPECT_EQ(fileText(target), "new");
             EXPECT_EQ(fileText(folder / "other.data"), "old");
         }},
    };
    for (const auto& c : cases) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        ASSERT_TRUE(writeFileAtomically(target, "old"));
        c.before();
        std::string why;
        EXPECT_TRUE(writeFileAtomically(c.saved, "new", &why)) << c.what << ": " << why;
        EXPECT_EQ(fileText(c.saved), "new") << c.what;
        c.check();
        for (const std::string& name : fileNames(folder)) EXPECT_NE(name.front(), '.') << c.what;
    }
    // A new file gets 0666 less the umask, whatever mode the temporary had.
    for (const mode_t mask : {mode_t{022}, mode_t{077}}) {
        const mode_t previous = ::umask(mask);
        fs::remove(folder / "new.data");
        EXPECT_TRUE(writeFileAtomically(folder / "new.data", "x"));
        ::umask(previous);
        EXPECT_EQ(modeOf(folder / "new.data"), 0666u & ~mask);
    }
    fs::remove_all(folder);
}

TEST(HostileInputFiles, AGoodSaveRemovesTheTemporariesInterruptedSavesLeft)
{
    const fs::path folder = testing::freshFolder("vexora_hostile_stale");
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(1);
    const struct {
        const char* name;
        bool old, locked, kept;
    } cases[] = {
        {".survey.data.saving-Ab3xZ9", true, false, false},  // left by an interrupted save
        {".survey.data.saving-Qq0000", false, false, true},  // just made: its lock may not be taken yet
        {".survey.data.saving-Lk7Lk7", true, true, true},    // another process is writing it
        {".survey.data.saving-tooLong", true, false, true},  // not our pattern
        {".survey.data.backup", true, false, true},
        {".other.data.saving-Ab3xZ9", true, false, true},    // another target's
    };
    std::vector<int> locks;
    for (const auto& c : cases) {
        ASSERT_TRUE(writeFileAtomically(folder / c.name, "part"));
        if (c.old) fs::last_write_time(folder / c.name, past);
        if (c.locked) {
            locks.push_back(::open((folder / c.name).c_str(), O_RDONLY | O_CLOEXEC));
            ASSERT_EQ(::flock(locks.back(), LOCK_EX | LOCK_NB), 0);
        }
    }
    ASSERT_TRUE(writeFileAtomically(folder / "survey.data", "saved"));
    for (const auto& c : cases) EXPECT_EQ(fs::exists(folder / c.name), c.kept) << c.name;
    for (int fd : locks) ::close(fd);
    fs::remove_all(folder);
}

// A caught SIGTERM or SIGINT removes the temporary being written, then ends
// the program as the signal says.
TEST(HostileInputFiles, AnInterruptRemovesTheTemporaryBeingWritten)
{
    const fs::path folder = testing::freshFolder("vexora_hostile_interrupt");
    for (const int signal : {SIGTERM, SIGINT}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            installSaveInterruptCleanup();
            const SaveTemporary temporary = createSaveTemporary(folder / "survey.data");
            if (temporary.fd < 0 || ::write(temporary.fd, "part", 4) != 4) ::_exit(2);
            ::raise(signal);
            ::_exit(3);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_TRUE(fileNames(folder).empty()) << signal;
    }
    fs::remove_all(folder);
}

TEST(HostileInputFiles, InputsThatAreNoFilesAreRefusedBeforeBeingRead)
{
    const fs::path folder = testing::freshFolder("vexora_hostile_read");
    const fs::path socketPath = folder / "socket";
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const struct {
        fs::path path;
        std::string why;
    } cases[] = {
        {"/dev/zero", "is a device, not a file"},  // never ends: refused at once, not after 2 GiB
        {"/dev/null", "is a device, not a file"},
        {socketPath, "is a socket, not a file"},
        {folder, "is a folder, not a file"},
        {folder / "none", "not found"},
    };
    for (const auto& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        std::string text = "kept", why;
        EXPECT_FALSE(readTextFile(c.path, text, &why)) << c.path;
        EXPECT_EQ(why, c.why) << c.path;
        EXPECT_EQ(text, "kept") << c.path;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << c.path;
    }
    ::close(listener);
    // A pipe is still read to its end.
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    std::thread writer([&] { std::ofstream(folder / "pipe") << "a\r\nb\r\n"; });
    std::string text;
    EXPECT_TRUE(readTextFile(folder / "pipe", text));
    writer.join();
    EXPECT_EQ(text, "a\r\nb\r\n");
    fs::remove_all(folder);
}

TEST(HostileInputFiles, AnOutputIsTheSameFileAsAnInputWhateverItsName)
{
    const fs::path folder = testing::freshFolder("vexora_hostile_same");
    const fs::path input = folder / "raw.bin";
    ASSERT_TRUE(writeFileAtomically(input, "raw"));
    ASSERT_TRUE(writeFileAtomically(folder / "other.bin", "raw"));
    fs::create_hard_link(input, folder / "hard.bin");
    fs::create_symlink(input, folder / "soft.bin");
    const struct {
        fs::path output;
        bool same;
    } cases[] = {
        {input, true},
        {folder / "." / "raw.bin", true},
        {folder / "hard.bin", true},
        {folder / "soft.bin", true},
        {folder / "other.bin", false},  // same content, another file
        {folder / "new.bin", false},    // not written yet
        {"", false},
    };
    for (const auto& c : cases) {
        const std::optional<std::string> refusal = outputOverInput("output", c.output, {folder / "none", input});
        const std::string expected = "the output " + c.output.string() + " is the same file as the input " +
                                     input.string() + "; choose another name.";
        EXPECT_EQ(refusal.value_or(""), c.same ? expected : "") << c.output;
    }
    fs::remove_all(folder);
}

}  // namespace
}  // namespace vexora
