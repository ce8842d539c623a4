#pragma once
// The drive search as the user sees it: a busy dialog naming the folder
// being searched, with a Cancel button; the event loop keeps turning
// between folders. The dialog is made when the search begins, not before:
// the question that precedes the search must not find it on screen.

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include "core/shell/ProgramSearch.h"

class QProgressDialog;
class QWidget;

namespace vexora::ui {

class SearchProgress : public SearchFeedback {
public:
    SearchProgress(QWidget* parent, const QString& programName);
    ~SearchProgress() override;

    bool searching(const std::filesystem::path& folder) override;

private:
    QPointer<QWidget> parent_;
    QString programName_;
    QPointer<QProgressDialog> dialog_;
    bool started_ = false;
    QElapsedTimer sinceEvents_;
};

}  // namespace vexora::ui
