#pragma once
// A designed sequence as a data file: the layout's electrodes and the
// quadrupoles, with the apparent resistivity a homogeneous ground would give
// (V/I = rho / K), so that the file loads as any survey and a forward model
// shows an anomaly as a departure from one number.

#include <filesystem>

#include "core/log/MessageLog.h"
#include "core/project/ProjectStore.h"
#include "core/sequence/SequenceDesign.h"

namespace vexora {

inline constexpr double kDefaultDesignResistivity = 100.0;  // ohm m

// The sequence as the project's survey (replacing it): cables, electrodes,
// quadrupoles numbered 1.. in order, V/I, 1000 mA, no skip.
Status sequenceSurvey(const SequenceDesign& design, double resistivity, Survey& survey, MessageLog& log);

// Writes the data file (atomically) with the default layouts.
Status saveSequence(const SequenceDesign& design, double resistivity, const std::filesystem::path& path,
                    MessageLog& log);

}  // namespace vexora
