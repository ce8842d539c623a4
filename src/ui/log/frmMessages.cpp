#include "ui/log/frmMessages.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace vexora::ui {

frmMessages::frmMessages(QWidget* parent)
    : QDialog(parent), heading_(new QLabel(this)), list_(new QPlainTextEdit(this)), question_(new QLabel(this))
{
    for (QLabel* label : {heading_, question_}) {
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
    }
    list_->setReadOnly(true);
    list_->setLineWrapMode(QPlainTextEdit::NoWrap);
    list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(list_, 1);
    layout->addWidget(question_);
    layout->addWidget(buttons);
    resize(520, 380);
}

void frmMessages::fill(const QString& caption, const QString& heading, const QString& list, const QString& question)
{
    setWindowTitle(caption);
    heading_->setText(heading);
    // The list arrives with CR LF line ends.
    QString lines = list;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    list_->setPlainText(lines);
    question_->setText(question);
}

}  // namespace vexora::ui
