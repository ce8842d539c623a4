#pragma once
// Reading a text file of an import as lines, with the limits every text
// importer shares: a file size cap, a line length cap and a line count cap,
// checked before anything is built from the text.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/import/ImportTables.h"
#include "core/log/MessageLog.h"

namespace vexora {

// No instrument or sequence line comes near this; a longer one means the file
// is not what its name says.
inline constexpr std::size_t kMaxImportLineLength = 65536;
inline constexpr std::size_t kMaxImportLines = 10'000'000;

struct ImportText {
    std::string bytes;
    std::vector<std::string_view> lines;  // without line ends, into `bytes`
};

// Reads the file and splits it at LF, CR LF or lone CR. Returns 0, or 99 with
// an error from `source` naming the file and, for a long line, the line.
ImportStatus readImportLines(const std::filesystem::path& path, const char* source, ImportText& text, MessageLog& log);
// The same for a text already in memory.
ImportStatus splitImportLines(std::string_view fileName, const char* source, ImportText& text, MessageLog& log);

// Lines left out of an import: the first few are logged in full, then one
// summary line.
class SkippedLines {
public:
    SkippedLines(const char* source, std::string fileName, MessageLog& log)
        : source_(source), fileName_(std::move(fileName)), log_(log) {}
    void add(std::size_t line, const std::string& why);
    void report() const;
    std::size_t count() const { return count_; }

private:
    static constexpr std::size_t kListed = 20;
    const char* source_;
    std::string fileName_;
    MessageLog& log_;
    std::size_t count_ = 0;
};

}  // namespace vexora
