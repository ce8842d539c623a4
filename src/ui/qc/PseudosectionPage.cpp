#include "ui/qc/PseudosectionPage.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/project/ProjectStore.h"
#include "ui/platform/FileDialogs.h"
#include "ui/platform/PngFile.h"
#include "ui/platform/RunHandler.h"
#include "ui/platform/TextConversion.h"
#include "ui/qc/PseudosectionPainter.h"

namespace vexora::ui {

namespace {

constexpr const char* kSource = "Pseudosection";

// Paints the page's panels; a plain widget, redrawn on every resize.
class PseudosectionView : public QWidget {
public:
    PseudosectionView(const std::vector<PseudosectionPanel>& panels, const PseudoQuantity& quantity, QWidget* parent)
        : QWidget(parent), panels_(panels), quantity_(quantity)
    {
        setMinimumSize(480, 240);
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, Qt::white);
        setPalette(p);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        if (panels_.empty()) {
            painter.drawText(rect(), Qt::AlignCenter, "No data to show: see the message log.");
            return;
        }
        paintPseudosections(painter, QRectF(rect()), panels_, quantity_, pseudosectionScale(panels_, quantity_));
    }

private:
    const std::vector<PseudosectionPanel>& panels_;
    const PseudoQuantity& quantity_;
};

const std::pair<const char*, const char*> kQuantities[] = {{"Apparent resistivity", "rho"},
                                                           {"Calculated apparent resistivity", "calc"},
                                                           {"Apparent chargeability", "ip"},
                                                           {"Misfit (calculated / measured - 1)", "misfit"}};

}  // namespace

PseudosectionPage::PseudosectionPage(const ProjectStore& store, MessageLog& log, FileDialogs& dialogs, QWidget* parent)
    : QWidget(parent), store_(store), log_(log), dialogs_(dialogs)
{
    setObjectName("PseudosectionPage");
    cboQuantity = new QComboBox(this);
    for (const auto& [text, name] : kQuantities) cboQuantity->addItem(text, QString(name));
    cboCable = new QComboBox(this);
    cmdSaveImage = new QPushButton("Save image...", this);
    cmdSaveImage->setToolTip("Save the pseudosections shown as a PNG image");
    view_ = new PseudosectionView(panels_, quantity_, this);

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel("Quantity:", this));
    controls->addWidget(cboQuantity);
    controls->addWidget(new QLabel("Cable:", this));
    controls->addWidget(cboCable);
    controls->addStretch();
    controls->addWidget(cmdSaveImage);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(view_, 1);

    connect(cboQuantity, &QComboBox::currentIndexChanged, this, [this] { redraw(); });
    connect(cboCable, &QComboBox::currentIndexChanged, this, [this] { redraw(); });
    connect(cmdSaveImage, &QPushButton::clicked, this, [this] { saveImage(); });
}

void PseudosectionPage::refresh()
{
    const QString chosen = cboCable->currentText();
    {
        const QSignalBlocker quiet(cboCable);
        cboCable->clear();
        cboCable->addItem("All cables");
        for (const std::string& name : store_.survey.cableNames)
            if (!isRemoteCableName(name)) cboCable->addItem(toQString(name));
        const int again = cboCable->findText(chosen);
        cboCable->setCurrentIndex(again > 0 ? again : 0);
    }
    redraw();
}

void PseudosectionPage::redraw()
{
    runHandler(log_, "Pseudosection", [&] {
        PseudoQuantity quantity = PseudoQuantity::ApparentResistivity;
        (void)pseudoQuantityFromName(toWindows1252(cboQuantity->currentData().toString()), quantity);
        const std::string cable = cboCable->currentIndex() > 0 ? toWindows1252(cboCable->currentText()) : "";
        std::vector<PseudosectionPanel> panels;
        if (pseudosectionPanels(store_.survey, quantity, cable, panels, log_) != Status::Ok) panels.clear();
        panels_ = std::move(panels);
        quantity_ = quantity;
        cmdSaveImage->setEnabled(!panels_.empty());
        view_->update();
    });
}

void PseudosectionPage::saveImage()
{
    runHandler(log_, "Pseudosection", [&] {
        if (panels_.empty()) return;
        const QString path = dialogs_.saveFileName(this, "Save image", "pseudosection.png", "PNG image (*.png)");
        if (path.isEmpty()) return;
        std::string why;
        if (!writePngFile(pseudosectionImage(panels_, quantity_), toWindows1252(path), why))
            (void)log_.error(kSource, toWindows1252(path) + ": " + why);
        else
            log_.subWriteToTextBox("Pseudosection saved in " + toWindows1252(path) + kLineBreak);
    });
}

}  // namespace vexora::ui
