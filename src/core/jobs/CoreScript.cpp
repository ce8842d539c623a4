#include "core/jobs/CoreScript.h"

#include "core/io/TextFile.h"

namespace vexora {

std::string quotedScriptPath(const std::filesystem::path& path)
{
    std::string out = "\"";
    for (char c : path.string()) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

Status writeCoreScript(const std::filesystem::path& scriptFile, const std::vector<std::string>& lines,
                       std::string_view source, MessageLog& log)
{
    std::string text;
    for (const std::string& line : lines) {
        if (line.find_first_of("\r\n") != std::string::npos)
            return log.error(source, "Script " + scriptFile.string() + " not written: a path holds a line break.");
        text += line;
        text += kLineBreak;
    }
    std::string why;
    if (!writeFileAtomically(scriptFile, text, &why))
        return log.error(source, "Script " + scriptFile.string() + " not written: " + why);
    return Status::Ok;
}

}  // namespace vexora
