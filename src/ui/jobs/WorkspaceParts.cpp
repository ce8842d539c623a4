#include "ui/jobs/WorkspaceParts.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

#include "core/datafile/StartupConfiguration.h"
#include "core/jobs/ProjectFolder.h"
#include "core/mesh/DefaultMeshSettings.h"
#include "core/mesh/MeshDimensions.h"
#include "core/platform/Application.h"
#include "core/project/ProjectReset.h"
#include "core/settings/Configuration.h"
#include "ui/platform/FileDialogs.h"
#include "ui/settings/flexgridInputData.h"
#include "ui/platform/RunHandler.h"
#include "ui/platform/TextConversion.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/ShellEnvironment.h"
#include "ui/shell/WindowPlaces.h"

namespace vexora::ui {

namespace fs = std::filesystem;

namespace {

// A label that runs its button's command when clicked.
class CommandLabel : public QLabel {
public:
    CommandLabel(const QString& text, QPushButton* button) : QLabel(text), button_(button)
    {
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && button_->isEnabled()) button_->click();
    }

private:
    QPushButton* button_;
};

}  // namespace

QPushButton* addWorkspaceCommand(QGridLayout* layout, int row, const char* name, const QString& caption,
                                 const QString& label, const QString& tip, MessageLog& log, Questions& questions,
                                 std::function<void()> run)
{
    auto* button = new QPushButton(caption);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(tip);
    QObject::connect(button, &QPushButton::clicked, button,
                     [&log, &questions, name, run = std::move(run)] { runCommand(log, questions, name, run); });
    layout->addWidget(button, row, 0);
    auto* labelWidget = new CommandLabel(label, button);
    labelWidget->setToolTip(tip);
    layout->addWidget(labelWidget, row, 1);
    return button;
}

fs::path chooseExistingFile(QWidget* parent, FileDialogs& dialogs, Questions& questions, const QString& caption,
                            std::string_view filter)
{
    const QString chosen = dialogs.openFileName(parent, caption, toQtFilters(filter));
    if (chosen.isEmpty()) return {};
    const fs::path path = toFilePath(chosen);
    if (fs::exists(path)) return path;
    questions.showMessage(std::string(kApplicationTitle) + " - Error", path.string() + " not found!",
                          MessageIcon::Critical);
    return {};
}

QString chooseSaveFile(QWidget* parent, FileDialogs& dialogs, Questions& questions, const QString& title,
                       std::string_view filters, const QString& proposed)
{
    const QString chosen = dialogs.saveFileName(parent, title, proposed, toQtFilters(filters));
    if (chosen.isEmpty()) return {};
    if (fs::exists(toFilePath(chosen)) &&
        !confirmOverwrite(questions, "Save as", toWindows1252(chosen), MessageIcon::Exclamation))
        return {};
    return chosen;
}

fs::path chooseNewProjectFolder(QWidget* parent, FileDialogs& dialogs, Questions& questions, MessageLog& log,
                                const char* source, const QString& title, std::string_view filters,
                                const QString& proposed)
{
    const QString chosen = dialogs.saveFileName(parent, title, proposed, toQtFilters(filters));
    if (chosen.isEmpty()) return {};
    const fs::path folder = projectFolderFor(toFilePath(chosen));
    if (folder.filename() == kProjectFolderSuffix) return {};
    std::string message;
    switch (createProjectFolder(folder, message)) {
    case ProjectFolderResult::Created:
        return folder;
    case ProjectFolderResult::Exists:
        questions.showMessage(kProjectFolderExistsTitle, message, MessageIcon::Exclamation);
        return {};
    case ProjectFolderResult::Failed:
        break;
    }
    log.logError(source, message);
    return {};
}

void fillSectionList(QListWidget* list, const SettingsTable& settings)
{
    list->clear();
    for (std::size_t row = 0; row < settings.rows.size(); ++row) {
        if (!settings.rows[row].section) continue;
        auto* item = new QListWidgetItem(toQString(settings.rows[row].description), list);
        item->setData(Qt::UserRole, static_cast<int>(row));
    }
}

