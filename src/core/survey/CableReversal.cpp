#include "core/survey/CableReversal.h"

#include <algorithm>
#include <climits>
#include <map>

namespace vexora {

Status reverseCable(Survey& survey, std::int32_t cable, MessageLog& log)
{
    constexpr const char* kSource = "reverseCable";
    std::int64_t lowest = LLONG_MAX, highest = LLONG_MIN;
    std::vector<std::int32_t> numbers;
    for (const Electrode& e : survey.electrodes)
        if (e.cable == cable) {
            lowest = std::min<std::int64_t>(lowest, e.number);
            highest = std::max<std::int64_t>(highest, e.number);
            numbers.push_back(e.number);
        }
    const std::string name = cable >= 1 && static_cast<std::size_t>(cable) <= survey.cableNames.size()
                                 ? survey.cableNames[static_cast<std::size_t>(cable - 1)]
                                 : std::to_string(cable);
    if (numbers.empty()) return log.error(kSource, "Cable " + name + " has no electrodes to reverse.");
    std::sort(numbers.begin(), numbers.end());

    std::vector<Quadrupole> rows = survey.quadrupoles.rows;
    for (Quadrupole& q : rows)
        for (ElectrodeRef& ref : q.pole) {
            if (ref.cable != cable) continue;
            const std::int64_t mirrored = lowest + highest - ref.number;
            if (!std::binary_search(numbers.begin(), numbers.end(), mirrored))
                return log.error(kSource, "Cable " + name + " cannot be reversed: quadrupole " + std::to_string(q.id) +
                                              " names electrode " + std::to_string(ref.number) +
                                              ", whose mirror " + std::to_string(mirrored) + " is not on the cable.");
            ref.number = static_cast<std::int32_t>(mirrored);
        }
    survey.quadrupoles.rows = std::move(rows);
    return Status::Ok;
}

std::vector<std::int32_t> reversibleCables(const Survey& survey)
{
    std::map<std::int32_t, std::size_t> count;
    for (const Electrode& e : survey.electrodes) ++count[e.cable];
    std::vector<std::int32_t> cables;
    for (const auto& [cable, electrodes] : count)
        if (electrodes >= kShortestReversibleCable) cables.push_back(cable);
    return cables;
}

}  // namespace vexora
