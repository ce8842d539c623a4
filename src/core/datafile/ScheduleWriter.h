#pragma once
// Writing the survey as a data file: a short header of layout tags, then the
// electrode, data and topography blocks as tab-separated columns.

#include <filesystem>
#include <string>
#include <string_view>

#include "core/log/MessageLog.h"
#include "core/project/ProjectStore.h"

namespace vexora {

// Fixed-point text of `decimals` decimals, padded with spaces on the right
// to `width` characters.
std::string funFormatReal(double value, int width, int decimals);
// Integer text padded with spaces on the right to `width` characters.
std::string funFormatInteger(long long value, int width);

struct ScheduleLayouts {
    ElectrodeFormat electrodes;
    DataFormat data;
    TopographyFormat topography;
};

// The short header ("#Vexora+", version, date and the three layout sections).
std::string scheduleHeaderText(const ScheduleLayouts& layouts, int ipWindowsToMerge, std::string_view date);
// The three blocks. `ipWindowsToMerge` must already be clamped to the window
// count (see mergedIpWindows).
std::string scheduleBlocksText(const Survey& survey, const ScheduleLayouts& layouts, int ipWindowsToMerge,
                               bool omitSkipped);
void appendScheduleBlocks(std::string& out, const Survey& survey, const ScheduleLayouts& layouts,
                          int ipWindowsToMerge, bool omitSkipped);

// IpWindowsToMerge limited to the loaded windows, with a warning when it was
// larger.
int mergedIpWindows(const Survey& survey, int ipWindowsToMerge, MessageLog& log);

// The whole data file as the writer makes it: the short header (dated
// `date`, today when empty) and the blocks.
std::string dataFileText(const ProjectStore& store, const ScheduleLayouts& layouts, bool omitSkipped, MessageLog& log,
                         std::string_view date = {});

// Writes the data file atomically: with `append` the blocks follow the
// file's present content (a configuration just written to it), otherwise the
// short header comes first. Returns Error, with the reason logged, when the file
// cannot be written.
Status funSaveSchedule(const ProjectStore& store, const std::filesystem::path& path, bool append,
                       const ScheduleLayouts& layouts, bool omitSkipped, MessageLog& log, std::string_view date = {});

// The output check and the writer together, as a workspace's save does;
// "Error: invalid output format" when the layouts are refused.
Status saveDataFile(const ProjectStore& store, const std::filesystem::path& path, bool omitSkipped, MessageLog& log,
                    std::string_view date = {});

}  // namespace vexora
