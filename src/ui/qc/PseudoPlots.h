#pragma once
// The window the explorer's "Pseudo Plots" node opens: the pseudosections of
// the loaded data and the histogram of their V/I values, on two tabs, both
// drawn afresh at every show. With no values it does not open and the log
// says why.

#include <QTabWidget>

#include "core/log/MessageLog.h"
#include "core/platform/Questions.h"

namespace vexora {
struct ProjectStore;
}  // namespace vexora

namespace vexora::ui {

class FileDialogs;
class MDIStart;
class PseudosectionPage;
class frmPlots;

class PseudoPlots : public QTabWidget {
    Q_OBJECT
public:
    PseudoPlots(const ProjectStore& store, MessageLog& log, Questions& questions, FileDialogs& dialogs,
                QWidget* parent = nullptr);
    PseudosectionPage* sections() const { return sections_; }
    frmPlots* histogram() const { return histogram_; }

private:
    PseudosectionPage* sections_ = nullptr;
    frmPlots* histogram_ = nullptr;
};

void registerPlots(MDIStart& mainWindow, ProjectStore& store, MessageLog& log, Questions& questions,
                   FileDialogs& fileDialogs);

}  // namespace vexora::ui
