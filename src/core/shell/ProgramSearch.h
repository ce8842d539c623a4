#pragma once
// The drive search for an external program: every root in turn, depth first,
// looking for the program in a folder before descending into its sub-folders,
// and stopping at the first hit. The caller is told of every folder, so a
// window can keep its event loop turning and offer a Cancel button.

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace vexora {

class SearchFeedback {
public:
    virtual ~SearchFeedback() = default;
    // Called before each folder is searched; false cancels the search.
    virtual bool searching(const std::filesystem::path& folder) = 0;
};

struct ProgramSearchResult {
    std::optional<std::filesystem::path> folder;  // where the program was found
    bool cancelled = false;
};

// Searches the roots in order. A walk stays on the file system of its root
// (mounted volumes are roots of their own, pseudo file systems are not),
// follows no symbolic links to folders and passes over folders it may not
// read. Sub-folders are visited in name order.
ProgramSearchResult searchProgram(const std::vector<std::filesystem::path>& roots, std::string_view programName,
                                  SearchFeedback* feedback = nullptr);

}  // namespace vexora
