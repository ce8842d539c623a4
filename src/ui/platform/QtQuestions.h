#pragma once
// Questions and message boxes shown as Qt dialogs.

#include <QPointer>
#include <QWidget>

#include "core/platform/Questions.h"

namespace vexora::ui {

class QtQuestions : public Questions {
public:
    explicit QtQuestions(QWidget* parentWindow = nullptr) : parentWindow_(parentWindow) {}

    // The dialogs are centred on this window; it may be set after the main
    // window exists, since the questions object is created before it.
    void setParentWindow(QWidget* window) { parentWindow_ = window; }

    // Each may be called from a worker thread (a load that asks as it
    // reads): the dialog is then shown on the window thread and the worker
    // waits for the answer.
    bool askYesNo(const Question& question) override;
    bool askOkCancel(const Question& question) override;
    void showMessage(std::string_view title, std::string_view text, MessageIcon icon) override;
    bool confirmList(QuestionId id, std::string_view caption, std::string_view heading, std::string_view list,
                     std::string_view question) override;
    std::optional<std::string> inputText(const Question& question, std::string_view defaultText) override;

private:
    QPointer<QWidget> parentWindow_;
};

}  // namespace vexora::ui
