#pragma once
// Noise on modelled data before a designed survey is saved, so that the file
// looks like a field measurement: every calculated resistance r becomes
// r + r * P / 500 * g + C, g a standard normal number drawn per quadrupole.
// The noise goes into the table itself (saving again adds it again); each
// addition is logged with the save it belongs to, its size and the seed that
// reproduces it. Calculated IP values get no noise.

#include <cstdint>
#include <string_view>

#include "core/log/MessageLog.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

// Uniform numbers in [0, 1) from a 64-bit Mersenne twister, the same on
// every platform for the same seed.
class UniformNumbers {
public:
    explicit UniformNumbers(std::uint64_t seed);
    double next();

private:
    std::uint64_t state_[312];
    int index_;
};

// A standard normal number by the polar method: u1 = 2 * uniform - 1,
// u2 = 2 * uniform - 1 until s = u1^2 + u2^2 is below 1 (and not 0); the
// result is u1 * sqrt(-2 ln s / s).
double polarNormal(UniformNumbers& uniform);

// A seed for a save that names none.
std::uint64_t freshNoiseSeed();

struct NoiseRequest {
    double percent = 0;   // P, relative noise
    double constant = 0;  // C, added to every value
    std::uint64_t seed = 0;
};

// Adds the noise to the calculated resistances. P = C = 0 changes nothing and
// logs nothing; otherwise "Noise added." with the save's name, the standard
// deviation (P / 5 % of each value), the constant and the seed. Returns
// whether anything was added.
bool addModelledNoise(QuadrupoleTable& table, const NoiseRequest& noise, std::string_view saveName, MessageLog& log);

}  // namespace vexora
