#pragma once
// The DC/IP forward model: the calculated V/I of every quadrupole (and,
// with IP modelling on, the calculated apparent chargeability) for the
// current conductivity model on the current mesh.

#include <cstdint>

#include "core/log/MessageLog.h"
#include "core/platform/Feedback.h"
#include "core/project/ProjectStore.h"

namespace vexora {

// The feedback of a long computation, with the memory it may use.
struct ComputeControl : Feedback {
    // Memory the computation may use; 0: what /proc/meminfo says is available.
    std::uint64_t memoryLimitBytes = 0;
};

// Fills the survey's calculated resistance column (and the calculated IP
// column when "Model IP Data" is 1) from the mesh and models of the store.
// Returns 0; 1 with the reason logged (no mesh, model size mismatch,
// electrodes outside the mesh, a mesh too large for the memory, solver
// failure, abort) and the survey untouched.
//
// V/I is for unit current; calculated IP is Seigel's apparent chargeability
// (V(sigma (1 - eta)) - V(sigma)) / V(sigma (1 - eta)) times the IP scale, in
// the units of the measured IP. With "Skip TX electrodes with no RX" = 1,
// quadrupoles flagged skipped are not computed (their calculated values are
// 1000000000, the value that cannot be computed) and current electrodes used
// only by them are not solved for; with 2 every quadrupole is computed.
int runForwardModel(ProjectStore& store, MessageLog& log, const ComputeControl& control = {});

}  // namespace vexora
