#include "core/settings/LenientNumber.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace vexora {

// Position where the digits of a leading number start (after blanks and a
// sign), or npos when the text does not start with a number.
static std::size_t numberStart(std::string_view text, bool& negative)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // A number starts with a digit, or a point followed by a digit.
    auto isDigit = [&](std::size_t k) { return k < text.size() && text[k] >= '0' && text[k] <= '9'; };
    if (!(isDigit(i) || (i < text.size() && text[i] == '.' && isDigit(i + 1)))) return std::string_view::npos;
    return i;
}

double lenientNumber(std::string_view text)
{
    bool found;
    return lenientNumber(text, found);
}

double lenientNumber(std::string_view text, bool& found)
{
    bool negative;
    const std::size_t i = numberStart(text, negative);
    found = i != std::string_view::npos;
    if (!found) return 0.0;

    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    double value = 0.0;
    auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        // Too large or too small: a negative exponent means too small.
        const char* e = first;
        while (e < end && *e != 'e' && *e != 'E') ++e;
        bool tiny = e + 1 < end && e[1] == '-';
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return negative ? -value : value;
}

int roundHalfEven(double value)
{
    if (std::isnan(value)) return 0;
    double r = std::nearbyint(value);  // default rounding: to nearest, ties to even
    if (r >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (r <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(r);
}

static std::optional<std::int16_t> toInt16(double r)
{
    if (!(r >= -32768.0 && r <= 32767.0)) return std::nullopt;
    return static_cast<std::int16_t>(r);
}

std::optional<std::int16_t> toInt16Truncated(double value) { return toInt16(std::trunc(value)); }
std::optional<std::int16_t> toInt16Rounded(double value) { return toInt16(std::nearbyint(value)); }

}  // namespace vexora
