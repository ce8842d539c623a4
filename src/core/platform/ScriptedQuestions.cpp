#include "core/platform/ScriptedQuestions.h"

#include <algorithm>

namespace vexora {

bool ScriptedQuestions::decide(QuestionId id) const
{
    const auto rule = answers_.find(id);
    return rule == answers_.end() ? defaultAnswer_ : rule->second;
}

bool ScriptedQuestions::askYesNo(const Question& question)
{
    questions_.push_back({question.id, question.title, question.text});
    return decide(question.id);
}

void ScriptedQuestions::showMessage(std::string_view title, std::string_view text, MessageIcon)
{
    messages_.push_back({std::nullopt, std::string(title), std::string(text)});
}

bool ScriptedQuestions::confirmList(QuestionId id, std::string_view caption, std::string_view heading,
                                    std::string_view list, std::string_view question)
{
    questions_.push_back(
        {id, std::string(caption), std::string(heading) + "\n" + std::string(list) + std::string(question)});
    return decide(id);
}

std::optional<std::string> ScriptedQuestions::inputText(const Question& question, std::string_view)
{
    questions_.push_back({question.id, question.title, question.text});
    const auto queued = inputs_.find(question.id);
    if (queued == inputs_.end() || queued->second.empty()) return std::nullopt;
    std::string answer = std::move(queued->second.front());
    queued->second.pop_front();
    return answer;
}

ScriptedQuestions unattendedLoadQuestions(bool useZ, bool invertSynthetic)
{
    ScriptedQuestions questions;
    questions.answer(QuestionId::GeometricFactorsWithZ, useZ);
    questions.answer(QuestionId::InvertSyntheticResistance, invertSynthetic);
    questions.answer(QuestionId::InvertSyntheticIp, invertSynthetic);
    return questions;
}

int ScriptedQuestions::timesAsked(QuestionId id) const
{
    return static_cast<int>(std::count_if(questions_.begin(), questions_.end(),
                                          [id](const Asked& asked) { return asked.id == id; }));
}

}  // namespace vexora
