#pragma once
// The reciprocal check: every quadrupole A B M N is paired with the
// measurement that swaps the current and potential dipoles (M N A B). In
// theory both give the same transfer resistance, so their difference
// measures the data error.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/import/GeometricFactor.h"  // kCannotCompute
#include "core/log/MessageLog.h"
#include "core/platform/Feedback.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

// Which value is compared: the resistance V/I or the first IP window.
enum class ReciprocalValue { Resistance, FirstIp };

// An ID that is not there: no partner, no duplicate.
inline constexpr std::int32_t kNoQuadrupoleId = INT32_MIN;
// Percentage difference of a pair whose mean is zero, or whose values cannot
// be compared (NaN or the "cannot be computed" marker).
inline constexpr double kUndefinedDifference = -999.0;

// One row of the working table, after normalisation (a < b, m < n).
struct ReciprocalRow {
    std::int32_t id = 0;
    std::int32_t a = 0, b = 0, m = 0, n = 0;  // 1-based electrode rows; 0 for an unknown pole
    ElectrodeRef pole[4];                      // the same poles as cable and electrode number
    std::size_t quadrupoleRow = 0;             // 0-based row of the quadrupole table
    double value = 0;                          // sign changed once per swapped dipole for V/I
    bool available = true;
    double absDiff = 0;
    double percDiff = 0;
    std::int32_t partnerId = kNoQuadrupoleId;
    std::int32_t duplicateOf = kNoQuadrupoleId;
    std::size_t partnerRow = SIZE_MAX;  // index of the partner in `rows`

    bool paired() const { return partnerId != kNoQuadrupoleId; }
};

struct ReciprocalResult {
    ReciprocalValue compared = ReciprocalValue::Resistance;
    std::vector<ReciprocalRow> rows;     // in quadrupole-table order
    std::vector<std::uint32_t> sorted;  // indices of rows in (a, b, m, n) order
    std::size_t pairs = 0;
    std::size_t duplicates = 0;
    std::size_t undefinedPairs = 0;  // pairs with percDiff kUndefinedDifference
};

// Indices of the rows in lexicographic order on (a, b, m, n); rows with
// equal poles keep their table order.
std::vector<std::uint32_t> SortQuad(const std::vector<ReciprocalRow>& rows);
// The same order over four non-negative keys per row.
std::vector<std::uint32_t> SortQuadKeys(const std::vector<std::array<std::int32_t, 4>>& keys);

// Builds the working table, normalises, sorts, pairs, computes differences
// and marks duplicates, in O(n log n). Fails (Error, logged) when the survey has no
// quadrupoles or the chosen values are not loaded; a cancel between the
// passes fails it too, logging nothing.
Status DoReciprocalCheck(const Survey& survey, ReciprocalValue compared, ReciprocalResult& result, MessageLog& log,
                         const Feedback& feedback = {});

// Copies the pairing into the store's per-quadrupole table.
void storePairing(const ReciprocalResult& result, std::size_t quadrupoleCount, ReciprocalPairing& pairing);

// Percentage differences of the paired rows (one per row, so each pair
// counts twice as the statistics of the window do), without undefined ones.
std::vector<double> pairedPercentDifferences(const ReciprocalResult& result);

// Mean of two middle values for even counts; NaN for none. Sorts `values`.
double medianOf(std::vector<double>& values);
// Percentile p (0..100) by linear interpolation between order statistics; NaN for none.
double percentileOf(std::vector<double>& values, double p);

// The statistics text of the window.
std::string reciprocalStatisticsText(const ReciprocalResult& result);

// Table orders of the window's combo box.
enum class ReciprocalOrder { OriginalId, TxRx, PercentDiff, AbsoluteDiff };
// Working-table indices in the chosen order; unpaired rows go last in the
// difference orders.
std::vector<std::size_t> reciprocalOrder(const ReciprocalResult& result, ReciprocalOrder order);

}  // namespace vexora
