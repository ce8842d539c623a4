#include "core/import/text/ImportLines.h"

#include "core/import/ImportTables.h"
#include "core/io/TextFile.h"

namespace vexora {

ImportStatus splitImportLines(std::string_view fileName, const char* source, ImportText& text, MessageLog& log)
{
    text.lines.clear();
    const std::string_view all = text.bytes;
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = start;
        while (end < all.size() && all[end] != '\n' && all[end] != '\r') ++end;
        if (end - start > kMaxImportLineLength) {
            log.logError(source, std::string(fileName) + ": line " + std::to_string(text.lines.size() + 1) + ": " +
                                  std::to_string(end - start) + " characters, at most " +
                                  std::to_string(kMaxImportLineLength) + " expected.");
            text.lines.clear();
            return ImportStatus::Failed;
        }
        if (text.lines.size() == kMaxImportLines) {
            log.logError(source, std::string(fileName) + ": more than " + std::to_string(kMaxImportLines) + " lines.");
            text.lines.clear();
            return ImportStatus::Failed;
        }
        text.lines.push_back(all.substr(start, end - start));
        if (end < all.size() && all[end] == '\r' && end + 1 < all.size() && all[end + 1] == '\n') ++end;
        start = end + 1;
    }
    return ImportStatus::Ok;
}

ImportStatus readImportLines(const std::filesystem::path& path, const char* source, ImportText& text, MessageLog& log)
{
    std::string why;
    if (!readTextFile(path, text.bytes, &why)) {
        std::error_code ec;
        log.logError(source,
                     std::filesystem::exists(path, ec) ? path.string() + ": " + why : path.string() + " not found!");
        return ImportStatus::Failed;
    }
    return splitImportLines(path.string(), source, text, log);
}

void SkippedLines::add(std::size_t line, const std::string& why)
{
    if (++count_ <= kListed) log_.warning(source_, fileName_ + ": line " + std::to_string(line) + ": " + why + "; line left out.");
}

void SkippedLines::report() const
{
    if (count_ > kListed)
        log_.warning(source_, fileName_ + ": " + std::to_string(count_) + " lines left out in all.");
}

}  // namespace vexora
