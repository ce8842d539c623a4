// The field data window on a real instrument file: imported through the
// explorer's "Import field data", accepted onto a new cable and then onto an
// existing one, filtered with undo and reset, sorted through its pop-up
// menu, and saved.

#include <filesystem>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>

#include "MainWindowFixture.h"
#include "core/datafile/ScheduleLoader.h"
#include "core/fielddata/AcceptImport.h"
#include "core/fielddata/Removal.h"
#include "core/io/TextFile.h"
#include "ui/fielddata/FieldDataModels.h"
#include "ui/fielddata/ImportSyscal.h"
#include "ui/fielddata/SurveyView3DPanel.h"
#include "ui/import/Form_FileOpen.h"
#include "ui/platform/PngFile.h"
#include "ui/qc/frmPlots.h"
#include "support/RealData.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

const fs::path kRealBin = vexora::testing::realDataFolder() /
                          "syscal_bin/reda/07_tdip/data_syscal_ip/data_normal.bin";

struct FieldDataRoad : test::MainWindowFixture {
    void SetUp() override
    {
        if (!fs::exists(kRealBin)) GTEST_SKIP() << "no real instrument file";
        questions.answer(QuestionId::QuitProject, true);
        openWindow(true);
        trigger("mnuNewDataInversion");
    }
    ui::ImportSyscal* fieldWindow() const
    {
        return qobject_cast<ui::ImportSyscal*>(window->taskWindows().window(TaskWindow::FieldData));
    }
    // "Import field data" with the binary file chosen in its dialog.
    ui::ImportSyscal* importReal()
    {
        window->LinkMenusToTreeView("Import field data");
        auto* dialog = qobject_cast<ui::Form_FileOpen*>(window->taskWindows().window(TaskWindow::BinImport));
        EXPECT_NE(dialog, nullptr);
        if (!dialog) return nullptr;
        dialogs.queue(ui::fromFilePath(kRealBin));
        dialog->cmdSelectBin_Click();
        dialog->cmdOK_Click();
        return fieldWindow();
    }
    // With VEXORA_SCREENSHOTS set, the main window as the user sees it.
    void shot(const char* name)
    {
        const QByteArray folder = qgetenv("VEXORA_SCREENSHOTS");
        if (folder.isEmpty()) return;
        QTest::qWait(100);
        std::string why;
        EXPECT_TRUE(ui::writePngFile(window->grab().toImage(), folder.toStdString() + "/" + name + ".png", why))
            << why;
    }
    std::string removedText() const { return fieldWindow()->lblRemoved->text().toStdString(); }
};

