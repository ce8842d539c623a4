#pragma once
// Colour scales for maps of values: a perceptually uniform sequential scale
// (viridis: lightness rises steadily, readable in grey and by most colour-
// blind readers) and a diverging blue-white-red scale for signed values
// about zero. Logarithmic or linear between two limits.

#include <array>
#include <cstdint>
#include <vector>

namespace vexora {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

enum class ColourMap { Sequential, Diverging };

struct ColourScale {
    ColourMap map = ColourMap::Sequential;
    double low = 0, high = 1;
    bool logarithmic = false;

    // Position of a value from 0 (low) to 1 (high), clamped.
    double position(double value) const;
    Rgb colour(double value) const;
    // Round values within the limits for the colour bar's labels: the
    // decades (with 2 and 5 between over at most two decades) on a log scale
    // spanning a factor four or more, otherwise steps of 1, 2 or 5 times a
    // power of ten (about `count` of them).
    std::vector<double> ticks(int count = 6) const;
};

Rgb colourAt(ColourMap map, double position);

// Limits that leave out the extreme 2 % at each end (robust against a few
// wild values); a symmetric range about zero for the diverging map.
ColourScale scaleFor(std::vector<double> values, ColourMap map, bool logarithmic);

}  // namespace vexora
