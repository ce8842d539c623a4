#pragma once
// The mesh-and-model text file (*.vwer) exchanged with the numerical core and
// the viewer: a commented header with the line counts, the node coordinates
// (halo included), the eight corner nodes and the model value of every
// block, then the electrodes and quadrupoles of the survey.
//
// Number fields are fixed: R(w, d) is the value with exactly d decimals,
// padded with blanks on the right to w characters; I(w) an integer (zero
// written as nothing) padded to w; a count line " N ". A block value too
// small for five decimals is written in its shortest exact form ("1e-300").

#include <filesystem>
#include <string>
#include <string_view>

#include "core/log/MessageLog.h"
#include "core/mesh/Mesh.h"
#include "core/mesh/Models.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

enum class MeshFileKind { Resistivity = 1, Ip = 2 };

// Appends R(width, decimals) of `value`; "-0.00000" is written unsigned.
void appendFixedField(std::string& out, double value, int width, int decimals);
// Appends I(width) of `value`.
void appendIntegerField(std::string& out, long long value, int width);

// The whole file for the mesh, its models and the survey. The block value
// is 1/conductivity (resistivity file) or IP x the models' IP scale (IP
// file). `date` follows "# " on line 3.
std::string meshFileText(const Survey& survey, const Mesh& mesh, const Models& models, MeshFileKind kind,
                         std::string_view date);

// Writes the file (today's date) atomically over `path`. Returns Ok; Error with
// an error logged under "OutputGlobalMesh" when there is no complete mesh, an
// IP file is asked for without an IP model of the mesh's size, a block value
// is not finite (no reader takes it back), or the file cannot be written.
// `ipKind` false writes a resistivity file.
Status OutputGlobalMesh(const std::filesystem::path& path, bool ipKind, const Survey& survey, const Mesh& mesh,
                        const Models& models, MessageLog& log);

}  // namespace vexora
