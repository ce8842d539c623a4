#include "core/platform/ScriptedQuestions.h"

namespace vexora {

bool ScriptedQuestions::decide(std::string_view text) const
{
    for (const auto& [fragment, yes] : rules_)
        if (text.find(fragment) != std::string_view::npos) return yes;
    return defaultAnswer_;
}

bool ScriptedQuestions::askYesNo(std::string_view title, std::string_view text, MessageIcon)
{
    questions_.push_back({std::string(title), std::string(text)});
    return decide(text);
}

void ScriptedQuestions::showMessage(std::string_view title, std::string_view text, MessageIcon)
{
    messages_.push_back({std::string(title), std::string(text)});
}

bool ScriptedQuestions::confirmList(std::string_view caption, std::string_view heading, std::string_view list,
                                    std::string_view question)
{
    questions_.push_back({std::string(caption), std::string(heading) + "\n" + std::string(list) + std::string(question)});
    return decide(question);
}

std::optional<std::string> ScriptedQuestions::inputText(std::string_view title, std::string_view prompt,
                                                        std::string_view)
{
    questions_.push_back({std::string(title), std::string(prompt)});
    if (nextInput_ >= inputs_.size()) return std::nullopt;
    return inputs_[nextInput_++];
}

}  // namespace vexora
