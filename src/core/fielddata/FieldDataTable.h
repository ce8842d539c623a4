#pragma once
// The quadrupole table of the field data window: the survey's quadrupoles
// with the values the window keeps beside them (V, q and K per quadrupole),
// the columns as the grid numbers them, and the operations that work on
// whole rows (permuting every per-quadrupole array together, turning
// negative apparent resistivities positive, collecting a column for the
// histogram). Every array is indexed by quadrupole row.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/project/ProjectStore.h"

namespace vexora {

// Values the window keeps for each quadrupole; empty until an import is
// accepted (a loaded data file has no V or q).
struct FieldDataValues {
    std::vector<double> voltage;  // mV
    std::vector<double> q;
    std::vector<double> factor;   // K
    bool averageDuplicates = false;  // set by "Remove duplicated data points", cleared by Reset
};

// Columns of the quadrupole grid, numbered from 0 as the grid shows them.
enum QuadColumn : int {
    ColId = 0,
    ColCableA, ColA, ColCableB, ColB, ColCableM, ColM, ColCableN, ColN,
    ColResistance = 9,
    ColReciprocal = 10,
    ColVoltage = 11,
    ColCurrent = 12,
    ColFactor = 13,
    ColRho = 14,
    ColQ = 15,
    ColIp = 16,
    kQuadColumnCount = 17,
};

// Heads of the grid's columns; the last one is the chosen IP window.
const std::vector<std::string>& quadColumnHeads();

// The table and the window's values seen together.
struct FieldDataRefs {
    const Survey& survey;
    const ReciprocalPairing& reciprocals;
    const FieldDataValues& values;
};

// V/I as measured, or as calculated when the survey has no measured values
// (the survey-design workspace).
const std::vector<double>& measuredResistance(const QuadrupoleTable& table);

// Row of each quadrupole's reciprocal partner, -1 without one (or before a
// reciprocal check).
std::vector<std::int32_t> partnerRows(const Survey& survey, const ReciprocalPairing& reciprocals);

// Value of a value column (9 and above) at `row`: NaN where the table has
// no such value (no reciprocal, no V kept, no IP windows). Rho is K * V/I,
// and kCannotCompute when either cannot be computed. `partner` as from
// partnerRows, only read for column 10.
double quadValue(const FieldDataRefs& refs, int column, std::size_t row, int ipWindow,
                 const std::vector<std::int32_t>& partner);

// Puts row order[k] at row k in every per-quadrupole array: the survey's
// quadrupoles and value columns with skip flags, the window's values and the
// reciprocal pairing. `order` must be a permutation of the rows.
void permuteQuadrupoles(const std::vector<std::uint32_t>& order, Survey& survey, ReciprocalPairing& reciprocals,
                        FieldDataValues& values);

// For every quadrupole with negative Rho: V and V/I change sign (so Rho
// does); nothing else changes. Returns how many changed.
std::size_t setApparentResistivitiesPositive(Survey& survey, FieldDataValues& values);

// The histogram input of a column: its quantity name ("V/I", "V", "I", "K",
// "Rho", "q", "IP") and the values of the unremoved quadrupoles in table
// order; nothing for a column that has no histogram.
struct ColumnStatistics {
    std::string quantity;
    std::vector<double> values;
};
std::optional<ColumnStatistics> columnStatistics(const FieldDataRefs& refs, int column, int ipWindow);

}  // namespace vexora
