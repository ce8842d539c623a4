#include "ui/shell/frmPath.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/datafile/StartupConfiguration.h"
#include "core/platform/Application.h"
#include "core/platform/Questions.h"
#include "core/platform/UserSettings.h"
#include "core/settings/Configuration.h"
#include "core/shell/ExternalPrograms.h"
#include "core/shell/ShellFolders.h"
#include "ui/platform/FileDialogs.h"
#include "ui/platform/TextConversion.h"

namespace vexora::ui {

namespace {

struct ModeTexts {
    const char* caption;
    const char* current;
    const char* change;
    const char* next;
    std::string_view key;
};

ModeTexts textsOf(frmPath::Mode mode)
{
    switch (mode) {
    case frmPath::Mode::Viewer:
        return {"Set path for Viewer", "Current directory:", "Change directory:", "New directory:", kViewerProgram};
    case frmPath::Mode::Sequencer:
        return {"Set path for Sequencer", "Current directory:", "Change directory:", "New directory:",
                kSequencerProgram};
    case frmPath::Mode::Configuration: break;
    }
    return {"Set user-defined default configuration", "Current default configuration settings:",
            "Load configuration settings from file:", "New default configuration settings will be loaded from file:",
            "Configuration"};
}

// "Paths" values hold paths in the file system's own encoding.
QString shownValue(const std::string& stored) { return fromFilePath(stored); }
std::string storedValue(const QString& shown) { return toFilePath(shown).string(); }

}  // namespace

frmPath::frmPath(Mode mode, UserSettings& userSettings, Questions& questions, FileDialogs& fileDialogs,
                 QWidget* parent)
    : QDialog(parent),
      mode_(mode),
      userSettings_(userSettings),
      questions_(questions),
      fileDialogs_(fileDialogs),
      txtCurrent_(new QLineEdit(this)),
      txtNew_(new QLineEdit(this))
{
    const ModeTexts texts = textsOf(mode);
    setObjectName(QStringLiteral("frmPath"));
    setWindowTitle(QString::fromLatin1(texts.caption));

    const std::string current =
        programMode() ? storedProgramFolder(userSettings_, texts.key)
                      : userSettings_.value(kPathsSection, texts.key).value_or(std::string(kBuiltInDefaults));
    txtCurrent_->setText(shownValue(current));
    txtCurrent_->setReadOnly(true);
    txtNew_->setMinimumWidth(420);

    auto* browse = new QPushButton(tr("Browse..."), this);
    browse->setToolTip(programMode() ? tr("Choose the folder that holds the program")
                                     : tr("Choose the configuration file the workbench starts with"));
    connect(browse, &QPushButton::clicked, this, &frmPath::cmdBrowse_Click);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setToolTip(tr("Store the new choice for this user"));
    buttons->button(QDialogButtonBox::Cancel)->setToolTip(tr("Close, keeping the current choice"));
    connect(buttons, &QDialogButtonBox::accepted, this, &frmPath::cmdOK_Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmPath::cmdCancel_Click);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QString::fromLatin1(texts.current), this), 0, 0, 1, 2);
    grid->addWidget(txtCurrent_, 1, 0, 1, 2);
    grid->addWidget(new QLabel(QString::fromLatin1(texts.change), this), 2, 0);
    grid->addWidget(browse, 2, 1, Qt::AlignRight);
    grid->addWidget(new QLabel(QString::fromLatin1(texts.next), this), 3, 0, 1, 2);
    grid->addWidget(txtNew_, 4, 0, 1, 2);
    grid->addWidget(buttons, 5, 0, 1, 2);
}

void frmPath::cmdBrowse_Click()
{
    const ModeTexts texts = textsOf(mode_);
    if (!programMode()) {
        const QString chosen = fileDialogs_.openFileName(
            this, windowTitle(), toQtFilters("Config (*.cnfg)|*.cnfg|All Files (*.*)|*.*"));
        if (!chosen.isEmpty()) txtNew_->setText(chosen);
        return;
    }
    // Where programs carry no ".exe" the program's bare name is offered too.
    QString filters = toQtFilters("exe file (*.exe)|*.exe");
    const std::vector<std::string> names = programFileNames(texts.key);
    for (std::size_t i = 1; i < names.size(); ++i)
        filters += QStringLiteral(";;") + toQString(names[i]) + QStringLiteral(" (") + toQString(names[i]) +
                   QLatin1Char(')');
    const QString chosen = fileDialogs_.openFileName(this, windowTitle(), filters);
    if (chosen.isEmpty()) return;
    const QFileInfo file(chosen);
    const std::string name = toFilePath(file.fileName()).string();
    if (std::find(names.begin(), names.end(), name) == names.end()) {
        questions_.showMessage(std::string(kApplicationTitle) + " - Error",
                               toWindows1252(chosen) + " is not " + std::string(texts.key) + "!",
                               MessageIcon::Exclamation);
        return;
    }
    txtNew_->setText(fromFilePath(folderWithTrailingSeparator(toFilePath(file.absolutePath()).string())));
}

void frmPath::cmdOK_Click()
{
    const ModeTexts texts = textsOf(mode_);
    const QString value = txtNew_->text().trimmed();
    if (programMode()) {
        if (!value.isEmpty())
            userSettings_.setValue(kPathsSection, texts.key, folderWithTrailingSeparator(storedValue(value)));
    }
    else {
        userSettings_.setValue(kPathsSection, texts.key,
                               value.isEmpty() ? std::string(kBuiltInDefaults) : storedValue(value));
    }
    accept();
}

void frmPath::cmdCancel_Click() { reject(); }

}  // namespace vexora::ui
