#include "core/shell/ViewerScript.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "core/io/TextFile.h"
#include "core/settings/LenientNumber.h"
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

namespace {

std::string_view trimmed(std::string_view line)
{
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.remove_suffix(1);
    return line;
}

std::string upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return out;
}

// The keyword (upper case) and the rest of the line after it.
std::pair<std::string, std::string_view> keywordOf(std::string_view line)
{
    const std::size_t end = line.find_first_of(" \t");
    if (end == std::string_view::npos) return {upper(line), {}};
    return {upper(line.substr(0, end)), trimmed(line.substr(end + 1))};
}

bool readSection(std::string_view rest, ViewerScriptSection& section)
{
    std::istringstream in{std::string(rest)};
    std::string plane;
    if (!(in >> plane)) return false;
    std::array<double, 6> numbers{};
    for (double& n : numbers) {
        std::string token;
        bool found = false;
        if (!(in >> token)) return false;
        n = lenientNumber(token, found);
        if (!found) return false;
    }
    section.plane = plane;
    section.normal = {numbers[0], numbers[1], numbers[2]};
    section.point = {numbers[3], numbers[4], numbers[5]};
    return true;
}

}  // namespace

bool looksLikeViewerScript(std::string_view bytes)
{
    const std::size_t end = bytes.find('\n');
    const auto [keyword, rest] = keywordOf(trimmed(bytes.substr(0, end)));
    return keyword == "FILENAME" || keyword == "SECTION" || keyword == "SPLASHSCREEN" || keyword == "ELECTRODES" ||
           keyword == "#EXIT";
}

Status readViewerScript(std::string_view text, const std::filesystem::path& scriptFolder, ViewerScript& script,
                        MessageLog& log)
{
    constexpr const char* kSource = "readViewerScript";
    ViewerScript read;
    bool named = false;
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        ++number;
        if (line.empty()) continue;
        const auto [keyword, rest] = keywordOf(line);
        const std::string where = "line " + std::to_string(number) + " skipped: ";
        if (keyword == "#EXIT") break;
        if (keyword == "FILENAME" && !rest.empty()) {
            const std::filesystem::path file{std::string(rest)};
            read.modelFile = file.is_absolute() ? file : scriptFolder / file;
            named = true;
        }
        else if (keyword == "SPLASHSCREEN") read.splashSeconds = static_cast<int>(lenientNumber(rest));
        else if (keyword == "ELECTRODES") read.electrodes = lenientNumber(rest) != 0;
        else if (keyword == "SECTION") {
            ViewerScriptSection section;
            if (readSection(rest, section)) read.sections.push_back(section);
            else log.warning(kSource, where + "a section needs its plane, normal and point: " + std::string(line));
        }
        else log.warning(kSource, where + "not understood: " + std::string(line));
    }
    if (!named) return log.error(kSource, "The viewer script names no model file (FILENAME).");
    script = std::move(read);
    return Status::Ok;
}

ScriptFileRead readViewerScriptFile(const std::filesystem::path& path, ViewerScript& script, MessageLog& log)
{
    std::ifstream file(path, std::ios::binary);
    std::string head(512, '\0');
    file.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(file.gcount()));
    if (!looksLikeViewerScript(head)) return ScriptFileRead::NotAScript;
    std::string text, why;
    if (!readTextFile(path, text, &why)) {
        log.error("readViewerScript", path.string() + ": " + why);
        return ScriptFileRead::Unreadable;
    }
    return readViewerScript(text, path.parent_path(), script, log) == Status::Ok ? ScriptFileRead::Script
                                                                                  : ScriptFileRead::Unreadable;
}

std::filesystem::path viewerWorkFolder(const std::filesystem::path& applicationFolder,
                                       const std::filesystem::path& userDataFolder)
{
    return writableFolder(applicationFolder, userDataFolder);
}

}  // namespace vexora
