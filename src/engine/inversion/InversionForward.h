#pragma once
// What the inversion loop needs of a forward model: the modelled V/I of a
// parameter vector, the sensitivities about the last kept model, and the
// parameters laid out as a grid for the roughness. The 3D mesh model and
// the 2.5D line model both serve it, so one loop inverts either.

#include <cstdint>
#include <span>
#include <vector>

#include "core/platform/Feedback.h"
#include "engine/forward/ForwardSettings.h"
#include "engine/forward/QuadrupolePlan.h"
#include "engine/inversion/BlockGrid.h"
#include "engine/inversion/InversionMemory.h"
#include "engine/inversion/Jacobian.h"

namespace vexora {

// Where a parameter lies, for the cumulative sensitivity and the depth of
// investigation: its volume (a 2D cell: its area), its layer (counted from
// the surface) and the depth of its bottom below the surface, and whether
// its horizontal extent meets the electrodes' (the foreground).
struct ParameterPlace {
    double size = 0;
    std::size_t layer = 0;
    double bottom = 0;
    bool underElectrodes = false;
};

class InversionForward {
public:
    virtual ~InversionForward() = default;

    // Reads the forward settings and plans the quadrupoles, every electrode
    // a source; Error logged.
    virtual Status prepare() = 0;

    // One parameter per grid cell, in the grid's order.
    virtual BlockGrid grid() const = 0;
    virtual const ForwardSettings& settings() const = 0;
    virtual const QuadrupolePlan& plan() const = 0;
    virtual std::vector<ParameterPlace> places() const = 0;
    // Memory the sensitivities may take; 0: not limited here.
    virtual std::uint64_t availableBytes() const = 0;
    // What sizes the memory of its models and fields, after prepare() (the
    // data count is the inversion's to fill in).
    virtual InversionSize size() const = 0;

    // V/I of every quadrupole for `conductivity` (one per parameter), the
    // state the sensitivities need of it held as the trial, its progress (by
    // source) reported 0 to 100; Error logged. The abort request is
    // honoured between iterations, not inside a model.
    virtual Status model(std::span<const double> conductivity, const Feedback& progress,
                         std::vector<double>& resistance) = 0;
    // The trial becomes the model the sensitivities are taken about.
    virtual void keepTrial() = 0;
    // The trial is set aside (replacing the one set aside before) so that a
    // later model() does not overwrite it; restoreTrial() makes it the trial
    // again, sparing the solve of a model already modelled.
    virtual void holdTrial() = 0;
    virtual void restoreTrial() = 0;
    // J = d ln |V/I| / d ln sigma of the quadrupoles `rows` about the kept
    // model, whose conductivity and V/I are given; its progress reported 0
    // to 100 from the calling thread.
    virtual void jacobian(std::span<const double> conductivity, std::span<const std::size_t> rows,
                          std::span<const double> resistance, const Feedback& progress, Jacobian& j) = 0;
};

}  // namespace vexora
