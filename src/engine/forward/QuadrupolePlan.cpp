#include "engine/forward/QuadrupolePlan.h"

#include <cmath>

namespace vexora {

QuadrupolePlan planQuadrupoles(const Survey& survey, bool leaveOutSkipped)
{
    const QuadrupoleTable& q = survey.quadrupoles;
    QuadrupolePlan plan;
    plan.pole.assign(q.size(), {-1, -1, -1, -1});
    plan.computed.assign(q.size(), 1);
    std::vector<std::int32_t> usedIndex(survey.electrodes.size(), -1);
    plan.sourceIndex.reserve(survey.electrodes.size());
    for (std::size_t k = 0; k < q.size(); ++k) {
        if (leaveOutSkipped && k < q.skip.size() && q.skip[k] >= 1) {
            plan.computed[k] = 0;
            continue;
        }
        for (int p = 0; p < 4; ++p) {
            const ElectrodeRef& ref = q.rows[k].pole[p];
            const std::int32_t row = ref.cable == 0 ? -1 : survey.lookup.find(ref.cable, ref.number);
            if (row < 0) continue;
            std::int32_t& used = usedIndex[static_cast<std::size_t>(row)];
            if (used < 0) {
                used = static_cast<std::int32_t>(plan.electrodes.size());
                plan.electrodes.push_back(row);
                plan.sourceIndex.push_back(-1);
            }
            plan.pole[k][static_cast<std::size_t>(p)] = used;
            if (p == A || p == B) {
                std::int32_t& source = plan.sourceIndex[static_cast<std::size_t>(used)];
                if (source < 0) {
                    source = static_cast<std::int32_t>(plan.sources.size());
                    plan.sources.push_back(used);
                    plan.sourceUse.push_back(0);
                }
                ++plan.sourceUse[static_cast<std::size_t>(source)];
            }
        }
    }
    return plan;
}

std::vector<double> superpose(const QuadrupolePlan& plan, std::span<const double> potential, double missing)
{
    const std::size_t electrodes = plan.electrodes.size();
    std::vector<double> v(plan.pole.size(), missing);
    for (std::size_t k = 0; k < plan.pole.size(); ++k) {
        if (!plan.computed[k]) continue;
        const auto& pole = plan.pole[k];
        double sum = 0.0;
        for (int c = A; c <= B; ++c) {
            if (pole[static_cast<std::size_t>(c)] < 0) continue;
            const std::size_t source =
                static_cast<std::size_t>(plan.sourceIndex[static_cast<std::size_t>(pole[static_cast<std::size_t>(c)])]);
            for (int m = M; m <= N; ++m) {
                if (pole[static_cast<std::size_t>(m)] < 0) continue;
                const double sign = (c == A) == (m == M) ? 1.0 : -1.0;
                sum +=
                    sign * potential[source * electrodes + static_cast<std::size_t>(pole[static_cast<std::size_t>(m)])];
            }
        }
        if (std::isfinite(sum)) v[k] = sum;
    }
    return v;
}

void makeEveryElectrodeASource(QuadrupolePlan& plan)
{
    std::vector<std::int32_t> use(plan.electrodes.size(), 0);
    for (std::size_t k = 0; k < plan.pole.size(); ++k)
        if (plan.computed[k])
            for (std::int32_t e : plan.pole[k])
                if (e >= 0) ++use[static_cast<std::size_t>(e)];
    plan.sources.resize(plan.electrodes.size());
    plan.sourceIndex.resize(plan.electrodes.size());
    for (std::size_t e = 0; e < plan.electrodes.size(); ++e)
        plan.sources[e] = plan.sourceIndex[e] = static_cast<std::int32_t>(e);
    plan.sourceUse = std::move(use);
}

Status planForwardQuadrupoles(const Survey& survey, bool leaveOutSkipped, bool everyElectrodeASource,
                              std::string_view source, MessageLog& log, QuadrupolePlan& plan)
{
    if (survey.quadrupoles.size() == 0) return log.error(source, "No quadrupoles to model.");
    plan = planQuadrupoles(survey, leaveOutSkipped);
    if (plan.sources.empty())
        return log.error(source, "No quadrupole has a current electrode to compute (all skipped or absent).");
    if (everyElectrodeASource) makeEveryElectrodeASource(plan);
    return Status::Ok;
}

}  // namespace vexora
