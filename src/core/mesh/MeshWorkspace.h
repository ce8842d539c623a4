#pragma once
// What the mesh workspace computes: its fields written back into the
// settings (sizes, foreground box, pad lists), the line lists split into
// pad and foreground columns, single lines inserted or edited, anomaly rows
// inserted and deleted in step with their count, the background values, the
// labels of counts, memory and plotted region. The window only gathers the
// typed text and shows what these return.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/log/MessageLog.h"
#include "core/mesh/Mesh.h"
#include "core/mesh/MeshSettings.h"
#include "core/settings/SettingsTable.h"

namespace vexora {

enum class MeshAxis { X = 0, Y = 1, Z = 2 };

// The typed text of the settings fields. `zMin` is used with a flat
// foreground bottom only; `zMaxOrDepth` is the foreground top then, the depth
// of investigation otherwise.
struct MeshWorkFields {
    std::array<std::string, 3> sizes;              // dx, dy, dz
    std::array<std::string, 4> box;                // x min, x max, y min, y max
    std::string zMin, zMaxOrDepth;
    std::array<std::string, 5> pads;               // -X, +X, -Y, +Y, -Z
};

MeshWorkFields meshWorkFields(const SettingsTable& settings);

struct MeshApplyOutcome {
    // The messages of the error boxes, in order: a size that is not positive
    // (the stored size is kept), a pad list with a negative value (the stored
    // list is kept), then MakeMeshXYZ's refusal when it made no lines.
    std::vector<std::string> refusals;
    bool linesMade = false;
};

// The apply command: stores what is usable, then makes the lines from the
// settings as applyMeshSettings does (the node mesh is dropped; on a refusal,
// logged there, the lines stay empty) and clears the user-defined flag.
MeshApplyOutcome applyMeshWorkFields(const MeshWorkFields& fields, SettingsTable& settings, Mesh& mesh,
                                     MessageLog& log);

// One axis's lines in the grid's columns: below the foreground, inside it
// (edges included), above it. Z has no upper pads: its columns are the
// foreground lines and those below the foreground bottom.
struct LineColumns {
    std::vector<double> low, foreground, high;
};
LineColumns lineColumns(const MeshLines& lines, const ForegroundBox& box, MeshAxis axis);

// A line coordinate as the grids show it: rounded to the 1e-6 m within which
// two lines are one, so the sums that make the lines show no rounding noise.
std::string lineCoordinateText(double value);

// Appends `value`, drops near-duplicates (1e-6 m), sorts (Z descending).
void insertMeshLine(MeshLines& lines, MeshAxis axis, double value);

enum class LineColumn { Low, Foreground, High };

// The edit of one line in a grid column: nothing when `value` may replace the
// line (the list is then re-sorted and near-duplicates dropped), otherwise the
// refusal. A foreground line must lie within the foreground, a pad line beyond
// its edge; the value must be a finite number.
std::optional<std::string> editMeshLine(MeshLines& lines, const ForegroundBox& box, MeshAxis axis, LineColumn column,
                                        std::size_t row, double value);

// The anomaly fields as typed: x min, x max, y min, y max, z min, z max,
// value and (resistivity only, optional) radius.
using AnomalyFields = std::array<std::string, 8>;

// Appends a valid anomaly below the last row of its kind and raises the
// count; the refusal otherwise, with the table untouched.
std::optional<std::string> insertAnomalyRow(SettingsTable& settings, bool resistivity, const AnomalyFields& fields);

// Removes the `index`-th (0-based) anomaly row of the kind and lowers the
// count; false (table untouched) when there is no such row.
bool deleteAnomalyRow(SettingsTable& settings, bool resistivity, std::size_t index);

// The anomaly rows of the kind as the table holds them, as many as counted.
std::vector<std::vector<double>> anomalyRows(const SettingsTable& settings, bool resistivity);

// "Negative value for background!" or nothing (both stored).
std::optional<std::string> applyBackground(SettingsTable& settings, const std::string& resistivity,
                                           const std::string& ip);

// "Plotted region:\nX(m): A B\nY(m): C D\n" then "Depth of inv.(m): E" or
// "Z(m): F G" with a flat foreground bottom.
std::string plottedRegionText(const SettingsTable& settings);

// Node and block counts of the lines, the memory the node mesh needs, and
// whether that exceeds the memory this machine has left (0: unknown).
struct MeshSizeLabels {
    std::string nodes, blocks, memory, tooltip;
    bool tooLarge = false;
};
MeshSizeLabels meshSizeLabels(const MeshLines& lines, std::uint64_t availableBytes);

}  // namespace vexora
