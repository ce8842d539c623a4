#pragma once
// A measuring sequence designed on an electrode layout: the quadrupoles of
// the chosen arrays within the instrument's limits, grouped by current
// injection, with the figures that decide field time and depth.
//
// Arrays, with a the dipole length and n the separation factor, both in
// electrode spacings along a line, i the first electrode:
//   dipole-dipole   A B = i, i+a        M N = i+(n+1)a, i+(n+2)a
//   Wenner          A M N B = i, i+s, i+2s, i+3s for every spacing s = n a
//   Schlumberger    A M N B = i, i+na, i+(n+1)a, i+(2n+1)a
//   pole-dipole     A = i, B remote, M N = i+na, i+(n+1)a, and mirrored (i-na, i-(n+1)a)
//   gradient        A B = i, i+(n_max+2)a, M N = i+ka, i+(k+1)a for k = 1..n_max
// and for lines side by side (a grid's rows, a file's cables) p < q, at most
// `lineGap` lines apart:
//   equatorial      A B on line p at i, i+a; M N on line q at i, i+a
//   cross-line      A B on line p at i, i+a; M N on line q at i+ka, i+(k+1)a,
//                   0 < |k| <= n_max

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/log/MessageLog.h"
#include "core/sequence/ElectrodeLayout.h"

namespace vexora {

enum class ArrayKind { DipoleDipole, Wenner, Schlumberger, PoleDipole, Gradient, Equatorial, CrossLine };
inline constexpr int kArrayKinds = 7;
const char* arrayName(ArrayKind kind);

struct SequenceOptions {
    std::vector<ArrayKind> arrays;
    int aMin = 1, aMax = 1;  // dipole lengths, electrode spacings
    int nMin = 1, nMax = 6;  // separation factors
    int lineGap = 1;         // lines apart for the equatorial and cross-line arrays
    int channels = 1;        // potential dipoles read at one current injection
    double minAbsK = 0;      // |K| below: the potential may overrange the receiver (0: no limit)
    double maxAbsK = 0;      // |K| above: the signal sinks into noise (0: no limit)
    bool reciprocals = false;
};

// Electrode rows of one quadrupole, in the order A, B, M, N.
struct DesignedQuadrupole {
    std::int32_t pole[4] = {};
    bool operator==(const DesignedQuadrupole&) const = default;
};

struct SequenceSummary {
    std::size_t quadrupoles = 0;   // all, reciprocals included
    std::size_t normal = 0;        // the first `normal` rows; the reciprocals follow
    std::size_t injections = 0;    // current injections with `channels` readings each at most
    std::size_t outsideKLimits = 0;
    double depthOfInvestigation = 0;  // the deepest median depth of investigation (m)
    std::size_t perArray[kArrayKinds] = {};  // normal quadrupoles each array gave
};

struct SequenceDesign {
    ElectrodeLayout layout;  // with the remote electrode when a pole array asked for it
    std::vector<DesignedQuadrupole> quadrupoles;
    std::vector<double> geometricFactors;  // per quadrupole
    SequenceSummary summary;
};

// Generates the sequence: every array in order, a quadrupole that an earlier
// one already gave (Wenner and Schlumberger at n = 1) kept once, those
// outside the |K| limits left out, then the current injections grouped
// (each quadrupole sharing A and B follows the first one), then the
// reciprocals (M N A B of every normal quadrupole) grouped the same way.
// Error, with the reason logged, for options no instrument could run.
Status designSequence(const ElectrodeLayout& layout, const SequenceOptions& options, SequenceDesign& design,
                      MessageLog& log);

// The report of a design, one figure a line: quadrupoles (with the
// reciprocals among them), current injections, depth of investigation, then
// the quadrupoles of each array that gave any and those the |K| limits left out.
std::vector<std::string> summaryLines(const SequenceSummary& summary);

// How many quadrupoles of the design use each electrode row (any pole):
// the plan shows where the sequence looks.
std::vector<std::size_t> electrodeUse(const SequenceDesign& design);

// Current injections of `quadrupoles` as an instrument reads them in order:
// a new one wherever A or B changes or `channels` readings are full.
std::size_t countInjections(const std::vector<DesignedQuadrupole>& quadrupoles, int channels);

}  // namespace vexora
