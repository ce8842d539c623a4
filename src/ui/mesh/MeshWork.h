#pragma once
// The mesh workspace: the mesh settings as fields, the three line lists as
// grids with single lines inserted or edited, the starting model's
// background and anomalies, a plan and a section preview of what "Make mesh"
// will build, the node and block counts with the memory they need, and the
// commands that load topography, make the mesh and show it in the viewer.
// It works on the project's store; everything it computes is done by the core.

#include <array>

#include <QWidget>

#include "core/mesh/MeshWorkspace.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;

namespace vexora {
class MessageLog;
class Questions;
class UserSettings;
struct ProjectStore;
}  // namespace vexora

namespace vexora::ui {

class AnomalyTableModel;
class FileDialogs;
class LineGridModel;
class MDIStart;
class MeshPreviewView;

class MeshWork : public QWidget {
    Q_OBJECT
public:
    MeshWork(ProjectStore& store, MessageLog& log, Questions& questions, UserSettings& userSettings,
             FileDialogs& fileDialogs, MDIStart& mainWindow, QWidget* parent = nullptr);

    void cmdApplySet_Click();
    void cmdInsertLine(MeshAxis axis);
    void cmdInsert_Click();
    void cmdDelete_Click();
    void cmdApply_Click();
    void cmdLoadTopography_Click();
    void cmdMakeMesh_Click();
    void cmdViewMesh_Click();

    // Everything shown again from the store: fields, grids, labels, previews.
    void refreshAll();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* settingsPanel();
    QWidget* linesPanel();
    QWidget* modelPanel();
    QPushButton* addButton(const char* name, const QString& caption, const QString& tip, void (MeshWork::*run)());
    QLineEdit* addField(const char* name);
    QCheckBox* addCheck(const char* name, const QString& caption, Item item);
    void showError(const std::string& text);
    void refreshFields();
    void refreshLines();
    void refreshAnomalies();
    bool editLine(MeshAxis axis, LineColumn column, std::size_t row, double value);
    bool resistivityShown() const;

    ProjectStore& store_;
    MessageLog& log_;
    Questions& questions_;
    UserSettings& userSettings_;
    FileDialogs& fileDialogs_;
    MDIStart& mainWindow_;

    std::array<QLineEdit*, 3> sizes_{};
    std::array<QLineEdit*, 4> box_{};
    QLineEdit* zMin_ = nullptr;
    QLineEdit* zMaxOrDepth_ = nullptr;
    QLabel* zMaxCaption_ = nullptr;
    std::array<QLineEdit*, 5> pads_{};
    std::vector<std::pair<QCheckBox*, Item>> checks_;
    QLineEdit* lineValue_ = nullptr;
    std::array<LineGridModel*, 3> lineModels_{};
    std::array<QTableView*, 3> lineGrids_{};
    AnomalyTableModel* anomalyModel_ = nullptr;
    QTableView* anomalyGrid_ = nullptr;
    QRadioButton* optRho_ = nullptr;
    QRadioButton* optIP_ = nullptr;
    std::array<QLineEdit*, 8> anomaly_{};
    QPushButton* cmdDelete_ = nullptr;
    QLabel* deleteLabel_ = nullptr;
    QLineEdit* backgroundRes_ = nullptr;
    QLineEdit* backgroundIp_ = nullptr;
    QLabel* nodes_ = nullptr;
    QLabel* blocks_ = nullptr;
    QLabel* memory_ = nullptr;
    QLabel* plotRegion_ = nullptr;
    QLabel* userDefined_ = nullptr;
    QPushButton* cmdViewMesh_ = nullptr;
    MeshPreviewView* plan_ = nullptr;
    MeshPreviewView* section_ = nullptr;
};

// The window of the explorer's "Make Mesh" and "Make Resistivity/IP Model"
// nodes, and the export and XYZ import operations of the mesh nodes.
void registerMeshWork(MDIStart& mainWindow, ProjectStore& store, MessageLog& log, Questions& questions,
                      UserSettings& userSettings, FileDialogs& fileDialogs);

}  // namespace vexora::ui
