#pragma once
// The binary model file of the 3D viewer (`modBinOutput`): the nodes and
// blocks of the plotted region, their values, and the electrodes inside it.
//
// Little-endian, absolute byte positions (1-based): a 200-byte file header
// ("V", "X", "R" each followed by a zero byte, version 1 at 7, the date and
// time at 21..31 as six 16-bit values, the data header position 201 at 117
// and the blocks' total size at 121), a 200-byte data header from 201 ("V",
// "W", "R", version at 207, date and time at 221..231, the directory of the
// five blocks at 301: offset then size, offsets counted from position 200),
// then the five blocks from 401. Every block starts with the 32-bit value 1
// and its record count:
//   1 nodes       int32 node number, x, y, z as doubles (28 bytes)
//   2 blocks      eight int32 node numbers (32 bytes)
//   3 values      int32 quantity count q, q names (int32 length + bytes),
//                 then q doubles per block of block 2
//   4 electrodes  int32 cable, int32 number, x, y, z (32 bytes)
//   5 attributes  int16 type, double terrain elevation, int32 cable (14 bytes)
// Header fields not named here are zero.

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/log/MessageLog.h"
#include "core/mesh/Mesh.h"
#include "core/mesh/Models.h"
#include "core/settings/SettingsTable.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

enum class [[nodiscard]] ViewerFileStatus { Written = 0, HeaderFailed = 1, BlockFailed = 2 };

// Year, month, day, hour, minute, second.
using ViewerTimestamp = std::array<std::int16_t, 6>;
ViewerTimestamp currentViewerTimestamp();

// The plotted region: `#plot_bounds` widened by one interior element size on
// every side (bounds inclusive). With `#flat_z_bottom` 2 the plot bounds
// hold a depth: the region then runs from the foreground top minus that
// depth, widened by dz, upward without limit, so terrain is never cut.
struct PlotRegion {
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0, zMin = 0, zMax = 0;
};
PlotRegion viewerPlotRegion(const SettingsTable& table);

// The quantities an inversion adds to its model, per block.
inline constexpr std::string_view kSensitivityQuantity = "Sensitivity";
inline constexpr std::string_view kDoiIndexQuantity = "DOI index";
// What a designed survey would resolve, per block.
inline constexpr std::string_view kResolutionQuantity = "Resolution";

// A further per-block quantity, written after the model's own.
struct BlockQuantity {
    std::string_view name;
    const std::vector<double>* values = nullptr;  // one per block
};

// The file's bytes. Block 1 holds the real nodes inside the region in node
// order, block 2 the blocks whose eight corners all lie inside. For the
// quantity "RHO" the values are "Resistivity" (1/conductivity),
// "Conductivity" and, each when the model has one value per block,
// "Chargeability" (IP x IP scale), "Sensitivity" (the inversion's
// cumulative sensitivity) and "DOI index", then `more`; any other quantity writes
// "Sensitivity" from `sensitivity` (one value per block). Returns ViewerFileStatus::BlockFailed when a
// block's values are missing or a size passes 32 bits.
ViewerFileStatus viewerModelBytes(const SettingsTable& settings, const Survey& survey, const Mesh& mesh,
                                  const Models& models, std::string_view quantity,
                                  const std::vector<double>* sensitivity, const ViewerTimestamp& when,
                                  std::string& bytes, std::span<const BlockQuantity> more = {});

// Writes the file in one buffered pass; ViewerFileStatus::HeaderFailed (logged under
// "modBinOutput") when there is no mesh or the file cannot be written.
ViewerFileStatus modBinOutput(const std::filesystem::path& path, std::string_view quantity,
                              const SettingsTable& settings, const Survey& survey, const Mesh& mesh,
                              const Models& models, MessageLog& log, const std::vector<double>* sensitivity = nullptr,
                              std::span<const BlockQuantity> more = {});

}  // namespace vexora
