// vexora mesh IN.data [--config C.cnfg] [-o OUT.vwer]: loads a data file as a Data
// Inversion load does, derives the default mesh settings from its
// electrodes, applies the configuration when one is given, and builds the
// mesh and its starting model as the mesh workspace does. Prints
//   lines NX NY NZ
//   nodes N            (node array, halo included)
//   elements N
//   foreground XMIN XMAX YMIN YMAX ZBOTTOM ZMAX
//   boundary CODE N    (codes 0 to 5)
//   adapt R            (AdaptGridToElectrodes' result, "off" when not asked for)
// and the message log on standard error. With -o the mesh and its
// resistivity model are written as a mesh-and-model file.
//
// Exit status: 0 built, 1 not built (the log says why), 2 misuse.

#include <array>
#include <optional>
#include <ostream>

#include "app/cli/Cli.h"
#include "app/cli/CommandSupport.h"
#include "app/cli/Commands.h"
#include "app/cli/MeshSummary.h"
#include "app/cli/RunSettings.h"
#include "core/datafile/ScheduleLoader.h"
#include "core/io/TextFile.h"
#include "core/mesh/MeshBuild.h"
#include "core/mesh/MeshFileFormat.h"
#include "core/settings/NumberText.h"
#include "engine/script/JobSteps.h"

namespace vexora::cli {

namespace {

int meshUsage(std::ostream& err) { return printCommandUsage(err, "mesh"); }

}  // namespace

bool applyConfiguration(ProjectStore& store, const std::string& path, MessageLog& log, std::ostream& err,
                        const char* command)
{
    std::string text, why;
    if (!readTextFile(path, text, &why)) {
        err << "vexora " << command << ": " << path << ": " << why << "\n";
        return false;
    }
    return applyConfigurationFile(path, text, store.settings, log);
}

bool loadForMesh(ProjectStore& store, const std::string& input, const std::optional<std::string>& config,
                 MessageLog& log, std::ostream& err, const char* command)
{
    // The core job's load: the file's own mesh settings over the derived
    // defaults, so every tool builds one mesh from one file.
    return loadJobDataFile(store, input, log) == Status::Ok &&
           (!config || applyConfiguration(store, *config, log, err, command));
}

void printMeshSummary(const ProjectStore& store, const std::string& adapt, std::ostream& out)
{
    const Mesh& m = store.mesh;
    const ForegroundBox& f = m.foreground;
    out << "lines " << m.nx << " " << m.ny << " " << m.nz << "\n"
        << "nodes " << m.nodeGrid.size() << "\n"
        << "elements " << m.elementNodes.size() << "\n"
        << "foreground " << formatNumber(f.xMin) << " " << formatNumber(f.xMax) << " " << formatNumber(f.yMin) << " "
        << formatNumber(f.yMax) << " " << formatNumber(f.zBottom) << " " << formatNumber(f.zMax) << "\n";
    std::array<std::size_t, 6> counts{};
    for (std::int16_t code : m.elementBoundary)
        if (code >= 0 && code < 6) ++counts[static_cast<std::size_t>(code)];
    for (std::size_t code = 0; code < counts.size(); ++code) out << "boundary " << code << " " << counts[code] << "\n";
    out << "adapt " << adapt << "\n";
}

int runMesh(const Arguments& args, std::ostream& out, std::ostream& err)
{
    std::optional<std::string> input, config, output;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--config") {
            if (config || i + 1 >= args.size()) return meshUsage(err);
            config = args[++i];
        }
        else if (a == "-o") {
            if (output || i + 1 >= args.size()) return meshUsage(err);
            output = args[++i];
        }
        else if (a.size() > 1 && a[0] == '-') {
            err << "vexora mesh: unknown option '" << a << "'\n";
            return meshUsage(err);
        }
        else if (input) return meshUsage(err);
        else input = a;
    }
    if (!input) return meshUsage(err);
    if (output && outputReplacesInput(err, "mesh", *output, {*input, config.value_or("")})) return kExitError;

    ProjectStore store;
    MessageLog log;
    bool built = loadForMesh(store, *input, config, log, err, "mesh");
    MeshBuildOutcome outcome;
    if (built) built = generateJobMesh(store, log, outcome) == Status::Ok;
    if (built && output)
        built = OutputGlobalMesh(*output, false, store.survey, store.mesh, store.models, log) == Status::Ok;
    printLog(log, err);
    if (!built) return kExitError;
    printMeshSummary(store,
                     outcome.adapted ? std::to_string(static_cast<int>(outcome.adaptResult)) : std::string("off"), out);
    return kExitOk;
}

}  // namespace vexora::cli
