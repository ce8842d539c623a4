#pragma once
// The DC/IP forward model: the calculated V/I of every quadrupole (and,
// with IP modelling on, the calculated apparent chargeability) for a
// conductivity model on a mesh.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "core/log/MessageLog.h"
#include "core/mesh/Mesh.h"
#include "core/mesh/Models.h"
#include "core/platform/Feedback.h"
#include "core/survey/SurveyTables.h"
#include "core/settings/SettingsTable.h"
#include "engine/parallel/Ranks.h"

namespace vexora {

// The feedback of a long computation, with the memory it may use and the
// processes it is shared among.
struct ComputeControl : Feedback {
    // Memory the computation may use; 0: what /proc/meminfo says is available.
    std::uint64_t memoryLimitBytes = 0;
    const Ranks* ranks = &singleProcess();
};

// What a model gives the survey: its calculated columns, in quadrupole order.
struct CalculatedData {
    std::vector<double> resistance;  // V/I
    std::vector<double> ip;          // apparent chargeability; empty when IP was not modelled
};

// Puts `data` into the survey's calculated columns and marks them present;
// the calculated IP only when `data` has it (otherwise it stays as it was).
void storeCalculatedData(Survey& survey, CalculatedData data);

// One pass of a forward model: V/I of every quadrupole over `conductivity`
// (`charged`: the IP pass over sigma (1 - eta)), reporting progress from
// `from` to `to` percent.
using ResistancePass = std::function<Status(std::span<const double> conductivity, bool charged, int from, int to,
                                            std::vector<double>& resistance)>;

// The calculated columns from one or two passes: V/I over `conductivity`
// and, with `modelIp`, Seigel's apparent chargeability from a second pass
// over sigma (1 - eta), times `ipScale`. Logs the end; Error when a pass
// fails (logged there), `calculated` then untouched.
Status resistanceAndChargeability(std::span<const double> conductivity, std::span<const double> eta, bool modelIp,
                                  double ipScale, const ComputeControl& control, MessageLog& log,
                                  const ResistancePass& pass, CalculatedData& calculated);

// Solves the forward problem of `models` on `mesh` for the quadrupoles of
// `survey` under the forward settings of `settings` ("Model IP Data", the
// boundary conditions, the solver's iterations and threads, "Skip TX
// electrodes with no RX"); `models` gives the conductivity, and with IP
// modelled the chargeability and the IP scale. Reads the survey's
// electrodes, quadrupoles and skip flags.
//
// Returns Ok with `calculated` filled; Error with the reason logged (no mesh,
// model size mismatch, electrodes outside the mesh, a mesh too large for
// the memory, solver failure, abort) and `calculated` untouched.
//
// V/I is for unit current; calculated IP is Seigel's apparent chargeability
// (V(sigma (1 - eta)) - V(sigma)) / V(sigma (1 - eta)) times the IP scale, in
// the units of the measured IP. With "Skip TX electrodes with no RX" = 1,
// quadrupoles flagged skipped are not computed (their calculated values are
// 1000000000, the value that cannot be computed) and current electrodes used
// only by them are not solved for; with 2 every quadrupole is computed.
Status runForwardModel(const Mesh& mesh, const Models& models, const Survey& survey, const SettingsTable& settings,
                       MessageLog& log, const ComputeControl& control, CalculatedData& calculated);

}  // namespace vexora
