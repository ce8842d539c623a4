#include "ui/shell/MainWindow.h"

#include <QApplication>
#include <QDockWidget>
#include <QMdiArea>
#include <QMenuBar>

#include "datafile/ScheduleLoader.h"
#include "log/MessageLog.h"
#include "platform/Application.h"
#include "ui/log/MessageLogPanel.h"
#include "ui/platform/RunHandler.h"
#include "ui/platform/TextConversion.h"

namespace vexora::ui {

MDIStart::MDIStart(ProjectStore& store, MessageLog& log, Questions& questions, UserSettings& userSettings,
                   FileDialogs& fileDialogs, QWidget* parent)
    : QMainWindow(parent),
      store_(store),
      log_(log),
      questions_(questions),
      userSettings_(userSettings),
      fileDialogs_(fileDialogs),
      mdiArea_(new QMdiArea(this))
{
    setObjectName(QStringLiteral("MDIStart"));
    setWindowTitle(toQString(kApplicationTitle));
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea_);

    createLogDock();
    createMenus();
    resize(1200, 800);

    log_.subWriteToTextBox(std::string(kApplicationTitle) + " started." + kLineBreak);
}

void MDIStart::createLogDock()
{
    logPanel_ = new MessageLogPanel(log_, questions_, fileDialogs_);
    logDock_ = new QDockWidget(tr("Messages"), this);
    logDock_->setObjectName(QStringLiteral("MessagesDock"));
    // The log is the only record of what the workbench did: it can be moved
    // or floated but not closed.
    logDock_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    logDock_->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
    logDock_->setWidget(logPanel_);
    addDockWidget(Qt::BottomDockWidgetArea, logDock_);
    resizeDocks({logDock_}, {240}, Qt::Vertical);
}

void MDIStart::createMenus()
{
    fileMenu_ = menuBar()->addMenu(tr("&File"));
    fileMenu_->addAction(tr("Save log as..."), logPanel_, &MessageLogPanel::mnuSaveLogAs_Click);
    fileMenu_->addSeparator();
    QAction* quit = fileMenu_->addAction(tr("&Quit"), this, &MDIStart::mnuQuit_Click);
    quit->setShortcut(QKeySequence::Quit);
}

void MDIStart::mnuQuit_Click()
{
    // Ends the program at once: unlike quit(), exit() asks no window to close.
    QCoreApplication::exit(0);
}

void MDIStart::loadDataFile(const QString& path)
{
    runHandler(log_, "cmdInputScheduleFile", [&] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        store_.type = ProjectType::DataInversion;
        const int status = funInputScheduleFile(store_, toFilePath(path), log_, questions_);
        QApplication::restoreOverrideCursor();
        if (status == kStatusOk)
            log_.subWriteToTextBox(toWindows1252(path) + " loaded: " + std::to_string(store_.survey.electrodes.size()) +
                                   " electrodes, " + std::to_string(store_.survey.quadrupoles.size()) +
                                   " quadrupoles, " + std::to_string(store_.survey.topography.size()) +
                                   " topography points." + kLineBreak);
    });
}

}  // namespace vexora::ui
