#include "core/shell/ProjectBanner.h"

#include "core/log/MessageLog.h"
#include "core/platform/Application.h"

namespace vexora {

std::string versionText(const ApplicationVersion& version)
{
    return std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
           std::to_string(version.revision);
}

std::string projectBanner(std::string_view projectType, const ApplicationVersion& version)
{
    const std::string rule = " " + std::string(91, '-') + " ";
    std::string banner = rule + kLineBreak;
    banner += " " + std::string(kApplicationTitle) + " - " + versionText(version) + " - " + std::string(projectType) + " ";
    banner += kLineBreak;
    banner += " 64-bit processing numerical core";
    banner += kLineBreak;
    banner += rule + kLineBreak + kLineBreak;
    return banner;
}

}  // namespace vexora
