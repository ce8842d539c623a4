#pragma once
// One entry per command of `vexora`; each command lives in its own file.

#include <iosfwd>
#include <string>
#include <vector>

namespace vexora::cli {

using Arguments = std::vector<std::string>;

struct Command {
    const char* name;
    const char* usage;  // shown by --help and on misuse
    int (*run)(const Arguments& args, std::ostream& out, std::ostream& err);
};

int runConfig(const Arguments& args, std::ostream& out, std::ostream& err);
int runCheck(const Arguments& args, std::ostream& out, std::ostream& err);
int runSave(const Arguments& args, std::ostream& out, std::ostream& err);
int runDump(const Arguments& args, std::ostream& out, std::ostream& err);
int runMesh(const Arguments& args, std::ostream& out, std::ostream& err);
int runMeshImport(const Arguments& args, std::ostream& out, std::ostream& err);
int runXyz(const Arguments& args, std::ostream& out, std::ostream& err);
int runViewerModel(const Arguments& args, std::ostream& out, std::ostream& err);
int runJob(const Arguments& args, std::ostream& out, std::ostream& err);
int runForward(const Arguments& args, std::ostream& out, std::ostream& err);
int runInvert(const Arguments& args, std::ostream& out, std::ostream& err);
int runMerge(const Arguments& args, std::ostream& out, std::ostream& err);
int runImport(const Arguments& args, std::ostream& out, std::ostream& err);
int runReciprocal(const Arguments& args, std::ostream& out, std::ostream& err);
int runXcable(const Arguments& args, std::ostream& out, std::ostream& err);
int runHistogram(const Arguments& args, std::ostream& out, std::ostream& err);
int runPseudosection(const Arguments& args, std::ostream& out, std::ostream& err);
int runResults(const Arguments& args, std::ostream& out, std::ostream& err);
int runSection(const Arguments& args, std::ostream& out, std::ostream& err);
int runSequence(const Arguments& args, std::ostream& out, std::ostream& err);
int runSequenceCompare(const Arguments& args, std::ostream& out, std::ostream& err);
int runExportVtk(const Arguments& args, std::ostream& out, std::ostream& err);

const std::vector<Command>& commands();

}  // namespace vexora::cli
