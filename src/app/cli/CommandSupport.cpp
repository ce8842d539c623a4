#include "app/cli/CommandSupport.h"

#include <algorithm>
#include <ostream>

#include "app/cli/Cli.h"
#include "app/cli/Commands.h"
#include "core/datafile/ScheduleLoader.h"
#include "core/jobs/InversionWorkspace.h"
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

std::filesystem::path programFolder()
{
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path(ec) : self.parent_path();
}

namespace {

ScriptedQuestions loadQuestions(LoadAnswers answers)
{
    ScriptedQuestions questions;
    questions.answer("geometric factors using z coordinates", answers.useZ);
    questions.answer("invert the synthetic data-set", answers.synthetic);
    return questions;
}

}  // namespace

int loadDataFile(ProjectStore& store, const std::string& path, MessageLog& log, LoadAnswers answers)
{
    ScriptedQuestions questions = loadQuestions(answers);
    store.type = ProjectType::DataInversion;
    return funInputScheduleFile(store, path, log, questions);
}

int loadInversionFile(ProjectStore& store, const std::string& path, MessageLog& log)
{
    ScriptedQuestions questions = loadQuestions({});
    store.type = ProjectType::DataInversion;
    return loadInversionDataFile(store, path, log, questions);
}

}  // namespace vexora::cli
