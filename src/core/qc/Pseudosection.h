#pragma once
// Pseudosections: every quadrupole of a line drawn at a position along the
// line and a pseudo-depth. The position is midway between the centre of
// the current pair and the centre of the measuring pair (a remote pole
// left out of its pair); the pseudo-depth is the median depth of
// investigation over a homogeneous half-space (Edwards), computed for the
// actual electrode distances, so every array, regular or not, gets its own:
// 0.519 a for Wenner, 0.416 a for dipole-dipole with n = 1, 0.867 a for
// pole-pole.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/log/MessageLog.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

// Depth z_e at which half of a surface array's sensitivity to horizontal
// layers lies above: the cumulative sensitivity of a pole pair at distance
// r is 1 - r / sqrt(r^2 + 4 z^2), summed over the pairs (A or B, M or N)
// with the signs and 1 / r weights of their potentials. `distances` and
// `signs` list the present pairs; 0 when the array measures nothing.
double medianDepthOfInvestigation(const std::vector<double>& distances, const std::vector<int>& signs);

// Cables named "Rem..." hold the remote poles of pole arrays.
bool isRemoteCableName(std::string_view name);

// The electrodes of the quadrupole `row`, A B M N; null for a pole that is
// absent, not among the electrodes, or on a remote cable.
using QuadrupolePoles = std::array<const Electrode*, 4>;
QuadrupolePoles quadrupolePoles(const Survey& survey, std::size_t row);

// The pseudo-depth of a quadrupole: the median depth of investigation for
// the horizontal distances between its present poles; 0 when they measure
// nothing (no current pole or no potential pole).
double quadrupolePseudoDepth(const QuadrupolePoles& poles);

enum class PseudoQuantity { ApparentResistivity, CalculatedResistivity, Chargeability, MisfitPercent };

// "rho", "calc", "ip" (mean of the windows), "misfit" (calculated over
// measured V/I, minus 1, in percent).
bool pseudoQuantityFromName(std::string_view name, PseudoQuantity& quantity);
std::string pseudoQuantityLabel(PseudoQuantity quantity);
inline bool logarithmicScale(PseudoQuantity q)
{
    return q == PseudoQuantity::ApparentResistivity || q == PseudoQuantity::CalculatedResistivity;
}

struct PseudoPoint {
    std::size_t row = 0;  // quadrupole
    double x = 0;         // along the line from its first electrode, m
    double depth = 0;     // pseudo-depth, m, positive down
    double value = 0;
};

struct PseudosectionPanel {
    std::string cable;
    double length = 0;  // of the line, first to last electrode
    std::vector<PseudoPoint> points;
};

// One panel per cable holding quadrupoles whose electrodes all lie on it
// (electrodes of cables named "Rem..." are remote poles and left out).
// Skipped quadrupoles and values that cannot be computed are hidden. With
// `cable` not empty only that cable. Error, logged, when the survey lacks
// the quantity's column or names no such cable; `panels` then untouched.
Status pseudosectionPanels(const Survey& survey, PseudoQuantity quantity, std::string_view cable,
                           std::vector<PseudosectionPanel>& panels, MessageLog& log);

}  // namespace vexora