TEST_F(FieldDataRoad, ImportAcceptFilterUndoSortAndSave)
{
    ui::ImportSyscal* w = importReal();
    ASSERT_NE(w, nullptr) << log.plainText();
    ASSERT_TRUE(w->fraTemp->isVisible());
    const int imported = w->grdTempQuad->model()->rowCount();
    ASSERT_GT(imported, 100);
    EXPECT_EQ(store.survey.quadrupoles.size(), 0u);  // nothing accepted yet
    shot("fielddata_temporary");

    w->txtCableName->setText("Line A");
    w->cmdImportData->click();
    ASSERT_FALSE(w->fraTemp->isVisible()) << log.plainText();
    EXPECT_EQ(store.survey.cableNames.front(), "Line_A");
    ASSERT_EQ(store.survey.quadrupoles.size(), static_cast<std::size_t>(imported));
    EXPECT_EQ(w->grdQuad->model()->rowCount(), imported);
    EXPECT_EQ(w->cboIpWindow->count(), static_cast<int>(store.survey.quadrupoles.ipWindows()));

    // "Rho" "<" 0, then V > 0 as a second step; Undo keeps the first.
    w->cboQuantity->setCurrentText("Rho");
    w->cboOperator->setCurrentText("<");
    w->txtThreshold->setText("0");
    w->cmdRemoveData->click();
    const std::vector<std::int16_t> afterRho = store.survey.quadrupoles.skip;
    const RemovalCounters first = removalCounters(store.survey.quadrupoles);
    w->cboQuantity->setCurrentText("abs(V)");
    w->cboOperator->setCurrentText(">");
    w->txtThreshold->setText("100");
    w->cmdRemoveData->click();
    const RemovalCounters second = removalCounters(store.survey.quadrupoles);
    EXPECT_GT(second.removed, first.removed);
    EXPECT_EQ(removedText(), second.totalText());
    w->cmdUndo->click();
    EXPECT_EQ(store.survey.quadrupoles.skip, afterRho);
    EXPECT_EQ(removedText(), first.totalText());
    shot("fielddata_filtered");
    w->tabViews->setCurrentWidget(w->view3D);
    w->view3D->setTurn({-60, 0, 30});
    w->view3D->setProjection(ViewProjection::Perspective);
    EXPECT_DOUBLE_EQ(w->view3D->turn().theta, -60);
    // Every kept measurement of the real file has a place below its electrodes.
    std::size_t placed = 0;
    for (std::size_t row = 0; row < store.survey.quadrupoles.size(); ++row)
        placed += w->view3D->pixelOfMeasurement(row).has_value();
    const RemovalCounters now = removalCounters(store.survey.quadrupoles);
    EXPECT_EQ(placed, now.total - now.removed);
    shot("fielddata_3d");
    w->tabViews->setCurrentWidget(w->grdQuad);

    // Reciprocal rules without the check: the message, nothing removed.
    w->optNoRec->setChecked(true);
    w->cmdRemoveData->click();
    EXPECT_EQ(store.survey.quadrupoles.skip, afterRho);
    ASSERT_FALSE(questions.messages().empty());
    EXPECT_EQ(questions.messages().back().text, "Reciprocals calculation needed.");

    // Reset after two filters.
    w->optMeas->setChecked(true);
    w->cmdRemoveData->click();
    w->cmdSkipReset->click();
    EXPECT_EQ(removedText(), "Total removed: 0");
    EXPECT_EQ(w->lblPercent->text().toStdString(), "% removed: 0");
    EXPECT_EQ(w->cboQuantity->currentText(), "V");

    // The pop-up menu: decreasing by Rho puts the largest first.
    QMenu* menu = w->quadOperationsMenu();
    ASSERT_EQ(menu->title(), "&QuadOperations");
    w->funSortMeasurements(ColRho, false, false);
    const FieldDataRefs refs{store.survey, store.reciprocals, w->values()};
    EXPECT_GE(quadValue(refs, ColRho, 0, 0, {}), quadValue(refs, ColRho, 1, 0, {}));
    ui::frmPlots* plots = w->funPlotStatistics(ColRho);
    ASSERT_NE(plots, nullptr);
    EXPECT_EQ(plots->model().values.size(), store.survey.quadrupoles.size());
    EXPECT_EQ(w->funPlotStatistics(ColA), nullptr);
    plots->close();

    // Save with and without the removed quadrupoles; both read back.
    w->cboQuantity->setCurrentText("Rho");
    w->cboOperator->setCurrentText("<");
    w->cmdRemoveData->click();
    const RemovalCounters removed = removalCounters(store.survey.quadrupoles);
    for (const bool omit : {false, true}) {
        const QString path = temporary.filePath(omit ? "kept.data" : "all.data");
        w->chkRemoveSkipped->setChecked(omit);
        dialogs.queue(path);
        w->cmdSaveData->click();
        std::string text;
        ASSERT_TRUE(readTextFile(ui::toFilePath(path), text)) << log.plainText();
        ProjectStore back;
        MessageLog backLog;
        ScriptedQuestions backQuestions;
        ASSERT_EQ(loadScheduleText(back, text, {ui::toFilePath(path), ProjectType::DataInversion, false}, backLog,
                                   backQuestions),
                  LoadStatus::Loaded)
            << backLog.plainText();
        EXPECT_EQ(back.survey.quadrupoles.size(),
                  omit ? store.survey.quadrupoles.size() - removed.removed : store.survey.quadrupoles.size());
    }
    const QString xyz = temporary.filePath("current.xyz");
    dialogs.queue(xyz);
    w->cmdSaveXyz->click();
    const QByteArray map = test::readFile(xyz);
    EXPECT_TRUE(map.startsWith("X(m)\tY(m)\tI(mA)\r\n"));
    EXPECT_EQ(map.count("\r\n"), static_cast<qsizetype>(store.survey.quadrupoles.size() - removed.removed + 1));

    // A second import: a new cable named like the first in other letter
    // case is refused, the existing cable holds the same numbers, a new name works.
    const std::size_t before = store.survey.quadrupoles.size();
    ASSERT_EQ(importReal(), w);
    w->txtCableName->setText("line_a");
    w->cmdImportData->click();
    EXPECT_EQ(questions.messages().back().text, "Existing cable name!");
    EXPECT_EQ(store.survey.quadrupoles.size(), before);
    w->optUseCable->setChecked(true);
    w->cboUseCable->setCurrentIndex(0);
    w->cmdImportData->click();
    EXPECT_EQ(questions.messages().back().text, "Can't use this cable!");
    w->optNewCable->setChecked(true);
    w->txtCableName->setText("Line B");
    w->cmdImportData->click();
    EXPECT_EQ(store.survey.quadrupoles.size(), 2 * before);
    EXPECT_EQ(store.survey.cableNames.back(), "Line_B");
    shot("fielddata_two_cables");
}

}  // namespace
