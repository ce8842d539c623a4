#pragma once
// Blanks and tabs around a field read from a file or an answer typed in a
// box carry no meaning: every reader leaves them out the same way.

#include <string_view>

namespace vexora {

inline std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace vexora
