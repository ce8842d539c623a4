#pragma once
// Numbers as text, always with "." as decimal point whatever the locale.

#include <string>

namespace vexora {

// Shortest text that reads back to the same double ("0.5", "1e-07", "100").
std::string formatNumber(double value);
// Fixed number of decimals; a value that rounds to zero is written unsigned.
std::string formatFixed(double value, int decimals);

}  // namespace vexora
