#pragma once
// The steps a forward computation shares with the sensitivity and the
// inversion: checking the mesh and models, planning the quadrupoles,
// locating the electrodes, the memory check; then, per model, assembling
// the system and solving the pole fields of a set of electrodes.

#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "engine/forward/ForwardModel.h"
#include "engine/forward/ForwardSettings.h"
#include "engine/forward/ForwardSystem.h"
#include "engine/forward/MeshLocation.h"
#include "engine/forward/PoleFields.h"
#include "engine/forward/QuadrupolePlan.h"

namespace vexora {

struct ForwardSetup {
    ForwardSettings settings;
    QuadrupolePlan plan;
    std::vector<MeshPoint> at;  // per plan electrode
    NodePoint centre;           // of the mixed outer conditions
    std::uint64_t availableBytes = 0;
};

// Checks that `mesh` and `models` describe one another, reads the forward
// settings of `settings`, plans the quadrupoles of `survey`, locates its
// electrodes in the mesh and checks the memory (the limit of `control`).
// With `everyElectrodeASource` every electrode of the plan gets a pole
// solution (reciprocity needs the fields of the measuring electrodes too),
// otherwise only the current electrodes. Returns Ok with `setup` filled, or
// Error with the reason logged under `source`.
Status prepareForward(const Mesh& mesh, const Models& models, const Survey& survey, const SettingsTable& settings,
                      const ComputeControl& control, bool everyElectrodeASource, std::string_view source,
                      MessageLog& log, ForwardSetup& setup);

using PoleFieldSink = std::function<void(std::size_t source, const PoleSource& pole, std::span<const double> us)>;

// One model: assembles the system and solves every source of the plan,
// handing each secondary field to `onField` (source = row of plan.sources).
// Progress runs from `from` to `to` percent under `label`. Returns Ok, or Error
// with the reason logged (solver set-up, no convergence, abort).
Status solveModel(const Mesh& mesh, const ForwardSetup& setup, std::span<const double> conductivity,
                  const ComputeControl& control, int from, int to, std::string_view label, std::string_view source,
                  MessageLog& log, ForwardSystem& system, const PoleFieldSink& onField);

// One model's V/I per quadrupole (the plan's `missing` value where it cannot
// be computed): solveModel with the potentials read at the electrodes.
// `alsoOnField`, when given, sees every secondary field too.
Status modelResistances(const Mesh& mesh, const ForwardSetup& setup, std::span<const double> conductivity,
                        const ComputeControl& control, int from, int to, std::string_view label,
                        std::string_view source, MessageLog& log, ForwardSystem& system,
                        std::vector<double>& resistance, const PoleFieldSink& alsoOnField = {});

}  // namespace vexora
