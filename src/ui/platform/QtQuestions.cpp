#include "ui/platform/QtQuestions.h"

#include <QInputDialog>
#include <QMessageBox>

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

}  // namespace

bool QtQuestions::askYesNo(std::string_view title, std::string_view text, MessageIcon icon)
{
    QMessageBox box(toQtIcon(icon), toQString(title), toQString(text), QMessageBox::Yes | QMessageBox::No,
                    parentWindow_);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

bool QtQuestions::askOkCancel(std::string_view title, std::string_view text, MessageIcon icon)
{
    QMessageBox box(toQtIcon(icon), toQString(title), toQString(text), QMessageBox::Ok | QMessageBox::Cancel,
                    parentWindow_);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

void QtQuestions::showMessage(std::string_view title, std::string_view text, MessageIcon icon)
{
    QMessageBox box(toQtIcon(icon), toQString(title), toQString(text), QMessageBox::Ok, parentWindow_);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool QtQuestions::confirmList(std::string_view caption, std::string_view heading, std::string_view list,
                              std::string_view question)
{
    frmMessages dialog(parentWindow_);
    dialog.fill(toQString(caption), toQString(heading), toQString(list), toQString(question));
    return dialog.exec() == QDialog::Accepted;
}

std::optional<std::string> QtQuestions::inputText(std::string_view title, std::string_view prompt,
                                                  std::string_view defaultText)
{
    bool ok = false;
    QString text = QInputDialog::getText(parentWindow_, toQString(title), toQString(prompt), QLineEdit::Normal,
                                         toQString(defaultText), &ok);
    if (!ok) return std::nullopt;
    return toWindows1252(text);
}

}  // namespace vexora::ui
