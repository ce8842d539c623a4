#include "ui/platform/QtQuestions.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QThread>

#include "ui/log/frmMessages.h"
#include "ui/platform/TextConversion.h"

namespace vexora::ui {

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Critical: return QMessageBox::Critical;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

// Runs `show` on the window thread, waiting for it when called from another.
template <class Show>
auto onWindowThread(Show show)
{
    if (QThread::currentThread() == qApp->thread()) return show();
    decltype(show()) result{};
    QMetaObject::invokeMethod(qApp, [&] { result = show(); }, Qt::BlockingQueuedConnection);
    return result;
}

int messageBox(QWidget* parent, MessageIcon icon, std::string_view title, std::string_view text,
               QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(toQtIcon(icon), toQString(title), toQString(text), buttons, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    return box.exec();
}

}  // namespace

bool QtQuestions::askYesNo(const Question& question)
{
    return onWindowThread([&] {
        return messageBox(parentWindow_, question.icon, question.title, question.text,
                          QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
    });
}

bool QtQuestions::askOkCancel(const Question& question)
{
    return onWindowThread([&] {
        return messageBox(parentWindow_, question.icon, question.title, question.text,
                          QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) == QMessageBox::Ok;
    });
}

void QtQuestions::showMessage(std::string_view title, std::string_view text, MessageIcon icon)
{
    onWindowThread([&] { return messageBox(parentWindow_, icon, title, text, QMessageBox::Ok, QMessageBox::Ok); });
}

bool QtQuestions::confirmList(QuestionId, std::string_view caption, std::string_view heading, std::string_view list,
                              std::string_view question)
{
    return onWindowThread([&] {
        frmMessages dialog(parentWindow_);
        dialog.fill(toQString(caption), toQString(heading), toQString(list), toQString(question));
        return dialog.exec() == QDialog::Accepted;
    });
}

std::optional<std::string> QtQuestions::inputText(const Question& question, std::string_view defaultText)
{
    return onWindowThread([&]() -> std::optional<std::string> {
        bool ok = false;
        const QString text = QInputDialog::getText(parentWindow_, toQString(question.title), toQString(question.text),
                                                   QLineEdit::Normal, toQString(defaultText), &ok);
        if (!ok) return std::nullopt;
        return toWindows1252(text);
    });
}

}  // namespace vexora::ui
