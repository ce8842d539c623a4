#pragma once
// The starting model: every block's conductivity (and IP value) from the
// background values and the box-shaped anomalies of the settings table.

#include <vector>

#include "core/log/MessageLog.h"
#include "core/mesh/Mesh.h"
#include "core/mesh/Models.h"
#include "core/settings/SettingsTable.h"

namespace vexora {

inline constexpr std::string_view kStartingModelSource = "Fill Resistivity and IP blocks";

// One anomaly row: a box and the value its blocks take.
struct Anomaly {
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0, zMin = 0, zMax = 0;
    double value = 0;  // resistivity (ohm m) or IP value
    bool valid = false;
};

// The anomaly rows below the resistivity (or IP) count row, as many as the
// count says and the table holds. A row is not valid, with a warning, when it
// holds fewer than 7 numbers, a bound pair is reversed, the resistivity is
// not positive (the IP value negative), or a resistivity row gives a radius
// (8 numbers): radius anomalies are not supported.
std::vector<Anomaly> readAnomalies(const SettingsTable& table, bool resistivity, MessageLog& log);

// Fills `models` for the mesh: every block takes 1/background resistivity
// (and, with IP modelling on, background IP / IP scale), then the value of
// each valid anomaly whose box holds the block's centre strictly inside, a
// later anomaly over an earlier one. The centre is the mean of the block's
// eight nodes when `#add_anomalies_to_flat_grid` is 2 (anomalies follow the
// terrain), otherwise the midpoint of its lines. An imported model is kept,
// unless its size no longer matches the mesh: then it is dropped with a
// warning, its model type item set back to "0-Standard", and the starting
// model takes its place. With IP modelling off the
// IP model is a single 0.
//
// Returns Ok; Error with an error logged and `models` untouched when there is no
// complete mesh, the background resistivity is not positive, or (with IP
// modelling on) the IP scale is not positive.
Status FillResistivityAndIPBlocks(SettingsTable& table, const Mesh& mesh, Models& models, MessageLog& log);

}  // namespace vexora
