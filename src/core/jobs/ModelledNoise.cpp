#include "core/jobs/ModelledNoise.h"

#include <cmath>
#include <random>
#include <string>

#include "core/settings/NumberText.h"

namespace vexora {

// MT19937-64 written out rather than std::mt19937_64 with a distribution:
// the standard distributions may differ between libraries, and a seed in
// the log must give the same noise wherever the file is made again.
UniformNumbers::UniformNumbers(std::uint64_t seed) : index_(312)
{
    state_[0] = seed;
    for (int i = 1; i < 312; ++i)
        state_[i] = 6364136223846793005ULL * (state_[i - 1] ^ (state_[i - 1] >> 62)) + static_cast<std::uint64_t>(i);
}

double UniformNumbers::next()
{
    constexpr std::uint64_t upper = 0xFFFFFFFF80000000ULL, lower = 0x7FFFFFFFULL;
    if (index_ >= 312) {
        for (int i = 0; i < 312; ++i) {
            const std::uint64_t x = (state_[i] & upper) | (state_[(i + 1) % 312] & lower);
            std::uint64_t next = state_[(i + 156) % 312] ^ (x >> 1);
            if (x & 1) next ^= 0xB5026F5AA96619E9ULL;
            state_[i] = next;
        }
        index_ = 0;
    }
    std::uint64_t x = state_[index_++];
    x ^= (x >> 29) & 0x5555555555555555ULL;
    x ^= (x << 17) & 0x71D67FFFEDA60000ULL;
    x ^= (x << 37) & 0xFFF7EEE000000000ULL;
    x ^= x >> 43;
    return static_cast<double>(x >> 11) * 0x1.0p-53;  // 53 bits: [0, 1)
}

double polarNormal(UniformNumbers& uniform)
{
    double u1 = 0, s = 2;
    // s = 0 would divide by zero; it is as unlikely as any other point.
    while (s >= 1 || s == 0) {
        u1 = 2 * uniform.next() - 1;
        const double u2 = 2 * uniform.next() - 1;
        s = u1 * u1 + u2 * u2;
    }
    return u1 * std::sqrt(-2 * std::log(s) / s);
}

std::uint64_t freshNoiseSeed()
{
    std::random_device device;
    // Kept below 2^53 so that the seed reads back exactly from any number field.
    return ((static_cast<std::uint64_t>(device()) << 32) | device()) & ((1ULL << 53) - 1);
}

bool addModelledNoise(QuadrupoleTable& table, const NoiseRequest& noise, std::string_view saveName, MessageLog& log)
{
    if (noise.percent == 0 && noise.constant == 0) return false;
    UniformNumbers uniform(noise.seed);
    for (double& r : table.calcResistance) r += r * noise.percent / 500 * polarNormal(uniform) + noise.constant;
    log.subWriteToTextBox("Noise added." + std::string(kLineBreak) + "Noise of the save " + std::string(saveName) +
                          ": standard deviation " + formatNumber(noise.percent / 5) +
                          " % of each calculated resistance, constant " + formatNumber(noise.constant) +
                          " ohm, seed " + std::to_string(noise.seed) + " (" +
                          std::to_string(table.calcResistance.size()) + " values)." + kLineBreak);
    return true;
}

}  // namespace vexora
