#pragma once
// The numerical core's script language: one command per line (CR LF, LF or
// CR), the command word and its arguments separated by blanks or tabs. A
// path may be written bare when it holds no blank, or in double quotes, a
// double quote inside written twice. Blank lines are skipped.
//
//   SETMESSAGEPATH LOG PROGRESS ABORT   the job's log, progress and abort files
//   LOADCONFIGURATION FILE              a data file: configuration and blocks
//   LOADMESH FILE                       a mesh-and-model text file
//   GENERATEMESH                        the mesh and starting model of the settings
//   RUNFORWARDMODEL                     the calculated columns of every quadrupole
//   RUNINVERSION [2|3|AUTO]             the inversion: 3D (the default), of the
//                                       section under a line, or 2D when the
//                                       electrodes lie on one line
//   GENERATESENSITIVITY FILE            (not available in this version)
//   SAVEMESH FILE BOUNDS BIN            the viewer's binary model of the plotted region
//   SAVEMESH FILE FULL TXT              the mesh-and-model text file of the whole mesh
//   SAVECONFIGURATION FILE [V1]         configuration and blocks with the calculated columns
//
// The whole script is checked before anything runs, so a mistake on the
// last line costs no computing time.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/forward2d/ForwardDimension.h"

namespace vexora {

enum class ScriptVerb {
    SetMessagePath,
    LoadConfiguration,
    LoadMesh,
    GenerateMesh,
    RunForwardModel,
    RunInversion,
    GenerateSensitivity,
    SaveMesh,
    SaveConfiguration,
};

// How SAVEMESH writes: BOUNDS BIN or FULL TXT.
enum class MeshOutput { BoundsBinary, FullText };

struct ScriptCommand {
    std::size_t line = 0;  // 1-based line of the script
    std::string text;      // the line as written, without its line end
    ScriptVerb verb = ScriptVerb::GenerateMesh;
    std::vector<std::filesystem::path> paths;
    MeshOutput meshOutput = MeshOutput::FullText;  // SAVEMESH only
    bool besideMeasured = false;                   // SAVECONFIGURATION ... V1
    ForwardDimension dimension = ForwardDimension::Three;  // RUNINVERSION only
};

struct ScriptError {
    std::size_t line = 0;
    std::string text;
    std::string reason;
};

// The commands read before the first error, and that error if any.
struct ParsedScript {
    std::vector<ScriptCommand> commands;
    std::optional<ScriptError> error;
};

// The words of one line: bare words end at a blank or tab, quoted words at
// their closing quote, with "" standing for one quote. Nothing, with the
// reason in `why`, for an unclosed quote or text glued to a closing quote.
std::optional<std::vector<std::string>> splitScriptLine(std::string_view line, std::string& why);

// The commands of a script, one a line, blank lines skipped; a UTF-8
// byte-order mark that an editor put before the first line is not read.
ParsedScript parseCoreScript(std::string_view text);

// The command word of a verb, as scripts write it.
std::string_view scriptVerbWord(ScriptVerb verb);

// The first SETMESSAGEPATH of the script's commands, or nothing.
const ScriptCommand* messagePathCommand(const ParsedScript& script);

}  // namespace vexora
