#include "core/fielddata/Removal.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "core/qc/ReciprocalCheck.h"

namespace vexora {

namespace {

bool relates(double value, Relation relation, double threshold)
{
    switch (relation) {
    case Relation::Less: return value < threshold;
    case Relation::Equal: return value == threshold;
    case Relation::Greater: return value > threshold;
    }
    return false;
}

// The column a quantity reads and whether its absolute value is compared.
struct QuantitySource {
    int column;
    bool absolute;
};
QuantitySource sourceOf(RemovalQuantity q)
{
    switch (q) {
    case RemovalQuantity::V: return {ColVoltage, false};
    case RemovalQuantity::AbsV: return {ColVoltage, true};
    case RemovalQuantity::I: return {ColCurrent, false};
    case RemovalQuantity::AbsI: return {ColCurrent, true};
    case RemovalQuantity::Resistance: return {ColResistance, false};
    case RemovalQuantity::AbsResistance: return {ColResistance, true};
    case RemovalQuantity::K: return {ColFactor, false};
    case RemovalQuantity::AbsK: return {ColFactor, true};
    case RemovalQuantity::Rho: return {ColRho, false};
    case RemovalQuantity::AbsRho: return {ColRho, true};
    case RemovalQuantity::Ip: return {ColIp, false};
    case RemovalQuantity::AbsIp: return {ColIp, true};
    case RemovalQuantity::Q: return {ColQ, false};
    default: return {-1, false};
    }
}

bool needsReciprocals(const RemovalRule& rule)
{
    return rule.mode == RemovalMode::NoReciprocal || rule.mode == RemovalMode::Duplicated ||
           (rule.mode == RemovalMode::Measure && (rule.quantity == RemovalQuantity::AbsRecDiff ||
                                                  rule.quantity == RemovalQuantity::PercRecDiff));
}

bool usesElectrode(const Quadrupole& quad, std::int32_t cable, std::int32_t electrode)
{
    for (const ElectrodeRef& pole : quad.pole)
        if ((cable == 0 || pole.cable == cable) && (electrode == 0 || pole.number == electrode)) return true;
    return false;
}

}  // namespace

RemovalStatus computeRemovalStep(const RemovalRule& rule, const Survey& survey, const ReciprocalPairing& reciprocals,
                                 const FieldDataValues& values, RemovalStep& step)
{
    const QuadrupoleTable& table = survey.quadrupoles;
    const std::size_t count = table.size();
    if (needsReciprocals(rule) && (!reciprocals.calculated || reciprocals.partnerId.size() != count))
        return RemovalStatus::ReciprocalsNeeded;
    step.skip = table.skip;
    step.skip.resize(count, 0);

    const FieldDataRefs refs{survey, reciprocals, values};
    const QuantitySource source = sourceOf(rule.quantity);
    const std::vector<std::int32_t> noPartners;
    auto matches = [&](std::size_t r) {
        switch (rule.mode) {
        case RemovalMode::Electrode: return usesElectrode(table.rows[r], rule.cable, rule.electrode);
        case RemovalMode::NoReciprocal: return reciprocals.partnerId[r] == kNoQuadrupoleId;
        case RemovalMode::Duplicated: return reciprocals.duplicateOf[r] != kNoQuadrupoleId;
        case RemovalMode::Range: {
            const double v = quadValue(refs, rule.column, r, rule.ipWindow, noPartners);
            if (std::isnan(v)) return false;
            const bool inside = v >= rule.lower && v <= rule.upper;
            return rule.outside ? !inside : inside;
        }
        case RemovalMode::Measure: break;
        }
        double v;
        if (rule.quantity == RemovalQuantity::AbsRecDiff || rule.quantity == RemovalQuantity::PercRecDiff) {
            // Unpaired rows and undefined differences have no difference to compare.
            if (reciprocals.partnerId[r] == kNoQuadrupoleId) return false;
            v = rule.quantity == RemovalQuantity::AbsRecDiff ? std::abs(reciprocals.absDiff[r])
                                                             : reciprocals.percDiff[r];
            if (v == kUndefinedDifference) return false;
        } else {
            v = quadValue(refs, source.column, r, rule.ipWindow, noPartners);
            if (source.absolute) v = std::abs(v);
        }
        return relates(v, rule.relation, rule.threshold);  // NaN relates to nothing
    };

    step.removed = 0;
    for (std::size_t r = 0; r < count; ++r) {
        std::int16_t& flag = step.skip[r];
        if (flag != 0) {
            if (flag > 0 && flag < INT16_MAX) ++flag;  // a negative flag from a file stays as it is
        } else if (matches(r)) {
            flag = 1;
            ++step.removed;
        }
    }
    step.averageDuplicates = values.averageDuplicates || rule.mode == RemovalMode::Duplicated;
    return RemovalStatus::Ok;
}

void takeRemovalStep(RemovalStep&& step, QuadrupoleTable& table, FieldDataValues& values)
{
    table.skip = std::move(step.skip);
    values.averageDuplicates = step.averageDuplicates;
}

RemovalStatus applyRemoval(const RemovalRule& rule, Survey& survey, const ReciprocalPairing& reciprocals,
                           FieldDataValues& values, std::size_t* removedNow)
{
    RemovalStep step;
    const RemovalStatus status = computeRemovalStep(rule, survey, reciprocals, values, step);
    if (status != RemovalStatus::Ok) return status;
    if (removedNow) *removedNow = step.removed;
    takeRemovalStep(std::move(step), survey.quadrupoles, values);
    return RemovalStatus::Ok;
}

void undoRemoval(QuadrupoleTable& table)
{
    for (std::int16_t& flag : table.skip)
        if (flag > 0) --flag;
}

void resetRemoval(QuadrupoleTable& table, FieldDataValues& values)
{
    table.skip.assign(table.size(), 0);
    values.averageDuplicates = false;
}

RemovalCounters removalCounters(const QuadrupoleTable& table)
{
    RemovalCounters c;
    c.total = table.size();
    for (std::int16_t flag : table.skip) c.removed += flag != 0;
    return c;
}

std::string RemovalCounters::totalText() const { return "Total removed: " + std::to_string(removed); }

std::string RemovalCounters::percentText() const
{
    if (total == 0 || removed == 0) return "% removed: 0";
    const double percent = std::round(10000.0 * static_cast<double>(removed) / static_cast<double>(total)) / 100;
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", percent);
    std::string s = text;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return "% removed: " + s;
}

}  // namespace vexora
