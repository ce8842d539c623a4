#include "core/jobfiles/CorePrograms.h"

#include <system_error>

#include "core/platform/ProcessLauncher.h"

namespace vexora {

JobType jobType(std::string_view kind)
{
    if (kind == "INV") return JobType::Inversion;
    if (kind == "FWM") return JobType::Forward;
    return JobType::Sensitivity;
}

std::string_view jobKindWord(JobType type)
{
    switch (type) {
    case JobType::Inversion: return "INV";
    case JobType::Forward: return "FWM";
    case JobType::Sensitivity: break;
    }
    return "SENS";
}

std::vector<std::string> processArguments(const CoreProcesses& processes)
{
    if (processes.count <= 1) return {};
    std::vector<std::string> args{"--processes", std::to_string(processes.count)};
    if (!processes.hostFile.empty()) args.insert(args.end(), {"--hostfile", processes.hostFile.string()});
    return args;
}

std::optional<std::string> coreProcessesRefusal(const CoreProcesses& processes)
{
    if (processes.count <= 1) return std::nullopt;
    if (!locateProgramOnPath("mpirun"))
        return "mpirun not found: install OpenMPI (openmpi-bin) to run a job on " + std::to_string(processes.count) +
               " processes.";
    std::error_code error;
    if (!processes.hostFile.empty() && !std::filesystem::is_regular_file(processes.hostFile, error))
        return "Host file " + processes.hostFile.string() + " not found!";
    return std::nullopt;
}

}  // namespace vexora
