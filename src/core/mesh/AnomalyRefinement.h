#pragma once
// Finer mesh lines about an electrode within one element of a side of a
// starting-model anomaly. Where a current electrode stands next to a
// contrast, the secondary field beyond the contrast is nearly singular
// (it is the field of a source just outside it), which elements of the
// interior size cannot follow.

#include <vector>

#include "core/mesh/Mesh.h"
#include "core/mesh/StartingModel.h"
#include "core/settings/SettingsTable.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

struct RefinementZone {
    double dx = 0, dy = 0, dz = 0;  // the interior element sizes
    int elements = 0;               // half-width of the zone in elements; 0: none
};

// The electrodes concerned stand inside a valid anomaly's box widened by one
// element on every axis, within one element of one of its sides. About each,
// on all three axes, every interval of the foreground's lines wider than
// three quarters of the interior size that reaches within `elements` sizes
// of the electrode is halved (so that repeating it adds nothing). Returns the
// number of lines added.
int refineAroundAnomalySides(MeshLines& lines, const ForegroundBox& box, const std::vector<Electrode>& electrodes,
                             const std::vector<Anomaly>& anomalies, const RefinementZone& zone);

// The same with the element sizes, the zone (`#refine_near_anomalies`) and
// the resistivity anomalies of the settings (rows that do not read are left
// out silently: the starting model reports them); nothing for lines edited
// by hand.
int refineNearAnomalies(const SettingsTable& settings, const std::vector<Electrode>& electrodes, Mesh& mesh);

}  // namespace vexora
