#pragma once
// The field data window: an instrument file imported into temporary grids,
// accepted onto a cable of the project, cleaned by removal steps with undo,
// sorted, and saved as a data file or a current map. The same window shows
// the data set of a loaded file.

#include <functional>

#include <QWidget>

#include "core/fielddata/ElectrodeEdits.h"
#include "core/fielddata/FieldDataTable.h"
#include "core/fielddata/Removal.h"
#include "core/import/ImportTables.h"
#include "core/import/tables/ImportFill.h"
#include "core/log/MessageLog.h"
#include "core/platform/Questions.h"
#include "core/qc/Histogram.h"
#include "core/shell/ExplorerTree.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableView;

namespace vexora::ui {

class ElectrodeTableModel;
class FileDialogs;
class ImportGridModel;
class MDIStart;
class QuadTableModel;
struct ShellEnvironment;
class SurveyView3DPanel;
class frmPlots;

// The import's working tables, shared with the open dialog the explorer's
// "Import field data" node shows.
struct ImportSession {
    ImportSet set;
    ImportGrids grids;
};

class ImportSyscal : public QWidget {
    Q_OBJECT
public:
    ImportSyscal(ProjectStore& store, ImportSession& session, MessageLog& log, Questions& questions,
                 FileDialogs& dialogs, QWidget* parent = nullptr);

    FieldDataValues& values() { return values_; }
    QuadTableModel* quadModel() const { return quadModel_; }

    // Commands.
    void cmdImport_Click();      // opens the import dialog for the chosen format
    void showTemporary();        // the temporary grids of the import just read
    void cmdImportData_Click();  // accepts the import onto the chosen cable
    void cmdCancel_Click();
    void cmdRemoveDuplicates_Click();
    void cmdModify_Click();
    void cmdRemoveData_Click();
    void cmdUndo_Click();
    void cmdSkipReset_Click();
    void cmdSaveData_Click();
    void cmdSaveXyz_Click();
    void cmdSensitivity_Click();  // survey design: a sensitivity job in a new project folder
    // The electrode grid's edits, on the selected electrodes (every one when
    // none is selected); a double click on a column's header or cell picks
    // the edit of that column.
    void editElectrodeColumn(int column);
    void funRenameCable();
    void funModifyCoordinates(int axis);  // 0 x, 1 y, 2 z
    void funSetTerrain();
    void funInterpolateTerrain();
    void funUpdateProfileCoordinates();
    void funSetElectrodeType();
    void funRemoveRemoteFlag();
    QMenu* electrodeMenu() const { return mnuElectrodes_; }
    // Folders and process start of the core jobs (the main window's).
    void setJobEnvironment(const ShellEnvironment* environment) { environment_ = environment; }
    // The quadrupole grid's pop-up menu.
    void funSortMeasurements(int column, bool increasing, bool absolute);
    frmPlots* funPlotStatistics(int column);
    void funSetToPositive();
    QMenu* quadOperationsMenu() const { return mnuQuadOperations_; }
    // The tables changed elsewhere (a data file loaded, a reciprocal check).
    void refreshAll();
    void setMode(WindowMode mode);

