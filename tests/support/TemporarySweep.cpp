// After the last test of a test program, removes what its tests made under
// the temporary folder: they name their folders and files with the
// program's process id ("job_results_1234", "vexora_sequence_1234_a",
// "vexora_k_limit_1234.data"), as does the sequencer's comparison
// ("VexoraSequencer-1234"). A run with a failure keeps them to be looked at.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

// The process id as a whole word of the name, after "_" or "-".
bool madeByThisProcess(const std::string& name, const std::string& pid)
{
    for (std::size_t at = name.find(pid); at != std::string::npos; at = name.find(pid, at + 1)) {
        const std::size_t end = at + pid.size();
        if (at > 0 && (name[at - 1] == '_' || name[at - 1] == '-') &&
            (end == name.size() || name[end] == '_' || name[end] == '.'))
            return true;
    }
    return false;
}

class TemporarySweep final : public ::testing::Environment {
public:
    void TearDown() override
    {
        if (::testing::UnitTest::GetInstance()->Failed()) return;
        namespace fs = std::filesystem;
        std::error_code error;
        const fs::path root = fs::temp_directory_path(error);
        if (error) return;
        const std::string pid = std::to_string(::getpid());
        std::vector<fs::path> made;
        for (fs::directory_iterator it(root, error), end; !error && it != end; it.increment(error))
            if (madeByThisProcess(it->path().filename().string(), pid)) made.push_back(it->path());
        for (const fs::path& path : made) fs::remove_all(path, error);
    }
};

[[maybe_unused]] ::testing::Environment* const temporarySweep = ::testing::AddGlobalTestEnvironment(new TemporarySweep);

}  // namespace
