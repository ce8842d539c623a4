#pragma once
// The 2.5D forward model of a survey whose electrodes lie on one line
// (ElectrodeLine.h): conductivity per cell of a grid in the vertical plane
// under the line (LineGrid.h), three-dimensional sources, pole solutions in
// the wavenumber domain (LinePoles.h) transformed back by the survey's
// wavenumbers (LineWavenumbers.h). The half-space part of every potential
// is taken in closed form; only the secondary field goes through the
// wavenumber sum.

#include <span>
#include <string_view>
#include <vector>

#include "core/mesh/Mesh.h"
#include "core/mesh/Models.h"
#include "engine/forward/ForwardModel.h"
#include "engine/forward/ForwardSettings.h"
#include "engine/forward/QuadrupolePlan.h"
#include "engine/forward2d/ElectrodeLine.h"
#include "engine/forward2d/LinePoles.h"

namespace vexora {

struct LineModel {
    LineGrid grid;
    std::vector<double> conductivity;  // per cell
    std::vector<double> ip;            // per cell, when IP is modelled
    double ipScale = kDefaultIpScale;
};

struct LineSetup {
    ForwardSettings settings;
    QuadrupolePlan plan;
    std::vector<LinePoint> at;  // per plan electrode
    Wavenumbers wavenumbers;
};

// The wavenumbers for electrodes at positions `s` along the line: distances
// from the shortest spacing to twice the spread. Ten wavenumbers left
// errors of up to 1 % in wide dipole-dipole spreads over layers, twelve
// below 0.1 %.
inline constexpr int kLineWavenumbers = 12;
Wavenumbers surveyWavenumbers(std::span<const double> s);

// Reads the forward settings, plans the quadrupoles and places the
// electrodes on the grid. With `everyElectrodeASource` every electrode of
// the plan gets a pole solution (sensitivities need them all).
Status prepareLineForward(const ElectrodeLine& line, const LineModel& model, const Survey& survey,
                          const SettingsTable& settings, bool everyElectrodeASource, std::string_view source,
                          MessageLog& log, LineSetup& setup);

// V/I per quadrupole for `conductivity` (`kCannotCompute` where it cannot
// be computed). `onField`, when given, sees every pole solution too.
Status lineResistances(const LineGrid& grid, const LineSetup& setup, std::span<const double> conductivity,
                       const ComputeControl& control, int from, int to, std::string_view source, MessageLog& log,
                       std::vector<double>& resistance, const LineFieldSink& onField = {});

// The forward model of the line: as runForwardModel, for a line model.
Status runLineForwardModel(const ElectrodeLine& line, const LineModel& model, const Survey& survey,
                           const SettingsTable& settings, MessageLog& log, const ComputeControl& control,
                           CalculatedData& calculated);

// The line model under `line` of the 3D `models` on `mesh`: the grid's depth
// lines are the mesh's Z lines below its top, its surface the mesh's top
// surface under the line, and every cell takes the block holding its centre
// (the nearest block where the line grid reaches beyond the mesh). Error,
// logged, without a mesh or with a model of another size.
Status sampleLineModel(const Mesh& mesh, const Models& models, const ElectrodeLine& line, const Survey& survey,
                       MessageLog& log, LineModel& model);

// The way back: per block of the mesh (which must have one), the cell of
// `grid` at the block centre's depth below the top of its column, under the
// centre's projection onto the line (the nearest cell beyond the grid). A
// line model holds the ground to be the same across the line, so every
// block takes the cell it lies beside.
std::vector<std::size_t> lineCellsOfBlocks(const Mesh& mesh, const ElectrodeLine& line, const LineGrid& grid);

}  // namespace vexora