    // Controls by their workbench names, for tests.
    QComboBox* cboFormat = nullptr;
    QPushButton* cmdImport = nullptr;
    QGroupBox* fraTemp = nullptr;  // "Temp Schedule"
    QTableView* grdTempQuad = nullptr;
    QTableView* grdTempElec = nullptr;
    QGroupBox* fraRemote1 = nullptr;
    QGroupBox* fraRemote2 = nullptr;
    QLineEdit* txtRemote[2][3] = {};
    QRadioButton* optNewCable = nullptr;
    QRadioButton* optUseCable = nullptr;
    QLineEdit* txtCableName = nullptr;
    QComboBox* cboUseCable = nullptr;
    QPushButton* cmdImportData = nullptr;
    QPushButton* cmdCancel = nullptr;
    QTabWidget* tabViews = nullptr;
    QTableView* grdElectrodes = nullptr;
    QTableView* grdQuad = nullptr;
    SurveyView3DPanel* view3D = nullptr;
    QLineEdit* txtToler = nullptr;
    QPushButton* cmdRemoveDuplicates = nullptr;
    QLineEdit* txtShift[3] = {};
    QLineEdit* txtAngle = nullptr;
    QCheckBox* chkRadians = nullptr;
    QPushButton* cmdModify = nullptr;
    QRadioButton* optElect = nullptr;
    QRadioButton* optMeas = nullptr;
    QRadioButton* optNoRec = nullptr;
    QRadioButton* optDuplicated = nullptr;
    QComboBox* cboCable = nullptr;
    QComboBox* cboElectrode = nullptr;
    QComboBox* cboQuantity = nullptr;
    QComboBox* cboOperator = nullptr;
    QLineEdit* txtThreshold = nullptr;
    QPushButton* cmdRemoveData = nullptr;
    QPushButton* cmdUndo = nullptr;
    QPushButton* cmdSkipReset = nullptr;
    QLabel* lblRemoved = nullptr;
    QLabel* lblPercent = nullptr;
    QComboBox* cboIpWindow = nullptr;
    QCheckBox* chkRemoveSkipped = nullptr;
    QCheckBox* chkIncludeConfig = nullptr;
    QPushButton* cmdSaveData = nullptr;
    QPushButton* cmdSaveXyz = nullptr;
    QGroupBox* fraSensitivity = nullptr;  // "SENSITIVITY ANALISYS"
    QLineEdit* txtSensQuad = nullptr;
    QCheckBox* chkSensAll = nullptr;
    QCheckBox* chkSensAbs = nullptr;
    QPushButton* cmdSensitivity = nullptr;

signals:
    // The project's survey changed (an import accepted, electrodes edited).
    void surveyChanged();

private:
    QWidget* buildTemporaryPanel();
    QWidget* buildCommands();
    void buildQuadMenu();
    void buildElectrodeMenu();
    std::vector<std::size_t> selectedElectrodes() const;
    // After an edit: a refusal shown under the prompt's title, or the grids,
    // factors and views brought up to date.
    void electrodesEdited(const std::string& title, const EditOutcome& outcome, bool geometry);
    void fillCableLists();
    void fillElectrodeList();
    void fillIpWindows();
    void showCounters();
    void removalDone();
    QString chooseSaveFile(const QString& title, const char* filters);
    void applyFilter(const FilterRequest& request, int column);
    // A removal step computed off the window thread, then taken in.
    void takeRemoval(const RemovalRule& rule);
    // `work` run through the progress road with the window closed to input,
    // logging into the log it is given (joined to the window's at the end);
    // true when the user cancelled (what the work made is then dropped).
    bool readInBackground(const char* title, const std::function<void(MessageLog&)>& work);

    ProjectStore& store_;
    ImportSession& session_;
    MessageLog& log_;
    Questions& questions_;
    FileDialogs& dialogs_;
    FieldDataValues values_;
    ImportGridModel* tempQuadModel_ = nullptr;
    ImportGridModel* tempElecModel_ = nullptr;
    ElectrodeTableModel* electrodeModel_ = nullptr;
    QuadTableModel* quadModel_ = nullptr;
    QMenu* mnuQuadOperations_ = nullptr;
    QMenu* mnuElectrodes_ = nullptr;
    const ShellEnvironment* environment_ = nullptr;
    int menuColumn_ = ColResistance;
    frmPlots* plots_ = nullptr;
};

// The field data window of the explorer's "Data Set" and "SA workspace"
// nodes and, after the open dialog of "Import field data" has read a file,
// with that file's temporary grids.
void registerImportSyscal(MDIStart& mainWindow, ProjectStore& store, MessageLog& log, Questions& questions,
                          FileDialogs& fileDialogs);

}  // namespace vexora::ui
