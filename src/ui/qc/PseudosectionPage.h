#pragma once
// The pseudosections of the loaded data: the quantity (measured or
// calculated apparent resistivity, chargeability, misfit) and the cable
// chosen above, the picture below, "Save image..." for reports.

#include <vector>

#include <QWidget>

#include "core/log/MessageLog.h"
#include "core/qc/Pseudosection.h"

class QComboBox;
class QPushButton;

namespace vexora {
struct ProjectStore;
}  // namespace vexora

namespace vexora::ui {

class FileDialogs;

class PseudosectionPage : public QWidget {
    Q_OBJECT
public:
    PseudosectionPage(const ProjectStore& store, MessageLog& log, FileDialogs& dialogs, QWidget* parent = nullptr);

    // Reads the data again (they may have been loaded anew) and redraws.
    void refresh();
    const std::vector<PseudosectionPanel>& panels() const { return panels_; }

    QComboBox* cboQuantity = nullptr;
    QComboBox* cboCable = nullptr;
    QPushButton* cmdSaveImage = nullptr;

private:
    void redraw();
    void saveImage();

    const ProjectStore& store_;
    MessageLog& log_;
    FileDialogs& dialogs_;
    QWidget* view_ = nullptr;
    std::vector<PseudosectionPanel> panels_;
    PseudoQuantity quantity_ = PseudoQuantity::ApparentResistivity;
};

}  // namespace vexora::ui
