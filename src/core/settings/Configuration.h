#pragma once
// The configuration-file language: tag lines such as "#elec_x_col= 3" that
// carry the settings table and the column layouts, in configuration files
// (*.cnfg) and in the header of data files.

#include <filesystem>
#include <string>
#include <string_view>

#include "core/log/MessageLog.h"
#include "core/settings/ColumnLayouts.h"
#include "core/settings/SettingsTable.h"

namespace vexora {

// Outcome of reading configuration tags.
enum class [[nodiscard]] ConfigurationStatus {
    Read = 0,      // warnings may have been logged
    Failed = 1,    // reading stopped on a value the records or the table cannot hold (logged)
    NoTags = 20000,  // the text holds no "#": nothing changed
};

// What a read does with anomaly tags (#res_anomaly, #ip_anomaly). They add
// rows below those the table already counts, so a text applied twice to one
// table would list its anomalies twice: the second read of a text whose
// anomalies the table already holds checks them (same warnings) and adds none.
enum class AnomalyTags { Add, AlreadyRead };

// Removes "!" comments: from each "!" up to, not including, the line break
// (or to the end of the text). Always returns Ok.
Status funRemoveComments(std::string& text);

// Applies a whole text (comments already removed) to the settings table and
// to the column-layout records, which must be fresh (all zero) on entry, and
// records where the electrode, data and topography blocks lie (positions in
// `text`; a block without markers gets {-1, -1}, a missing end marker end -1).
// Returns Read, NoTags, or Failed: then the table, the records and the
// bounds are left exactly as they were.
// Line ends may be CR LF, LF or a mix; lone CRs must be normalised first
// (normaliseLoneCarriageReturns). Tag lines over 1,000,000 characters are
// skipped with a warning.
ConfigurationStatus funLoadConfiguration(std::string_view text, BlockBounds& electrodeBlock, BlockBounds& dataBlock,
                                         BlockBounds& topographyBlock, ElectrodeFormat& electrodeFormat,
                                         DataFormat& dataFormat, TopographyFormat& topographyFormat,
                                         SequenceHeader& sequenceHeader, SettingsTable& table, MessageLog& log,
                                         AnomalyTags anomalies = AnomalyTags::Add);

// Applies a configuration text as a file holds it (any line ends, "!"
// comments) to the table, with fresh layout records; returns the result of
// funLoadConfiguration.
ConfigurationStatus applyConfigurationText(std::string text, SettingsTable& table, MessageLog& log,
                                           AnomalyTags anomalies = AnomalyTags::Add);

// The settings table as configuration text, CR LF line ends. `date` is the
// text after "#date= ". The anomaly-count rows give no line (the reader
// counts the anomaly lines); choices are written without leading spaces.
std::string configurationText(const SettingsTable& table, std::string_view date);
// Writes configurationText (with today's date) atomically; false and a logged
// error when the file cannot be written.
bool WriteConfiguration(const std::filesystem::path& path, const SettingsTable& table, MessageLog& log);

}  // namespace vexora
