#pragma once
// Which electrodes the forward model needs and how quadrupoles combine their
// pole solutions: with unit current in at A and out at B,
//
//   V/I = u_A(M) - u_A(N) - u_B(M) + u_B(N),
//
// terms of absent poles (cable 0 or an electrode not in the table) dropped.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/log/MessageLog.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

struct QuadrupolePlan {
    // Per quadrupole: index into `electrodes` of A, B, M, N, or -1 when absent.
    std::vector<std::array<std::int32_t, 4>> pole;
    std::vector<std::uint8_t> computed;     // 0: skipped, left uncomputed
    std::vector<std::int32_t> electrodes;   // survey electrode rows in use
    std::vector<std::int32_t> sourceIndex;  // per used electrode: its row in `sources`, or -1
    std::vector<std::int32_t> sources;      // used electrodes that carry current
    std::vector<std::int32_t> sourceUse;    // per source: computed quadrupoles using it
};

// With `leaveOutSkipped`, quadrupoles flagged skipped are not computed and a
// current electrode that only they use gets no solution.
QuadrupolePlan planQuadrupoles(const Survey& survey, bool leaveOutSkipped);

// Every used electrode becomes a source, as sensitivities need each one's
// field; a measuring electrode's use counts like a current electrode's.
void makeEveryElectrodeASource(QuadrupolePlan& plan);

// The plan of a forward run: Error, logged under `source`, when the survey
// has no quadrupole or none with a current electrode to compute.
Status planForwardQuadrupoles(const Survey& survey, bool leaveOutSkipped, bool everyElectrodeASource,
                              std::string_view source, MessageLog& log, QuadrupolePlan& plan);

// V/I per quadrupole from potential[source * electrodes + electrode] (unit
// current at the source); uncomputed quadrupoles and those with a
// non-finite potential (a pole on a current electrode) get `missing`.
std::vector<double> superpose(const QuadrupolePlan& plan, std::span<const double> potential, double missing);

}  // namespace vexora
