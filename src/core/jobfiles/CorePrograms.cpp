#include "core/jobfiles/CorePrograms.h"

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

}  // namespace vexora
