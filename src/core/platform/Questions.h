#pragma once
// Questions and message boxes put to the user. The workbench shows dialogs;
// tests and the command line answer from a script.

#include <optional>
#include <string>
#include <string_view>

namespace vexora {

enum class MessageIcon { None, Information, Question, Exclamation, Critical };

class Questions {
public:
    virtual ~Questions() = default;
    // Yes/No question; true for Yes.
    virtual bool askYesNo(std::string_view title, std::string_view text, MessageIcon icon) = 0;
    // Question with OK and Cancel buttons; true for OK. Where no such box
    // exists the Yes/No question stands in.
    virtual bool askOkCancel(std::string_view title, std::string_view text, MessageIcon icon)
    {
        return askYesNo(title, text, icon);
    }
    // Message box with an OK button.
    virtual void showMessage(std::string_view title, std::string_view text, MessageIcon icon) = 0;
    // Caption, heading, scrollable list and question with OK and Cancel; true for OK.
    virtual bool confirmList(std::string_view caption, std::string_view heading, std::string_view list,
                             std::string_view question) = 0;
    // Text input box; nothing when cancelled.
    virtual std::optional<std::string> inputText(std::string_view title, std::string_view prompt,
                                                 std::string_view defaultText) = 0;
};

}  // namespace vexora
