#pragma once
// Row iteration shared by the electrode, data and topography block readers:
// one row per line (CR LF or LF), fields split by the default separators,
// blank rows skipped, short rows warned about (the first 20) and then refused.

#include <string>
#include <string_view>

#include "core/log/CappedWarnings.h"
#include "core/log/MessageLog.h"
#include "core/platform/Feedback.h"
#include "core/settings/ColumnLayouts.h"
#include "core/settings/LenientNumber.h"
#include "core/settings/ParseLine.h"

namespace vexora {

struct BlockWords {
    const char* format;  // "electrodes-format"
    const char* marker;  // "#elec_start"
};
inline constexpr BlockWords kElectrodeBlock{"electrodes-format", "#elec_start"};
inline constexpr BlockWords kDataBlock{"data-format", "#data_start"};
inline constexpr BlockWords kTopographyBlock{"topography-format", "#topo_start"};

// Number of lines in the block: an upper bound of its rows, to size tables.
std::size_t blockLineCount(std::string_view text, const BlockBounds& bounds);
// Whether the block holds a row that is not blank.
bool blockHasRows(std::string_view text, const BlockBounds& bounds);

// The text of the row numbered `ordinal` as forEachBlockRow numbers them
// (CR dropped); empty past the block's end.
std::string_view blockRow(std::string_view text, const BlockBounds& bounds, std::size_t ordinal);

// CR LF + "Approximate offset from #elec_start: " + i + " rows." + CR LF +
// "String found: " + row, appended to every row message.
std::string rowPosition(const BlockWords& words, std::size_t ordinal, std::string_view row);

// Reads numeric cells leniently and counts those that hold no number (they
// read as 0), so that one warning per block can say how many and where.
class BlockNumbers {
public:
    double operator()(const classParseLine& tokenizer, Column column, std::size_t ordinal, std::string_view row)
    {
        if (column < 1) return 0.0;
        bool found;
        const double value = lenientNumber(tokenizer.View(column), found);
        if (!found && count_++ == 0) {
            firstOrdinal_ = ordinal;
            firstRow_.assign(row);
        }
        return value;
    }
    // "N cells without a number read as 0." with the first row's position.
    void report(MessageLog& log, const char* source, const BlockWords& words) const;

private:
    std::size_t count_ = 0;
    std::size_t firstOrdinal_ = 0;
    std::string firstRow_;
};

// Rows between two looks at the feedback: often enough to cancel within a
// fraction of a second, rare enough to cost nothing.
inline constexpr std::size_t kRowsPerFeedback = 1 << 15;

// Calls rowFn(tokenizer, ordinal, rowText) for every row with at least
// `requiredColumns` fields; ordinal counts blank rows too. rowFn returns
// Status::Ok to go on or Status::Error to stop. Returns Status::Error when a
// row function or the 21st short row stopped the block, or when the
// feedback asked to cancel (logging nothing then). Progress goes to the
// feedback as the share of the block read.
template <class RowFn>
Status forEachBlockRow(std::string_view text, const BlockBounds& bounds, int requiredColumns, const BlockWords& words,
                       const char* source, MessageLog& log, RowFn&& rowFn, const Feedback& feedback = {})
{
    classParseLine tokenizer;
    const std::string_view block = text.substr(static_cast<std::size_t>(bounds.start),
                                               static_cast<std::size_t>(bounds.end - bounds.start));
    CappedWarnings shortRows(log, source, "short rows");
    std::size_t ordinal = 0;
    std::size_t begin = 0;
    while (begin < block.size()) {
        std::size_t lineEnd = block.find('\n', begin);
        if (lineEnd == std::string_view::npos) lineEnd = block.size();
        std::string_view row = block.substr(begin, lineEnd - begin);
        if (!row.empty() && row.back() == '\r') row.remove_suffix(1);
        begin = lineEnd + 1;
        if (++ordinal % kRowsPerFeedback == 0) {
            if (feedback.cancelled()) return Status::Error;
            feedback.report(static_cast<int>(100.0 * static_cast<double>(begin) / static_cast<double>(block.size())),
                            words.marker);
        }
        tokenizer.AddLine(row);
        if (tokenizer.Number() == 0) continue;
        if (tokenizer.Number() < requiredColumns) {
            // A block short on every row has the wrong layout: no point in reading on.
            if (shortRows.full())
                return log.error(source, std::string("Number of columns is less then ") + words.format + " definition.");
            shortRows.warn(std::string("Number of columns is less then ") + words.format + " definition (" +
                           std::to_string(requiredColumns) + " cols)." + rowPosition(words, ordinal, row));
            continue;
        }
        if (rowFn(tokenizer, ordinal, row) != Status::Ok) return Status::Error;
    }
    return Status::Ok;
}

}  // namespace vexora