void showMeshDimensions(QLabel* label, const SettingsTable& settings, bool forward)
{
    MeshDimensions dimensions;
    MessageLog quiet;  // a half-edited layout is no error worth logging here
    // The labels show whatever could be computed, on failure too.
    if (forward) (void)CalculateFWMeshDimensions(settings, dimensions, quiet);
    else (void)CalculateMeshDimensions(settings, dimensions, quiet);
    const MeshDimensionLabels labels = meshDimensionLabels(dimensions);
    label->setText(toQString(forward ? labels.nodes + "\n" + labels.blocks + "\n" + labels.blocksX + "\n" +
                                           labels.blocksY + "\n" + labels.blocksZ
                                     : labels.nodes + "\n" + labels.blocks));
    label->setStyleSheet(labels.nodesRed ? QStringLiteral("color: red") : QString());
}

bool setDefaultSettings(ProjectStore& store, UserSettings& userSettings, Questions& questions, MessageLog& log)
{
    if (!questions.askYesNo({QuestionId::ResetSettings, std::string(kApplicationTitle) + " - Set defaults?",
                             "Do you want to replace every setting with its default value?", MessageIcon::Question}))
        return false;
    ResetSettingsTable(store.settings);
    // A failure is logged; the table is shown and the reset reported either way.
    if (store.survey.dataLoaded) (void)SetDefaultMeshSettings(store.survey, store.settings, store.mesh.lines, log);
    else LoadStartupConfiguration(store.settings, userSettings, questions, log);
    log.subWriteToTextBox(std::string("Default settings ") + kLineBreak);
    return true;
}

void saveConfigurationAs(QWidget* parent, const ProjectStore& store, FileDialogs& dialogs, Questions& questions,
                         MessageLog& log)
{
    constexpr std::string_view filter =
        "Config (*.cnfg)|*.cnfg|Text (*.txt)|*.txt|CSV File(*.csv)|*.csv|Dat File(*.dat)|*.dat|All Files (*.*)|*.*";
    const QString chosen = chooseSaveFile(parent, dialogs, questions, QObject::tr("Save configuration"), filter);
    if (chosen.isEmpty()) return;
    const fs::path path = toFilePath(chosen);
    if (WriteConfiguration(path, store.settings, log))
        log.subWriteToTextBox("Configuration file " + path.string() + " saved" + kLineBreak);
}

bool quitProject(ProjectStore& store, MessageLog& log, Questions& questions, MDIStart& mainWindow,
                 TaskWindow workspace)
{
    bool quit = false;
    runHandler(log, "Form_QueryUnload", [&] {
        quit = questions.askYesNo({QuestionId::QuitProject, std::string(kApplicationTitle) + " - Quit Project?",
                                   "Do you really want to quit this " +
                                       std::string(projectTypeCaption(mainWindow.projectType())) + " project?",
                                   MessageIcon::Question});
        if (!quit) return;
        resetProjectData(store);
        mainWindow.closeProjectWindows(workspace);
    });
    return quit;
}

void layOutWorkspace(QWidget& workspace, QWidget* top, QWidget* logPanel, UserSettings& userSettings,
                     const char* sizesKey)
{
    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->setObjectName(QStringLiteral("splitWork"));
    splitter->addWidget(top);
    splitter->addWidget(logPanel);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    // Dragged to the top, the commands stay: only the log may be closed.
    splitter->setCollapsible(0, false);
    keepSplitterSizes(splitter, userSettings, sizesKey);
    auto* layout = new QVBoxLayout(&workspace);
    layout->addWidget(splitter);
}

void linkSettingsGrid(QListWidget* list, flexgridInputData* grid, QWidget* owner, std::function<void()> edited,
                      std::function<void(bool)> ipTicked)
{
    QObject::connect(list, &QListWidget::itemClicked, owner, [grid](QListWidgetItem* item) {
        grid->scrollTo(grid->model()->index(item->data(Qt::UserRole).toInt(), 0), QAbstractItemView::PositionAtTop);
    });
    QObject::connect(grid, &flexgridInputData::settingsEdited, owner, std::move(edited));
    EditSettingHooks hooks;
    hooks.ipCheckBox = std::move(ipTicked);
    grid->setHooks(std::move(hooks));
}

}  // namespace vexora::ui
