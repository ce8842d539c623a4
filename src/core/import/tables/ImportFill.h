#pragma once
// The common last step of every import: geometric factors of the imported
// quadrupoles, the two temporary grids of the field data window and the
// proposed positions of remote electrodes. Also the roto-translation of the
// project's electrodes and topography.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/import/ImportTables.h"
#include "core/log/MessageLog.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

// K of every imported quadrupole. The survey counts as buried when the
// electrodes span at least as much depth as horizontal extent; then the
// images of the current poles are mirrored at z = 0, otherwise they coincide
// with the poles. Absent poles (0 or an unknown number) stand infinitely far
// away. A factor that cannot be computed is kCannotCompute.
std::vector<double> subGF(const std::vector<ImportElectrode>& electrodes,
                          const std::vector<ImportQuadrupole>& quadrupoles);

struct RemoteProposal {
    bool shown = false;
    std::string label;  // panel 2: "Current Pole 2" or "Potential Pole"
    double x = 0, y = 0, z = 0;
};

// The two temporary grids as the window shows them, cell texts included.
struct ImportGrids {
    static constexpr std::array<const char*, 4> kElectrodeColumns = {" ID ", " x(m) ", " y(m) ", " z(m) "};
    static constexpr std::array<const char*, 12> kQuadrupoleColumns = {
        " ID ", " A ", " B ", " M ", " N ", " V (mV)", " I (mA)", " V/I (Ohm)", " K ", " Rho ", " q ", " m "};
    std::vector<std::array<std::string, 4>> electrodes;
    std::vector<std::array<std::string, 12>> quadrupoles;
    std::vector<double> factors;  // K per quadrupole
    RemoteProposal remote1;       // "Current pole" panel
    RemoteProposal remote2;       // second panel
};

// Fills the grids and proposes the remote positions; 0, or 99 (source
// "subFillImportTables") when there is nothing to show.
ImportStatus subFillImportTables(const ImportSet& set, ImportGrids& grids, MessageLog& log);

// Rotates every electrode and topography point about the origin by `angle`
// (counter-clockwise; "DEG" converts it to radians in place), then shifts it
// by the offsets; electrode elevations move with z.
void modRototraslation(Survey& survey, double offsetX, double offsetY, double offsetZ, double& angle,
                       std::string_view unit);

inline constexpr std::string_view kRemoteCableName = "Rem_1";

// Why `name` cannot name the cable of an import, or nothing. A data file
// splits fields at blanks, tabs and commas, starts a comment at "!" and a
// tag at "#", so a cable name is one word of letters, digits, "_", "-" and
// "."; kRemoteCableName belongs to the remote electrodes.
std::optional<std::string> cableNameRefusal(std::string_view name);

// Puts the imported set into the survey on a new cable named `cableName`,
// as the window's Import button does on an empty project (appendImport).
// Replaces whatever the survey held.
void acceptImport(const ImportSet& set, const ImportGrids& grids, const std::string& cableName, Survey& survey);

// Adds the imported electrodes on `cable` (1-based; its name already in the
// cable list) and the imported quadrupoles after the present ones, their IDs
// following the largest present ID. Remote poles go onto a new cable "Rem_n"
// (the first free n: kRemoteCableName on an empty project) at the proposed
// positions; values are V/I (kCannotCompute at zero current), I and m as the
// first IP window, 0 in the value columns the import lacks. Electrodes get
// their z as terrain elevation and the surface type; the lookup is not
// rebuilt. The lines of a 3D layout (set.lines) go on cables of their own:
// the first on `cable`, renamed "<name>_<line>" when it holds no electrode
// yet, the others on new cables "<name>_<line>"; an electrode is then
// numbered along its line.
void appendImport(const ImportSet& set, const ImportGrids& grids, std::int32_t cable, Survey& survey);

// "Rem_" followed by the first number no cable uses yet.
std::string nextRemoteCableName(const std::vector<std::string>& cableNames);

// The instrument's cable was laid the other way round: every present pole of
// the imported quadrupoles is mirrored along the cable as reverseCable does
// (electrode n of 1..N becomes N + 1 - n); positions stay. Error, logged and
// the set untouched, when a mirrored pole names an electrode the set lacks.
Status reverseImportedCable(ImportSet& set, MessageLog& log);

}  // namespace vexora
