#include "core/survey/SurveyTables.h"

#include <algorithm>

namespace vexora {

static int rankIn(const std::vector<std::int32_t>& sorted, std::int32_t value)
{
    auto it = std::lower_bound(sorted.begin(), sorted.end(), value);
    if (it == sorted.end() || *it != value) return 0;
    return static_cast<int>(it - sorted.begin()) + 1;
}

int ElectrodeLookup::cableRank(std::int32_t cable) const { return rankIn(cables, cable); }
int ElectrodeLookup::electrodeRank(std::int32_t number) const { return rankIn(numbers, number); }

}  // namespace vexora
