#include "app/cli/CommandSupport.h"

#include <algorithm>
#include <ostream>

#include "app/cli/Cli.h"
#include "app/cli/Commands.h"
#include "core/datafile/ScheduleLoader.h"
#include "core/io/SameFile.h"
#include "core/platform/ScriptedQuestions.h"

namespace vexora::cli {

int printCommandUsage(std::ostream& err, std::string_view command)
{
    for (const Command& c : commands())
        if (command == c.name) err << "Usage: vexora " << c.usage << "\n";
    return kExitUsage;
}

void printLog(const MessageLog& log, std::ostream& err)
{
    std::string text = log.plainText();
    std::erase(text, '\r');
    if (!text.empty() && text.back() != '\n') text += '\n';
    err << text;
}

bool outputReplacesInput(std::ostream& err, std::string_view command, const std::filesystem::path& output,
                         const std::vector<std::filesystem::path>& inputs)
{
    const std::optional<std::string> refusal = outputOverInput("output", output, inputs);
    if (refusal) err << "vexora " << command << ": " << *refusal << "\n";
    return refusal.has_value();
}

namespace {

Status load(ProjectStore& store, const std::string& path, bool completeWorkspace, LoadAnswers answers, MessageLog& log)
{
    ScriptedQuestions questions = unattendedLoadQuestions(answers.useZ, answers.synthetic);
    const DataLoadRequest request{path, ProjectType::DataInversion, completeWorkspace, false};
    return funInputScheduleFile(store, request, log, questions) == LoadStatus::Loaded ? Status::Ok : Status::Error;
}

}  // namespace

Status loadDataFile(ProjectStore& store, const std::string& path, MessageLog& log, LoadAnswers answers)
{
    return load(store, path, false, answers, log);
}

Status loadInversionFile(ProjectStore& store, const std::string& path, MessageLog& log)
{
    return load(store, path, true, {}, log);
}

}  // namespace vexora::cli
