#include "core/datafile/BlockRows.h"

#include <algorithm>

namespace vexora {

std::size_t blockLineCount(std::string_view text, const BlockBounds& bounds)
{
    auto first = text.begin() + bounds.start;
    auto last = text.begin() + bounds.end;
    return static_cast<std::size_t>(std::count(first, last, '\n')) + 1;
}

namespace {

std::string_view blockText(std::string_view text, const BlockBounds& bounds)
{
    return text.substr(static_cast<std::size_t>(bounds.start), static_cast<std::size_t>(bounds.end - bounds.start));
}

}  // namespace

bool blockHasRows(std::string_view text, const BlockBounds& bounds)
{
    return blockText(text, bounds).find_first_not_of(", \t\r\n") != std::string_view::npos;
}

std::string_view blockRow(std::string_view text, const BlockBounds& bounds, std::size_t ordinal)
{
    std::string_view block = blockText(text, bounds);
    for (std::size_t row = 1; row < ordinal && !block.empty(); ++row) {
        const std::size_t end = block.find('\n');
        block.remove_prefix(end == std::string_view::npos ? block.size() : end + 1);
    }
    block = block.substr(0, block.find('\n'));
    if (!block.empty() && block.back() == '\r') block.remove_suffix(1);
    return block;
}

std::string rowPosition(const BlockWords& words, std::size_t ordinal, std::string_view row)
{
    std::string text = kLineBreak;
    text += "Approximate offset from ";
    text += words.marker;
    text += ": " + std::to_string(ordinal) + " rows.";
    text += kLineBreak;
    text += "String found: ";
    text += row;
    return text;
}

void BlockNumbers::report(MessageLog& log, const char* source, const BlockWords& words) const
{
    if (count_ == 0) return;
    log.warning(source, std::to_string(count_) + " cells without a number read as 0." +
                            rowPosition(words, firstOrdinal_, firstRow_));
}

}  // namespace vexora
