#pragma once
// Lenient number reading used by every reader: the longest leading number of
// a text, "." as decimal point, 0 when the text does not start with a number.
// Leading blanks are skipped; "inf", "nan" and hexadecimal are not numbers.
// A number too large for a double reads as +/-infinity, so that callers can
// refuse it; one too small reads as 0.

#include <cstdint>
#include <optional>
#include <string_view>

namespace vexora {

double lenientNumber(std::string_view text);
// lenientNumber that also tells whether the text started with a number.
double lenientNumber(std::string_view text, bool& found);

// Nearest integer, halves to even; values outside the int range saturate.
int roundHalfEven(double value);

// The value as a 16-bit integer, or nothing when it cannot be represented.
std::optional<std::int16_t> toInt16Truncated(double value);
std::optional<std::int16_t> toInt16Rounded(double value);

}  // namespace vexora
