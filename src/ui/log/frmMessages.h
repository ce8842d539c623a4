#pragma once
// The confirmation dialog: a heading, a scrollable list and a question with
// OK and Cancel. Each use is a fresh modal dialog, so nested uses cannot
// disturb one another's answer.

#include <QDialog>

class QLabel;
class QPlainTextEdit;

namespace vexora::ui {

class frmMessages : public QDialog {
    Q_OBJECT
public:
    explicit frmMessages(QWidget* parent = nullptr);

    void fill(const QString& caption, const QString& heading, const QString& list, const QString& question);

private:
    QLabel* heading_;
    QPlainTextEdit* list_;
    QLabel* question_;
};

}  // namespace vexora::ui
