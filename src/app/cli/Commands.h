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
int runJob(const Arguments& args, std::ostream& out, std::ostream& err);

const std::vector<Command>& commands();

}  // namespace vexora::cli
