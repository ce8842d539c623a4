#pragma once
// Column layouts of the data-file blocks, built from the settings table and
// checked before a data file is read or written.

#include "core/log/MessageLog.h"
#include "core/survey/SurveyTables.h"
#include "core/settings/ColumnLayouts.h"
#include "core/settings/SettingsTable.h"

namespace vexora {

// Builds the three input layouts from the settings table. Returns Error (with a
// logged error) for a missing cable column, a column used twice or a column
// number that is neither positive nor -1.
Status funCheckFormatCfgForInput(const SettingsTable& table, ElectrodeFormat& electrodeFormat, DataFormat& dataFormat,
                                 TopographyFormat& topographyFormat, MessageLog& log);

// The same for writing; in addition every data value column with nothing to
// write (per the presence flags, and IP columns beyond the loaded windows) is
// switched off (-1) with a warning.
Status funCheckFormatCfgForOutput(const SettingsTable& table, const PresenceFlags& present, std::size_t ipWindows,
                                  ElectrodeFormat& electrodeFormat, DataFormat& dataFormat,
                                  TopographyFormat& topographyFormat, MessageLog& log);

// Largest column used by each layout.
Column requiredColumns(const ElectrodeFormat& f);
Column requiredColumns(const DataFormat& f);
Column requiredColumns(const TopographyFormat& f);

}  // namespace vexora
