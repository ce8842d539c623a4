#pragma once
// The data merge window ("Multiple data import"): several data files loaded
// side by side as blocks, each inspected, moved, turned, renumbered, its
// cables renamed or reversed, then the checked ones merged into the
// project's tables. The loading, the changes and the merge are the core's.

#include <optional>
#include <vector>

#include <QDialog>
#include <QStringList>

#include "core/log/MessageLog.h"
#include "core/merge/MergeBlock.h"
#include "core/platform/Questions.h"
#include "core/project/ProjectStore.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace vexora::ui {

class FileDialogs;
class MergeElectrodeModel;

class Form_DataMerge : public QDialog {
    Q_OBJECT
public:
    Form_DataMerge(ProjectStore& store, MessageLog& log, Questions& questions, FileDialogs& fileDialogs,
                   QWidget* parent = nullptr);
    ~Form_DataMerge() override;

    // Loads the files, in order, appending each to the file list: checked
    // when it loaded, else as "Error on " + its name, unchecked.
    void addFiles(const QStringList& files);

    // The loaded block of a file-list entry; null for a file that failed.
    const MergeBlock* block(int entry) const;

    // Controls by their workbench names, for tests.
    QListWidget* lstFiles = nullptr;
    QPushButton* cmdAddFiles = nullptr;
    QProgressBar* prgLoading = nullptr;
    QLabel* lblLoading = nullptr;
    QPlainTextEdit* txtDetails = nullptr;
    QTableView* grdElectrodes = nullptr;
    QLineEdit* txtShift[3] = {};  // X(m), Y(m), Z(m)
    QLineEdit* txtAngle = nullptr;
    QCheckBox* chkRadians = nullptr;
    QLineEdit* txtOffset = nullptr;
    QPushButton* cmdModify = nullptr;
    QPushButton* cmdReverse = nullptr;
    QLineEdit* txtTolerance = nullptr;
    QCheckBox* chkRemoveDuplicates = nullptr;
    QPushButton* cmdImport = nullptr;
    QPushButton* cmdCancel = nullptr;

    void cmdAddFiles_Click();
    void lstFiles_Click();
    void cmdModify_Click();
    void cmdReverse_Click();
    // Renames the cable of electrode-grid row `row` (a double click on it).
    void grdElectrodes_DblClick(int row);
    void cmdImport_Click();

signals:
    // The project's tables now hold the merged files, the first of them
    // named.
    void merged(const QString& firstFile);

private:
    MergeBlock* selectedBlock();
    void showSelected();
    void setBusy(bool busy);

    ProjectStore& store_;
    MessageLog& log_;
    Questions& questions_;
    FileDialogs& fileDialogs_;
    std::vector<std::optional<MergeBlock>> entries_;  // one per file-list row
    MergeElectrodeModel* model_ = nullptr;
    QGroupBox* frames_[3] = {};
};

}  // namespace vexora::ui
