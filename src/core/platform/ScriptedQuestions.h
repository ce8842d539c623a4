#pragma once
// Questions answered from rules instead of a person: the command line's
// documented answers and the tests' scripts. Every question and message is
// recorded in order.

#include <string>
#include <utility>
#include <vector>

#include "core/platform/Questions.h"

namespace vexora {

class ScriptedQuestions : public Questions {
public:
    struct Asked {
        std::string title;
        std::string text;
    };

    // Questions whose text contains `fragment` get `answer` (the first
    // matching rule wins); all others get the default answer.
    void answer(std::string fragment, bool yes) { rules_.emplace_back(std::move(fragment), yes); }
    void setDefaultAnswer(bool yes) { defaultAnswer_ = yes; }
    // Answers of input boxes, taken in order; an exhausted list cancels.
    void queueInput(std::string text) { inputs_.push_back(std::move(text)); }

    bool askYesNo(std::string_view title, std::string_view text, MessageIcon icon) override;
    void showMessage(std::string_view title, std::string_view text, MessageIcon icon) override;
    bool confirmList(std::string_view caption, std::string_view heading, std::string_view list,
                     std::string_view question) override;
    std::optional<std::string> inputText(std::string_view title, std::string_view prompt,
                                         std::string_view defaultText) override;

    const std::vector<Asked>& questions() const { return questions_; }
    const std::vector<Asked>& messages() const { return messages_; }

private:
    bool decide(std::string_view text) const;

    std::vector<std::pair<std::string, bool>> rules_;
    bool defaultAnswer_ = false;
    std::vector<std::string> inputs_;
    std::size_t nextInput_ = 0;
    std::vector<Asked> questions_;
    std::vector<Asked> messages_;
};

}  // namespace vexora
