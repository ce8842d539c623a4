// VexoraRUR64, the numerical core: runs a script of core commands.
//   VexoraRUR64 RUNSCRIPT SCRIPT
// Every log line goes to the job's log file and to standard error. Exit
// status: 0 completed, 1 stopped on an error, 2 misuse, 3 aborted. A core
// started by its manager stops after its current step once the manager has
// ended. Started by mpirun, the processes share the job as its ranks
// (ScriptRunner.h).

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "core/io/SaveTemporary.h"
#include "engine/parallel/Ranks.h"
#include "engine/script/ManagerWatch.h"
#include "engine/script/ProgramArguments.h"
#include "engine/script/ScriptRunner.h"

int main(int argc, char** argv)
{
    vexora::installSaveInterruptCleanup();
    const std::unique_ptr<vexora::Ranks> ranks = vexora::joinRanks(argc, argv);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto script = vexora::coreScriptArgument(args);
    if (!script) {
        std::cerr << vexora::kCoreUsage << "\n";
        return 2;
    }
    return static_cast<int>(vexora::runCoreScript(*script, &std::cerr, vexora::managerGoneCheck(), *ranks));  // the exit status
}
