#pragma once
// A stand-in for the core's manager program: a shell script named like the
// real program that records its working folder and its arguments, one per
// line, to "launch-record.txt" beside itself. Started detached, so tests
// wait for the record.

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "core/io/TextFile.h"

namespace vexora::testing {

namespace fs = std::filesystem;

inline const char* const kLaunchRecord = "launch-record.txt";

// A fresh, empty folder under the system's temporary folder.
inline fs::path freshFolder(const std::string& name)
{
    const fs::path folder = fs::temp_directory_path() / (name + "_" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

inline void writeStandInProgram(const fs::path& program)
{
    writeFileAtomically(program,
                        "#!/bin/sh\n"
                        "record=\"$(dirname \"$0\")/launch-record.txt\"\n"
                        "{ pwd -P; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > \"$record.part\"\n"
                        "mv \"$record.part\" \"$record\"\n");
    ::chmod(program.c_str(), 0755);
}

// The lines of the record once the program has written it (empty after 10 s).
inline std::vector<std::string> waitForLaunchRecord(const fs::path& applicationFolder)
{
    const fs::path record = applicationFolder / kLaunchRecord;
    for (int i = 0; i < 1000 && !fs::exists(record); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::string text;
    std::vector<std::string> lines;
    if (!readTextFile(record, text)) return lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

inline std::vector<std::string> fileNames(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline std::string fileText(const fs::path& path)
{
    std::string text;
    readTextFile(path, text);
    return text;
}

}  // namespace vexora::testing
