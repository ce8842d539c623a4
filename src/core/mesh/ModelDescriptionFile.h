#pragma once
// The model description file: a starting model (background value and
// anomaly rows) that replaces the starting-model settings.
//
//   version_info
//   (two lines skipped)
//   background_res        background_IP
//   100                   0.01
//   res_anomalies         IP_anomalies
//   2                     1
//   -X +X -Y +Y -Z +Z Rho [Radius]   (one row per anomaly)
//
// Keywords are compared exactly; other lines are skipped.

#include <filesystem>
#include <string_view>

#include "core/log/MessageLog.h"
#include "core/platform/Questions.h"
#include "core/settings/SettingsTable.h"

namespace vexora {

inline constexpr std::string_view kLoadModelSource = "subLoadRhoIPModel";

// Results of the description reader.
enum class [[nodiscard]] ModelDescriptionStatus {
    Read = 0,
    Invalid = 1,  // line 1 is not "version_info"
    Failed = 99,  // a count or its rows are missing
};

// Applies the sections of `kind` (1 resistivity, 2 IP) to the table: the
// background into "Background Resistivity (ohm m)" / "Background Ip Value",
// the count into the count row and the rows below it, replacing the previous
// anomaly rows. An anomaly row with fewer than 7 numbers is left out with a
// warning (and not counted). On failure (logged) the table is untouched.
ModelDescriptionStatus applyModelDescription(std::string_view text, int kind, SettingsTable& table, MessageLog& log);

// subLoadRhoIPModel after its open dialog: a missing file shows NAME + " not
// found!", a wrong first line the error box "Invalid file format."; success
// shows "Resistivity model correctly loaded." (or "IP model correctly
// loaded.") and logs the "... correctly loaded from file PATH" line.
Status subLoadRhoIPModel(const std::filesystem::path& path, int kind, SettingsTable& table, Questions& questions,
                         MessageLog& log);

// The box and the log line of a resistivity (or IP) model loaded from `path`.
void reportModelLoaded(bool resistivity, const std::filesystem::path& path, Questions& questions, MessageLog& log);

}  // namespace vexora
