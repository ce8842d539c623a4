#include "engine/script/ScriptParser.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace vexora {

namespace {

struct VerbForm {
    std::string_view word;
    ScriptVerb verb;
    std::size_t paths;       // leading path arguments
    std::string_view usage;  // what follows the word, for messages
};

constexpr std::array<VerbForm, 9> kForms{{
    {"SETMESSAGEPATH", ScriptVerb::SetMessagePath, 3, "a log, a progress and an abort file path"},
    {"LOADCONFIGURATION", ScriptVerb::LoadConfiguration, 1, "one data file path"},
    {"LOADMESH", ScriptVerb::LoadMesh, 1, "one mesh file path"},
    {"GENERATEMESH", ScriptVerb::GenerateMesh, 0, "no arguments"},
    {"RUNFORWARDMODEL", ScriptVerb::RunForwardModel, 0, "no arguments"},
    {"RUNINVERSION", ScriptVerb::RunInversion, 0, "no arguments or one of 2, 3, AUTO"},
    {"GENERATESENSITIVITY", ScriptVerb::GenerateSensitivity, 1, "one request file path"},
    {"SAVEMESH", ScriptVerb::SaveMesh, 1, "a file path and BOUNDS BIN or FULL TXT"},
    {"SAVECONFIGURATION", ScriptVerb::SaveConfiguration, 1, "a file path and optionally V1"},
}};

std::string upper(std::string_view word)
{
    std::string out(word);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The options after the paths; false when they are not the verb's.
bool readOptions(const std::vector<std::string>& options, ScriptCommand& command)
{
    std::vector<std::string> words;
    for (const std::string& o : options) words.push_back(upper(o));
    switch (command.verb) {
    case ScriptVerb::SaveMesh:
        if (words == std::vector<std::string>{"BOUNDS", "BIN"}) command.meshOutput = MeshOutput::BoundsBinary;
        else if (words == std::vector<std::string>{"FULL", "TXT"}) command.meshOutput = MeshOutput::FullText;
        else return false;
        return true;
    case ScriptVerb::RunInversion: {
        if (words.size() > 1) return false;
        const std::optional<ForwardDimension> dimension =
            words.empty() ? ForwardDimension::Three : parseForwardDimension(words[0] == "AUTO" ? "auto" : words[0]);
        if (dimension) command.dimension = *dimension;
        return dimension.has_value();
    }
    case ScriptVerb::SaveConfiguration:
        if (words.size() > 1 || (words.size() == 1 && words[0] != "V1")) return false;
        command.besideMeasured = words.size() == 1;
        return true;
    default: return words.empty();
    }
}

// Reads one non-blank line into `command`; the reason of a refusal otherwise.
std::optional<std::string> readCommand(std::string_view line, ScriptCommand& command)
{
    std::string why;
    const std::optional<std::vector<std::string>> words = splitScriptLine(line, why);
    if (!words) return why;
    const std::string word = upper(words->front());
    const auto form = std::find_if(kForms.begin(), kForms.end(), [&](const VerbForm& f) { return f.word == word; });
    if (form == kForms.end()) return "unknown command \"" + words->front() + "\"";
    command.verb = form->verb;

    const std::size_t given = words->size() - 1;
    const std::string expected = std::string(form->word) + " takes " + std::string(form->usage);
    if (given < form->paths) return expected + ": a path is missing";
    for (std::size_t i = 1; i <= form->paths; ++i) {
        if ((*words)[i].empty()) return expected + ": path " + std::to_string(i) + " is empty";
        command.paths.emplace_back((*words)[i]);
    }
    if (!readOptions(std::vector<std::string>(words->begin() + 1 + static_cast<std::ptrdiff_t>(form->paths),
                                              words->end()),
                     command))
        return expected + ", found " + std::to_string(given) + (given == 1 ? " word" : " words") +
               (form->paths > 0 ? " (a path with blanks must be in double quotes)" : "");
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::string>> splitScriptLine(std::string_view line, std::string& why)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && isBlank(line[i])) ++i;
        if (i == line.size()) return words;
        std::string word;
        if (line[i] != '"') {
            while (i < line.size() && !isBlank(line[i])) word += line[i++];
            words.push_back(std::move(word));
            continue;
        }
        const std::size_t opened = i++;
        for (;; ++i) {
            if (i == line.size()) {
                why = "the quote opened at column " + std::to_string(opened + 1) + " is not closed";
                return std::nullopt;
            }
            if (line[i] != '"') word += line[i];
            else if (i + 1 < line.size() && line[i + 1] == '"') word += line[i++];
            else break;
        }
        ++i;  // past the closing quote
        if (i < line.size() && !isBlank(line[i])) {
            why = "text follows the closing quote at column " + std::to_string(i);
            return std::nullopt;
        }
        words.push_back(std::move(word));
    }
}

ParsedScript parseCoreScript(std::string_view text)
{
    ParsedScript script;
    std::size_t lineNumber = 0;
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    std::size_t at = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    while (at < text.size()) {
        std::size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(at, end - at);
        at = end;
        if (at < text.size() && text[at] == '\r') ++at;
        if (at < text.size() && text[at] == '\n') ++at;
        ++lineNumber;
        if (std::all_of(line.begin(), line.end(), isBlank)) continue;

        ScriptCommand command;
        command.line = lineNumber;
        command.text = std::string(line);
        if (std::optional<std::string> why = readCommand(line, command)) {
            script.error = ScriptError{lineNumber, command.text, *why};
            return script;
        }
        script.commands.push_back(std::move(command));
    }
    return script;
}

std::string_view scriptVerbWord(ScriptVerb verb)
{
    for (const VerbForm& f : kForms)
        if (f.verb == verb) return f.word;
    return {};
}

const ScriptCommand* messagePathCommand(const ParsedScript& script)
{
    for (const ScriptCommand& c : script.commands)
        if (c.verb == ScriptVerb::SetMessagePath) return &c;
    return nullptr;
}

}  // namespace vexora
