// The main window's tools and options: the external programs, the viewer
// script, the data file load and the core conversions, the path dialog,
// the background colour, help and About.

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QFileInfo>
#include <QMessageBox>

#include "core/log/MessageLog.h"
#include "core/platform/Application.h"
#include "core/platform/Questions.h"
#include "core/shell/DataFileConversion.h"
#include "core/shell/ProjectBanner.h"
#include "ui/platform/FileDialogs.h"
#include "ui/platform/TextConversion.h"
#include "ui/shell/DataFileLoading.h"
#include "ui/shell/HelpWindow.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/SearchProgress.h"
#include "ui/shell/frmPath.h"

namespace vexora::ui {

namespace {

constexpr std::string_view kDataFileFilters =
    "Data file (*.data)|*.data|Text (*.txt)|*.txt|CSV File(*.csv)|*.csv|Dat File(*.dat)|*.dat|All Files (*.*)|*.*";
constexpr std::string_view kViewerManagerProgram = "ViewerManager.exe";
#if defined(__clang__)
constexpr const char* kCompiler = "Clang " __clang_version__;
#elif defined(__GNUC__)
constexpr const char* kCompiler = "GCC " __VERSION__;
#else
constexpr const char* kCompiler = "a C++20 compiler";
#endif
#ifdef NDEBUG
constexpr const char* kBuildType = "optimised";
#else
constexpr const char* kBuildType = "debug";
#endif

std::string title(std::string_view suffix) { return std::string(kApplicationTitle) + std::string(suffix); }

}  // namespace

ExternalStatus MDIStart::runExternal(std::string_view program, const std::filesystem::path& file)
{
    SearchProgress progress(this, toQString(program));
    ExternalEnvironment external{userSettings_, questions_, *environment_.launcher, *environment_.roots,
                                 log_,          &progress,  environment_.userDataFolder, environment_.applicationFolder};
    // No busy pointer: the question and the search dialog talk to the user.
    return RunExternal(external, program, file);
}

// The menu handlers start the program and are done: RunExternal tells the
// user itself why a program was not started.
void MDIStart::mnuSequencer_Click() { (void)runExternal(kSequencerProgram); }

void MDIStart::mnuViewer_Click() { (void)runExternal(kViewerProgram); }

void MDIStart::mnuRunViewerScript_Click()
{
    const QString chosen =
        fileDialogs_.openFileName(this, tr("Run 3D Viewer Script file"), toQtFilters("Ohm (*.ohm)|*.ohm|All Files (*.*)|*.*"));
    if (chosen.isEmpty()) return;
    if (!QFileInfo(chosen).isFile()) {
        questions_.showMessage(title(" - Error"), toWindows1252(chosen) + " not found!", MessageIcon::Critical);
        return;
    }
    (void)runExternal(kViewerProgram, toFilePath(chosen));  // reported by RunExternal
}

void MDIStart::mnuViewerManager_Click()
{
    const std::optional<std::filesystem::path> program =
        locateProgramFile(environment_.applicationFolder, kViewerManagerProgram);
    if (!program || !environment_.launcher->startDetached(*program, {}, environment_.applicationFolder))
        questions_.showMessage(title(" - Warning"), "Vexora Viewer Manager not found!", MessageIcon::Exclamation);
}

void MDIStart::convertDataFile(int kind)
{
    const QString chosen = fileDialogs_.openFileName(this, tr("Load data file"), toQtFilters(kDataFileFilters));
    if (chosen.isEmpty()) return;
    // A conversion not started has logged why; the core program reports the rest.
    (void)vexora::convertDataFile(toFilePath(chosen), static_cast<DataFileConversion>(kind),
                                  environment_.applicationFolder, environment_.userDataFolder, *environment_.launcher,
                                  log_);
}

void MDIStart::mnuLoadDataFile_Click()
{
    if (refuseSecondDataFile(store_, questions_)) return;
    const QString chosen = fileDialogs_.openFileName(this, tr("Load data file"), toQtFilters(kDataFileFilters));
    if (!chosen.isEmpty()) loadDataFile(chosen);
}

void MDIStart::mnuConvertToVwer_Click() { convertDataFile(static_cast<int>(DataFileConversion::ViewerModel)); }

void MDIStart::mnuExportFullMesh_Click() { convertDataFile(static_cast<int>(DataFileConversion::FullMesh)); }

void MDIStart::mnuRunConsoleInversion_Click()
{
    const QString chosen = fileDialogs_.openFileName(this, tr("Load data file"), toQtFilters("Data file (*.data)|*.data"));
    if (chosen.isEmpty() || !consoleInversion_) return;
    consoleInversion_(chosen);
}

void MDIStart::mnuPath_Click(int mode)
{
    frmPath dialog(static_cast<frmPath::Mode>(mode), userSettings_, questions_, fileDialogs_, this);
    dialog.exec();
}

void MDIStart::mnuBackgroundOther_Click()
{
    if (const std::optional<QColor> colour = fileDialogs_.chooseColour(this, taskBackground())) setTaskBackground(*colour);
}

void MDIStart::mnuHelp_Click()
{
    // F1 opens the section of the window being worked in: the focused
    // widget's window, or the active sub-window.
    std::optional<HelpTopic> topic;
    for (QWidget* w = QApplication::focusWidget(); w && !topic; w = w->parentWidget())
        topic = helpTopicFor(toWindows1252(w->objectName()));
    if (!topic && mdiArea_->activeSubWindow() && mdiArea_->activeSubWindow()->widget())
        topic = helpTopicFor(toWindows1252(mdiArea_->activeSubWindow()->widget()->objectName()));
    if (!help_) {
        help_ = new HelpWindow(builtInHelpPages(), this);
        help_->setWindowFlag(Qt::Window);
    }
    // Shown first, so the page is laid out when it scrolls to the section.
    help_->show();
    help_->raise();
    help_->activateWindow();
    if (topic) help_->showTopic(*topic);
}

void MDIStart::mnuAbout_Click()
{
    const QString libraries = tr(
        "<p>Built with:</p><ul>"
        "<li>Qt %1 (LGPL 3): windows and plots</li>"
        "<li>SuiteSparse CHOLMOD (LGPL 2.1 or later): the direct forward solver</li>"
        "<li>OpenBLAS (BSD 3-clause) and LAPACK (BSD): dense kernels under CHOLMOD</li>"
        "<li>CGAL (GPL 3 or later for the 2D triangulation used): the terrain surface</li>"
        "<li>nlohmann/json (MIT): job files</li>"
        "</ul>").arg(QString::fromLatin1(qVersion()));
    QMessageBox::about(this, tr("About %1").arg(toQString(kApplicationTitle)),
                       QStringLiteral("<b>%1</b> %2<br>%3<br><br>%4%5")
                           .arg(toQString(kApplicationTitle), toQString(versionText()),
                                tr("Built %1 %2 with %3 (%4).")
                                    .arg(QString::fromLatin1(__DATE__), QString::fromLatin1(__TIME__),
                                         QString::fromLatin1(kCompiler), QString::fromLatin1(kBuildType)),
                                tr("Workbench for 3D electrical resistivity and induced-polarisation tomography."),
                                libraries));
}

}  // namespace vexora::ui
