#pragma once
// Working state of one configuration read. The reader works on copies of the
// settings table and the records and hands them back only when the whole text
// was read, so a failure part-way leaves the caller's data as it was.
// Private to the configuration reader.

#include <array>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/log/CappedWarnings.h"
#include "core/log/MessageLog.h"
#include "core/settings/ColumnLayouts.h"
#include "core/settings/ConfigurationTags.h"
#include "core/settings/ParseLine.h"
#include "core/settings/SettingsTable.h"

namespace vexora::configuration {

inline constexpr std::string_view kReaderSource = "funLoadConfiguration";

// A value the records or the table cannot hold: the read stops with result 1.
class ReadFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One tag line split into the tag and its values.
class TagLine {
public:
    TagLine(const classParseLine& tokens, std::string_view line, std::string tag)
        : tokens_(tokens), line_(line), tag_(std::move(tag)) {}

    const std::string& tag() const { return tag_; }
    std::string_view line() const { return line_; }
    int valueCount() const { return tokens_.Number() - 1; }
    // Value k (1-based) exactly as written.
    std::string_view token(int k) const { return tokens_.View(k + 1); }
    // Lenient numeric value of value k; a number too large for a double
    // fails the read.
    double number(int k) const;
    // Value k truncated toward zero into a 16-bit column number.
    Column column(int k) const;
    // The read stops: value k of this tag is not `what` in `range`.
    [[noreturn]] void outOfRange(int k, std::string_view what, std::string_view range) const;
    // The text after the tag and the one character following it.
    std::string_view restOfLine() const;

private:
    const classParseLine& tokens_;
    std::string_view line_;
    std::string tag_;
};

struct ReadState {
    explicit ReadState(MessageLog& log)
        : log(log),
          unknownTags(log, kReaderSource, "unrecognized configuration tags"),
          valuelessTags(log, kReaderSource, "tags without a value") {}

    SettingsTable table;
    ElectrodeFormat electrode;
    DataFormat data;
    TopographyFormat topography;
    SequenceHeader sequence;
    BlockBounds electrodeBlock, dataBlock, topographyBlock;
    // Anomaly row texts in tag order; inserted below their count rows when
    // the read is committed, so that many anomalies do not shift the table
    // row by row.
    std::vector<std::string> resistivityAnomalies, ipAnomalies;
    MessageLog& log;
    // Tag lines of a file that is not a configuration at all would each warn.
    CappedWarnings unknownTags, valuelessTags;

    // Row of each catalogue entry in `table`, found once.
    void indexRows();
    // Value cell of an item; fails the read when the table lacks the item.
    std::string& cell(Item item) { return table.rows[rowOf(item)].value; }
    const std::string& cell(Item item) const { return table.rows[rowOf(item)].value; }
    void warn(std::string_view text) const { log.warning(kReaderSource, text); }
    // Inserts the collected anomaly rows and updates the two counts.
    void insertAnomalyRows();

private:
    std::size_t rowOf(Item item) const;

    std::array<std::optional<std::size_t>, kCatalogueSize> rows_{};
};

// Setting tags: items of the table set at once.
void applySettingTag(ReadState& state, const TagSpec& spec, const TagLine& line);

// Column layouts, after the scan: each group is either written into its
// items or, when refused, read back from them.
void settleColumnLayouts(ReadState& state);

}  // namespace vexora::configuration
