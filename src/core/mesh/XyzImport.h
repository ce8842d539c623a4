#pragma once
// The XYZ model import: a mesh built from the current settings takes its
// model from a gridded list of points (x, y, z, resistivity and optionally
// an IP value, in columns the user names).

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/log/MessageLog.h"
#include "core/mesh/Mesh.h"
#include "core/platform/Questions.h"
#include "core/mesh/Models.h"
#include "core/settings/SettingsTable.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

inline constexpr std::string_view kLoadXyzSource = "Explorer - Load XYZ";

struct XyzPoint {
    double x = 0, y = 0, z = 0;
    double resistivity = 0;
    double ip = 0;
    bool hasIp = false;
};

// 1-based columns of the file; ip 0 when not read.
struct XyzColumns {
    int x = 1, y = 2, z = 3, resistivity = 4, ip = 0;
};

// Tokens of the first line that holds any (the file's column count), 0 for
// a file without one.
int xyzColumnCount(std::string_view text);

// "dx dy dz": three positive numbers, or nothing.
std::optional<std::array<double, 3>> parseXyzGridSize(std::string_view answer);

// The columns answer: four numbers (five with `withIp` when given), each in
// 1..columnCount; nothing when unusable.
std::optional<XyzColumns> parseXyzColumns(std::string_view answer, int columnCount, bool withIp);

// The points of the text. Lines with fewer than four numbers, or a
// resistivity of 0 (no value), are skipped silently; a line too short for a
// named column, or with a text that is not a number in one, is skipped with
// a warning (the first five listed, then a count). Nothing, with an error
// naming the line, at a number that is not finite, or a resistivity that is
// negative or whose conductivity no double holds.
std::optional<std::vector<XyzPoint>> readXyzPoints(std::string_view text, const XyzColumns& columns, MessageLog& log);

// Every block first takes 1/background resistivity (and the background IP
// already divided by the IP scale), then the values of a point lying within
// half the spacing of the block centre (the mean of its eight nodes) in x, y
// and z, the last such point in file order winning: conductivity 1/rho and
// IP / `ipScale` when the point has one. Points are binned by spacing, so the
// cost is near linear. Returns the number of points that fell in no block.
std::size_t assignXyzModel(const Mesh& mesh, const std::vector<XyzPoint>& points, const std::array<double, 3>& spacing,
                           double backgroundResistivity, double backgroundIpScaled, double ipScale,
                           std::vector<double>& conductivity, std::vector<double>* ip);

// subImportXYZ after its open dialog: asks the grid size and the columns,
// builds the mesh as the mesh workspace does, assigns the model, marks it
// imported and refreshes the starting model. `kind` 1 reads resistivity only.
// Returns Ok on success; Error when cancelled, refused (with its message box) or
// failed (logged under kLoadXyzSource).
Status subImportXYZ(const std::filesystem::path& path, int kind, SettingsTable& settings, Survey& survey, Mesh& mesh,
                    Models& models, Questions& questions, MessageLog& log);

}  // namespace vexora
