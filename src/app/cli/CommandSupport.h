#pragma once
// What the commands share: usage lines, the log on stderr, and loading a data
// file with the command line's documented answers.

#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "core/log/MessageLog.h"
#include "core/platform/ProcessLauncher.h"
#include "core/project/ProjectStore.h"

namespace vexora::cli {

// Prints "Usage: vexora " and the command's usage; returns kExitUsage.
int printCommandUsage(std::ostream& err, std::string_view command);

// The log's entries with plain line ends.
void printLog(const MessageLog& log, std::ostream& err);

// Answers to the questions of a data load: geometric factors use z
// coordinates unless --no-z; calculated values are inverted only with
// --synthetic.
struct LoadAnswers {
    bool useZ = true;
    bool synthetic = false;
};

// True, with "vexora COMMAND: the output OUT is the same file as the input
// IN; choose another name." on `err`, when writing `output` would replace one
// of the inputs. Checked before anything is read or written.
bool outputReplacesInput(std::ostream& err, std::string_view command, const std::filesystem::path& output,
                         const std::vector<std::filesystem::path>& inputs);

// Loads the data file as a Data Inversion project does.
Status loadDataFile(ProjectStore& store, const std::string& path, MessageLog& log, LoadAnswers answers = {});
// The same followed by the inversion workspace's completion (mesh settings
// from the electrodes, the file's own settings over them).
Status loadInversionFile(ProjectStore& store, const std::string& path, MessageLog& log);

}  // namespace vexora::cli
