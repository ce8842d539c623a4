#pragma once
// The DC/IP forward model: the calculated V/I of every quadrupole (and,
// with IP modelling on, the calculated apparent chargeability) for the
// current conductivity model on the current mesh.

#include <functional>
#include <string_view>

#include "log/MessageLog.h"
#include "project/ProjectStore.h"

namespace vexora {

// How a long computation reports back: progress in percent with the stage
// it is in, and whether the user asked to stop. Either may be empty.
struct ComputeControl {
    std::function<void(int percent, std::string_view stage)> progress;
    std::function<bool()> abortRequested;
};

// Fills the survey's calculated resistance column (and the calculated IP
// column when "Model IP Data" is 1) from the mesh and models of the store.
// Returns 0; 1 with the reason logged (no mesh, model size mismatch,
// electrodes outside the mesh, solver failure, abort) and the survey
// untouched.
int runForwardModel(ProjectStore& store, MessageLog& log, const ComputeControl& control = {});

}  // namespace vexora
