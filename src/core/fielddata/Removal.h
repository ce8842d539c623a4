#pragma once
// Removal of bad measurements in steps. A quadrupole is removed while its
// skip flag is non-zero; rows are never deleted. The flag is also the
// removal level: 1 for the most recent step, higher for older ones, so Undo
// can bring back exactly the last step.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/fielddata/FieldDataTable.h"

namespace vexora {

// Range: the histogram's filter bars on a grid column (see columnStatistics).
enum class RemovalMode { Electrode, Measure, NoReciprocal, Duplicated, Range };

// Quantities of the "Meas." mode, in the order of the window's list.
enum class RemovalQuantity {
    V, AbsV, I, AbsI, Resistance, AbsResistance, K, AbsK, Rho, AbsRho, Ip, AbsIp, Q, AbsRecDiff, PercRecDiff,
};
inline constexpr const char* kRemovalQuantityNames[] = {
    "V", "abs(V)", "I", "abs(I)", "V/I", "abs(V/I)", "K", "abs(K)", "Rho", "abs(Rho)", "IP", "abs(IP)", "q",
    "abs Rec Diff", "% Rec Diff"};
enum class Relation { Less, Equal, Greater };  // "<", "=", ">"

struct RemovalRule {
    RemovalMode mode = RemovalMode::Measure;
    std::int32_t cable = 0;      // Elect.: 1-based cable index, 0 for "all"
    std::int32_t electrode = 0;  // Elect.: electrode number, 0 for "all"
    RemovalQuantity quantity = RemovalQuantity::V;
    Relation relation = Relation::Greater;
    double threshold = 0;
    int ipWindow = 0;  // the IP window "IP" compares
    // Range: values of `column` outside [lower, upper] (or inside, without `outside`).
    int column = 0;
    double lower = 0, upper = 0;
    bool outside = true;
};

enum class [[nodiscard]] RemovalStatus {
    Ok,
    ReciprocalsNeeded,  // the rule needs a reciprocal check that has not run; nothing removed
};
inline constexpr std::string_view kReciprocalsNeeded = "Reciprocals calculation needed.";

// Applies one step: every removed quadrupole goes one level older, then
// every matching quadrupole not removed yet gets level 1. "Remove
// duplicated data points" also sets the duplicate-averaging flag.
// `removedNow` receives how many the step removed.
RemovalStatus applyRemoval(const RemovalRule& rule, Survey& survey, const ReciprocalPairing& reciprocals,
                           FieldDataValues& values, std::size_t* removedNow = nullptr);

// The same step in two halves, so that the long half only reads the tables
// (and may run beside a window that shows them): the new flags computed
// into `step`, then taken into the tables.
struct RemovalStep {
    std::vector<std::int16_t> skip;
    bool averageDuplicates = false;
    std::size_t removed = 0;
};
RemovalStatus computeRemovalStep(const RemovalRule& rule, const Survey& survey, const ReciprocalPairing& reciprocals,
                                 const FieldDataValues& values, RemovalStep& step);
void takeRemovalStep(RemovalStep&& step, QuadrupoleTable& table, FieldDataValues& values);

// Brings back the quadrupoles of the most recent step; older ones stay.
void undoRemoval(QuadrupoleTable& table);

// Brings back every quadrupole and clears the duplicate-averaging flag.
void resetRemoval(QuadrupoleTable& table, FieldDataValues& values);

// "Total removed: N" and "% removed: P" (P with at most two decimals).
struct RemovalCounters {
    std::size_t removed = 0;
    std::size_t total = 0;
    std::string totalText() const;
    std::string percentText() const;
};
RemovalCounters removalCounters(const QuadrupoleTable& table);

}  // namespace vexora
