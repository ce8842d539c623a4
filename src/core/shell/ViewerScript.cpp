#include "core/shell/ViewerScript.h"

#include <cstdio>

#include "core/io/TextFile.h"
#include "core/shell/ShellFolders.h"

namespace vexora {

SectionCentre meshCentre(const MeshLines& lines)
{
    SectionCentre centre;
    if (!lines.x.empty()) centre.x = (lines.x.front() + lines.x.back()) / 2;
    if (!lines.y.empty()) centre.y = (lines.y.front() + lines.y.back()) / 2;
    if (!lines.z.empty()) centre.z = lines.z.front();
    return centre;
}

namespace {

// General form with up to 15 significant digits, no leading blank.
std::string general15(double value)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

}  // namespace

std::string viewerScriptText(const std::filesystem::path& meshFile, const SectionCentre& centre, std::string_view tail)
{
    const std::string point = general15(centre.x) + " " + general15(centre.y) + " " + general15(centre.z);
    std::string text = "FILENAME " + meshFile.string() + kLineBreak;
    text += "SPLASHSCREEN 10";
    text += kLineBreak;
    text += "ELECTRODES 1";
    text += kLineBreak;
    for (std::string_view plane : {"SECTION xy 0 0 1 ", "SECTION yz 1 0 0 ", "SECTION xz 0 1 0 "}) {
        text += plane;
        text += point;
        text += tail;
        text += kLineBreak;
    }
    text += "#EXIT";
    text += kLineBreak;
    return text;
}

Status WriteViewerScript(const std::filesystem::path& scriptFile, const std::filesystem::path& meshFile,
                         const SectionCentre& centre, MessageLog& log, std::string_view tail)
{
    std::string why;
    if (writeFileAtomically(scriptFile, viewerScriptText(meshFile, centre, tail), &why)) return Status::Ok;
    return log.error("WriteViewerScript", scriptFile.string() + " not written: " + why);
}

std::filesystem::path viewerWorkFolder(const std::filesystem::path& applicationFolder,
                                       const std::filesystem::path& userDataFolder)
{
    return writableFolder(applicationFolder, userDataFolder);
}

}  // namespace vexora
