#pragma once
// Small numeric array helpers shared by the line generation and the default
// mesh settings.

#include <cstddef>
#include <vector>

namespace vexora {

// start, start+step, start+2step ... by repeated addition (so the rounding of
// each step carries into the next, as the line positions always have), while
// the value is not greater than end + 1e-8. Empty when step is not positive
// or a value is not finite; stops when a step no longer changes the value.
std::vector<double> dFill(double start, double step, double end);

// Values in input order; a value is dropped when an earlier kept value lies
// strictly closer than the tolerance. O(n log n).
std::vector<double> dUnique(const std::vector<double>& values, double tolerance);

std::vector<double> dVecAppend(std::vector<double> a, const std::vector<double>& b);
std::vector<double> dMult(std::vector<double> values, double factor);
std::vector<double> dAdd(std::vector<double> values, double offset);

// Number of values dFill would produce, as a double so that absurd ranges
// can be refused before anything is allocated.
double dFillCount(double start, double step, double end);

}  // namespace vexora
