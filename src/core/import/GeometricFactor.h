#pragma once
// Geometric factors: apparent resistivity = K * V/I, with K fixed by where the
// four electrodes of a quadrupole stand.
//
//   S = 1/AM - 1/AN - 1/BM + 1/BN + 1/A'M - 1/A'N - 1/B'M + 1/B'N,  K = 4 pi / S
//
// where A' and B' are the images of the current electrodes mirrored at their
// terrain elevation. An absent pole (an electrode that is not in the table)
// stands infinitely far away, so its terms vanish.

#include <vector>

#include "core/survey/SurveyTables.h"

namespace vexora {

// The value of pi the factors have always been computed with; kept so that
// apparent resistivities written earlier read back to the same V/I.
inline constexpr double kGeometricPi = 3.1416;
// Marks a factor (or any value) that cannot be computed.
inline constexpr double kCannotCompute = 1000000000.0;

struct Point3 {
    double x = 0, y = 0, z = 0;
};

// K of one quadrupole. `present[p]` false: pole p is absent. With ignoreZ
// only horizontal distances count and the images coincide with the poles.
// `elevationA`, `elevationB` are the terrain elevations of A and B.
double geometricFactor(const Point3 pole[4], const bool present[4], double elevationA, double elevationB,
                       bool ignoreZ);

// K of every quadrupole of the survey (indexed like the quadrupole rows).
std::vector<double> funGeometricFactor(const Survey& survey, bool ignoreZ);
// K of the quadrupole `row`.
double geometricFactorOfRow(const Survey& survey, std::size_t row, bool ignoreZ);

// How much of the pole potentials cancels in each quadrupole's V/I (with z):
// sum |terms| / |S|, which is |K| / K0 with K0 = 4 pi / sum |terms| the factor
// the same distances would give without cancellation. 1 for a pole-pole,
// 3 for a Wenner, about 160 for a dipole-dipole at n = 8, and thousands for
// a potential dipole lying almost on an equipotential of the current
// dipole: an error of a fraction of a percent in the potentials becomes
// this many times larger in V/I. kCannotCompute where K cannot be computed.
std::vector<double> cancellationFactors(const Survey& survey);

}  // namespace vexora
