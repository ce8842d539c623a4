#pragma once
// What the core-script tests share: a forward job prepared from the sample
// survey by `vexora job fwm --no-start`, and readers of the job's files.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/JobTestSupport.h"
#include "core/io/TextFile.h"
#include "core/mesh/ViewerModelRead.h"
#include "engine/script/JobFiles.h"
#include "support/CliRun.h"

namespace vexora::testing {

// A project folder "site A.VXRprj" (a blank in its name) with DataInput.data
// and FWScript.txt, under a fresh folder called `name`.
inline fs::path prepareSampleJob(const std::string& name)
{
    const fs::path root = freshFolder(name);
    const CliRun run = runVexora({"job", "fwm", kSampleSurvey, (root / "site A").string(), "--no-start"});
    EXPECT_EQ(run.code, 0) << run.err;
    return root / "site A.VXRprj";
}

// The script text with every "{F}" replaced by the folder.
inline std::string scriptIn(const fs::path& folder, std::string text)
{
    for (std::size_t at; (at = text.find("{F}")) != std::string::npos;) text.replace(at, 3, folder.string());
    return text;
}

// The viewer model file at `path` as read back (empty when it does not read).
inline ViewerModel viewerModelAt(const fs::path& path)
{
    ViewerModel model;
    std::string why;
    EXPECT_EQ(readViewerModel(fileText(path), model, why), ViewerReadStatus::Read) << path << ": " << why;
    return model;
}

inline std::string lastLogLine(const fs::path& log)
{
    std::string text = fileText(log);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const std::size_t start = text.find_last_of('\n');
    return start == std::string::npos ? text : text.substr(start + 1);
}

inline std::optional<ProgressState> lastProgress(const fs::path& progress)
{
    return fs::exists(progress) ? lastProgressState(fileText(progress)) : std::nullopt;
}

// Files a failed save could leave: the target or a temporary beside it.
inline std::vector<std::string> temporaryFiles(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const std::string& name : fileNames(folder))
        if (name.front() == '.') names.push_back(name);
    return names;
}

}  // namespace vexora::testing
