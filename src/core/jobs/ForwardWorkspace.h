#pragma once
// What the forward-modelling workspace computes: the answers to the
// modelled-data column questions, the save of a designed survey with its
// noise, and the lines that report a forward job's end. The window only asks
// and shows.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/jobfiles/JobProgress.h"
#include "core/jobs/ModelledNoise.h"
#include "core/log/MessageLog.h"
#include "core/project/ProjectStore.h"
#include "core/settings/ItemCatalogue.h"

namespace vexora {

inline constexpr std::string_view kBadColumnMessage =
    "Not a valid column number: only positive (or -1 if not used) values allowed!";

// The answer to a modelled-data column box: Empty leaves the item as it is,
// Valid carries -1 or a positive column, Invalid is refused with
// kBadColumnMessage.
struct ColumnAnswer {
    enum class Kind { Empty, Valid, Invalid };
    Kind kind = Kind::Empty;
    int column = -1;
};
ColumnAnswer readColumnAnswer(std::string_view answer);

// The prompt of the column box of a calculated-values item: its name and,
// when the field-data column of the same quantity is set, "Select column " +
// column + " to overwrite field data.". Also the column offered.
struct ColumnPrompt {
    std::string text;
    std::string proposed;  // the field-data column, or the item's value
};
ColumnPrompt modelledColumnPrompt(const SettingsTable& settings, Item calculatedItem);

// Saves schedule and data as the forward workspace does: the output layout
// check ("Error: invalid output format"), the configuration first when
// `includeConfiguration`, the noise on the calculated resistances, then the
// blocks and "Schedule file " + name + " saved.". A refused layout leaves the
// table without noise.
Status saveForwardScheduleAndData(ProjectStore& store, const std::filesystem::path& path, bool includeConfiguration,
                                  const NoiseRequest& noise, MessageLog& log);

// "Forward job in FOLDER ended: STAGE. Last log line: MESSAGE" and, when the
// job left its modelled data, "Modelled data in FILE: \"Load modelled data\"
// loads them."
std::string forwardJobEndLines(const std::filesystem::path& folder, const ProgressState& end);

// The job's modelled data file, when the job left one.
std::optional<std::filesystem::path> forwardJobOutput(const std::filesystem::path& folder);

}  // namespace vexora
