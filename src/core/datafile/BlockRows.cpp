#include "core/datafile/BlockRows.h"

#include <algorithm>

namespace vexora {

std::size_t blockLineCount(std::string_view text, const BlockBounds& bounds)
{
    auto first = text.begin() + bounds.start;
    auto last = text.begin() + bounds.end;
    return static_cast<std::size_t>(std::count(first, last, '\n')) + 1;
}

bool blockHasRows(std::string_view text, const BlockBounds& bounds)
{
    const std::string_view block = text.substr(static_cast<std::size_t>(bounds.start),
                                               static_cast<std::size_t>(bounds.end - bounds.start));
    return block.find_first_not_of(", \t\r\n") != std::string_view::npos;
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
