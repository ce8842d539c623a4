#pragma once
// Questions answered from rules instead of a person: the command line's
// documented answers and the tests' scripts, keyed by question id. Every
// question and message is recorded in order.

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "core/platform/Questions.h"

namespace vexora {

class ScriptedQuestions : public Questions {
public:
    struct Asked {
        std::optional<QuestionId> id;  // none for a message
        std::string title;
        std::string text;
    };

    // Yes/No, OK/Cancel and list questions with the id get `yes`; the others
    // get the default answer.
    void answer(QuestionId id, bool yes) { answers_[id] = yes; }
    void setDefaultAnswer(bool yes) { defaultAnswer_ = yes; }
    // Answers of the input box with the id, taken in order; an exhausted
    // list cancels.
    void queueInput(QuestionId id, std::string text) { inputs_[id].push_back(std::move(text)); }

    bool askYesNo(const Question& question) override;
    void showMessage(std::string_view title, std::string_view text, MessageIcon icon) override;
    bool confirmList(QuestionId id, std::string_view caption, std::string_view heading, std::string_view list,
                     std::string_view question) override;
    std::optional<std::string> inputText(const Question& question, std::string_view defaultText) override;

    const std::vector<Asked>& questions() const { return questions_; }
    const std::vector<Asked>& messages() const { return messages_; }
    // How often the question with the id was put.
    int timesAsked(QuestionId id) const;

private:
    bool decide(QuestionId id) const;

    std::map<QuestionId, bool> answers_;
    bool defaultAnswer_ = false;
    std::map<QuestionId, std::deque<std::string>> inputs_;
    std::vector<Asked> questions_;
    std::vector<Asked> messages_;
};

// The answers of a data load nobody watches (command line, console and
// batch runs, the core's job step): geometric factors with or without z,
// the measured or the calculated data set.
ScriptedQuestions unattendedLoadQuestions(bool useZ = true, bool invertSynthetic = false);

}  // namespace vexora
