#pragma once
// Scripts of the numerical core: one command per line, CR LF line ends, the
// command word and its arguments separated by one blank, every path in
// double quotes. A double quote inside a path is doubled, so the core can
// tell it from the closing quote.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/log/MessageLog.h"

namespace vexora {

// The path in double quotes, inner quotes doubled.
std::string quotedScriptPath(const std::filesystem::path& path);

// Writes the lines, each followed by CR LF, replacing an existing file.
// Returns Error with a logged error under `source` when a path would break a
// line (it holds a line break) or the file cannot be written.
Status writeCoreScript(const std::filesystem::path& scriptFile, const std::vector<std::string>& lines,
                       std::string_view source, MessageLog& log);

}  // namespace vexora
