// The mesh and model file commands:
//   vexora mesh-import IN.vwer
//       reads a mesh-and-model file and prints the summary lines of
//       `vexora mesh` (adapt "off");
//   vexora xyz IN.data MODEL.xyz -o OUT.vwer [--ip] [--spacing "DX DY DZ"]
//              [--columns "X Y Z RHO [IP]"] [--config C.cnfg]
//       builds the mesh of the data file and takes its model from the XYZ
//       file; the grid size defaults to the element sizes, the columns to
//       "1 2 3 4" ("1 2 3 4 5" with --ip);
//   vexora viewer-model IN.data -o OUT.bin [--config C.cnfg]
//       builds the mesh and writes the viewer's binary model file ("RHO").
// The message log goes to standard error. Exit status: 0 done, 1 failed, 2
// misuse.

#include <map>
#include <optional>
#include <ostream>

#include "app/cli/Cli.h"
#include "app/cli/CommandSupport.h"
#include "app/cli/Commands.h"
#include "app/cli/MeshSummary.h"
#include "core/mesh/MeshFileFormat.h"
#include "core/mesh/MeshFileImport.h"
#include "core/mesh/MeshSettings.h"
#include "core/io/TextFile.h"
#include "core/mesh/ViewerModelFile.h"
#include "core/mesh/ViewerModelRead.h"
#include "core/mesh/XyzImport.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/settings/NumberText.h"
#include "engine/script/JobSteps.h"

namespace vexora::cli {

namespace {

// Positional arguments and the values of the named options; nothing on misuse.
struct Parsed {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
    bool ip = false;
};

std::optional<Parsed> parse(const Arguments& args, std::initializer_list<const char*> valued, bool ipFlag,
                            std::ostream& err, const char* command)
{
    Parsed p;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool known = false;
        for (const char* name : valued)
            if (a == name) {
                if (i + 1 >= args.size() || p.options.count(a)) return std::nullopt;
                p.options[a] = args[++i];
                known = true;
            }
        if (known) continue;
        if (ipFlag && a == "--ip") p.ip = true;
        else if (a.size() > 1 && a[0] == '-') {
            err << "vexora " << command << ": unknown option '" << a << "'\n";
            return std::nullopt;
        }
        else p.positional.push_back(a);
    }
    return p;
}

std::optional<std::string> option(const Parsed& p, const std::string& name)
{
    auto it = p.options.find(name);
    return it == p.options.end() ? std::nullopt : std::optional<std::string>(it->second);
}

void printMessages(const ScriptedQuestions& questions, std::ostream& err)
{
    for (const ScriptedQuestions::Asked& m : questions.messages()) err << m.text << "\n";
}

}  // namespace

int runMeshImport(const Arguments& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 1 || (args[0].size() > 1 && args[0][0] == '-')) return printCommandUsage(err, "mesh-import");
    // The binary viewer model file has blocks and values but no mesh lines.
    std::string bytes, why;
    ViewerModel viewer;
    const bool readable = readTextFile(args[0], bytes);
    const ViewerReadStatus asViewer =
        readable ? readViewerModel(bytes, viewer, why) : ViewerReadStatus::NotViewerFile;
    if (asViewer == ViewerReadStatus::Damaged) {
        err << "vexora mesh-import: " << args[0] << ": damaged viewer model file: " << why << ".\n";
        return kExitError;
    }
    if (asViewer == ViewerReadStatus::Read) {
        out << "viewer model file\nnodes\t" << viewer.nodes.size() << "\nblocks\t" << viewer.blocks.size()
            << "\nelectrodes\t" << viewer.electrodes.size() << "\nquantities";
        for (const std::string& q : viewer.quantities) out << "\t" << q;
        out << "\n";
        return kExitOk;
    }
    ProjectStore store;
    MessageLog log;
    // The text already read is parsed as it is; an unreadable file gets the
    // mesh import's own message.
    const auto read = readable
                          ? importMeshText(bytes, args[0], store.settings, store.mesh, store.models, log)
                          : funImportMesh(args[0], store.settings, store.mesh, store.models, log);
    printLog(log, err);
    if (read != MeshFileStatus::Read) return kExitError;
    printMeshSummary(store, "off", out);
    return kExitOk;
}

int runXyz(const Arguments& args, std::ostream& out, std::ostream& err)
{
    const auto p = parse(args, {"-o", "--spacing", "--columns", "--config"}, true, err, "xyz");
    if (!p || p->positional.size() != 2 || !option(*p, "-o")) return printCommandUsage(err, "xyz");
    if (outputReplacesInput(err, "xyz", *option(*p, "-o"),
                            {p->positional[0], p->positional[1], option(*p, "--config").value_or("")}))
        return kExitError;
    ProjectStore store;
    MessageLog log;
    bool done = loadForMesh(store, p->positional[0], option(*p, "--config"), log, err, "xyz");
    if (done) {
        const MeshSettings settings = readMeshSettings(store.settings);
        ScriptedQuestions questions;
        const std::string spacing =
            formatNumber(settings.dx) + " " + formatNumber(settings.dy) + " " + formatNumber(settings.dz);
        questions.queueInput(QuestionId::XyzGridSize, option(*p, "--spacing").value_or(spacing));
        questions.queueInput(QuestionId::XyzColumns,
                             option(*p, "--columns").value_or(p->ip ? "1 2 3 4 5" : "1 2 3 4"));
        store.models.ipModelling = settingInteger(store.settings, Item::ModelIp) == 1;
        done = subImportXYZ(p->positional[1], p->ip ? 2 : 1, store.settings, store.survey, store.mesh, store.models,
                            questions, log) == Status::Ok &&
               OutputGlobalMesh(*option(*p, "-o"), false, store.survey, store.mesh, store.models, log) == Status::Ok;
        printMessages(questions, err);
    }
    printLog(log, err);
    if (!done) return kExitError;
    printMeshSummary(store, "off", out);
    return kExitOk;
}

int runViewerModel(const Arguments& args, std::ostream& out, std::ostream& err)
{
    const auto p = parse(args, {"-o", "--config"}, false, err, "viewer-model");
    if (!p || p->positional.size() != 1 || !option(*p, "-o")) return printCommandUsage(err, "viewer-model");
    if (outputReplacesInput(err, "viewer-model", *option(*p, "-o"),
                            {p->positional[0], option(*p, "--config").value_or("")}))
        return kExitError;
    ProjectStore store;
    MessageLog log;
    MeshBuildOutcome outcome;
    bool done = loadForMesh(store, p->positional[0], option(*p, "--config"), log, err, "viewer-model");
    if (done) {
        done = generateJobMesh(store, log, outcome) == Status::Ok &&
               modBinOutput(*option(*p, "-o"), "RHO", store.settings, store.survey, store.mesh, store.models, log) ==
                   ViewerFileStatus::Written;
    }
    printLog(log, err);
    if (!done) return kExitError;
    printMeshSummary(store,
                     outcome.adapted ? std::to_string(static_cast<int>(outcome.adaptResult)) : std::string("off"), out);
    return kExitOk;
}

}  // namespace vexora::cli
