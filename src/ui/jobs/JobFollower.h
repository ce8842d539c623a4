#pragma once
// The workbench follows a core job it started through the job's progress
// file, the file the manager watches too: once its last stage says the job
// ended (completed, aborted or failed, core/jobfiles/JobProgress.h), `ended`
// gets that state, once. The watch belongs to `owner` and goes with it.

#include <filesystem>
#include <functional>

#include "core/jobfiles/JobProgress.h"

class QObject;

namespace vexora::ui {

inline constexpr int kJobFollowMilliseconds = 500;

void followJob(QObject* owner, const std::filesystem::path& progressFile,
               std::function<void(const ProgressState& end)> ended);

}  // namespace vexora::ui
