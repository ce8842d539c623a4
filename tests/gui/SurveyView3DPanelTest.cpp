#include <gtest/gtest.h>

#include <memory>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "core/datafile/SurveyChecks.h"
#include "core/import/GeometricFactor.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/project/ProjectStore.h"
#include "gui/GuiTestSupport.h"
#include "ui/fielddata/SurveyView3DPanel.h"
#include "ui/qc/PseudosectionPage.h"

namespace {

using namespace vexora;

// One line of 8 electrodes 2 m apart; dipole-dipole quadrupoles (B before
// A, so K and V/I are positive) at increasing n, each with its own apparent
// resistivity; the last removed.
void fillLine(ProjectStore& store, std::size_t repeats = 1)
{
    Survey& s = store.survey;
    s.cableNames = {"L1"};
    for (int k = 1; k <= 8; ++k) s.electrodes.push_back({1, k, 2.0 * (k - 1), 0, 0, 0, 2});
    MessageLog log;
    ASSERT_EQ(funCreateElecTable(s, log), Status::Ok);
    const int poles[][4] = {{2, 1, 3, 4}, {2, 1, 4, 5}, {2, 1, 5, 6}, {4, 3, 5, 6}, {6, 5, 7, 8}, {3, 2, 4, 5}};
    QuadrupoleTable& q = s.quadrupoles;
    for (std::size_t r = 0; r < repeats; ++r)
        for (std::size_t i = 0; i < std::size(poles); ++i) {
            const int* p = poles[i];
            q.rows.push_back({static_cast<std::int32_t>(q.rows.size() + 1), {{1, p[0]}, {1, p[1]}, {1, p[2]}, {1, p[3]}}});
            q.resistance.push_back(0.1 * static_cast<double>(i + 1));
            q.current.push_back(100);
            q.skip.push_back(i == std::size(poles) - 1 ? 1 : 0);
        }
    s.present.resistance = true;
}

class SurveyView3DWindow : public ::testing::Test {
protected:
    ProjectStore store;
    MessageLog log;
    ScriptedQuestions questions;
    test::ScriptedFileDialogs dialogs;

    // The panel on the line survey, shown at a size that fits its controls.
    std::unique_ptr<ui::SurveyView3DPanel> shownPanel()
    {
        fillLine(store);
        auto panel = std::make_unique<ui::SurveyView3DPanel>(store, log, questions, dialogs);
        panel->resize(1000, 650);
        panel->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
        return panel;
    }
};

TEST_F(SurveyView3DWindow, PointsAreDrawnInTheirColoursAndTurnedByTheControls)
{
    const auto shown = shownPanel();
    ui::SurveyView3DPanel& panel = *shown;
    panel.refresh();
    // The removed quadrupole is not drawn; each other one in its colour.
    EXPECT_FALSE(panel.pixelOfMeasurement(5));
    for (std::size_t row = 0; row < 5; ++row) {
        const std::optional<QPoint> at = panel.pixelOfMeasurement(row);
        ASSERT_TRUE(at) << row;
        ASSERT_TRUE(panel.points()[row]);
        // Seen from above, x to the right: the picture follows the points' x.
        if (row > 0) {
            EXPECT_GE(at->x(), panel.pixelOfMeasurement(row - 1)->x() - 1) << row;
        }
    }
    const QList<QPushButton*> turns = panel.findChildren<QPushButton*>();
    QPushButton* thetaUp = nullptr;
    for (QPushButton* b : turns)
        if (b->text() == ">" && !thetaUp) thetaUp = b;
    ASSERT_TRUE(thetaUp);
    QTest::mouseClick(thetaUp, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(panel.turn().theta, 10);
    QLineEdit* gamma = nullptr;
    for (QLineEdit* e : panel.findChildren<QLineEdit*>())
        if (e->text() == "0" && !gamma && e != panel.txtBound1) gamma = e;  // theta shows 10 now
    ASSERT_TRUE(gamma);
    gamma->setText("12.34");
    emit gamma->editingFinished();
    EXPECT_DOUBLE_EQ(panel.turn().gamma, 12.34);
    EXPECT_EQ(gamma->text(), "12.3");  // "##0.#"

    // Face on to ZX: the deeper measurement (larger n) is drawn lower, each
    // in its colour below the electrodes (from above they may hide it).
    panel.showPlane(ViewPlane::ZX);
    EXPECT_GT(panel.pixelOfMeasurement(2)->y(), panel.pixelOfMeasurement(0)->y());
    const QImage side = panel.picture();
    const std::vector<double> k = funGeometricFactor(store.survey, false);
    for (std::size_t row = 0; row < 5; ++row) {
        const Rgb expected = panel.scale().colour(store.survey.quadrupoles.resistance[row] * k[row]);
        EXPECT_EQ(side.pixel(*panel.pixelOfMeasurement(row)), qRgb(expected.r, expected.g, expected.b)) << row;
    }


    const double zoom = panel.zoom();
    panel.setZoom(0);  // refused: the picture would fold to a point
    EXPECT_EQ(panel.zoom(), zoom);
    test::screenshot(panel, "survey-view-3d");
}

TEST_F(SurveyView3DWindow, SelectionByBandAndMouseThenPseudoPlots)
{
    const auto shown = shownPanel();
    ui::SurveyView3DPanel& panel = *shown;

    // x of the points: 3, 4, 5, 7, 11 (and 7 for the removed one).
    panel.cboBandAxis->setCurrentIndex(0);
    panel.txtBound1->setText("7.5");
    panel.txtBound2->setText("3.5");
    panel.selectBand();
    EXPECT_EQ(panel.selected(), (std::vector<std::size_t>{1, 2, 3}));
    EXPECT_EQ(panel.lblSelected->text(), "3");

    const QPoint at = *panel.pixelOfMeasurement(4);
    panel.selectAt(at);
    EXPECT_EQ(panel.selected(), (std::vector<std::size_t>{4}));
    EXPECT_TRUE(panel.lblDescription->text().startsWith("Sel. 1 Qp. ID 5: A 1-6, B 1-5, M 1-7, N 1-8"))
        << panel.lblDescription->text().toStdString();
    panel.selectAt(QPoint(2, 640));  // nothing there: the selection stays
    EXPECT_EQ(panel.selected(), (std::vector<std::size_t>{4}));

    QWidget* plots = panel.displayPseudoPlots();
    ASSERT_TRUE(plots);
    auto* page = plots->findChild<ui::PseudosectionPage*>();
    ASSERT_TRUE(page);
    ASSERT_EQ(page->panels().size(), 1u);
    EXPECT_EQ(page->panels()[0].points.size(), 1u);
    plots->close();
}

TEST_F(SurveyView3DWindow, PseudoPlotsRefuseAboveTheirLimitAndWithoutASelection)
{
    ui::SurveyView3DPanel empty(store, log, questions, dialogs);
    EXPECT_FALSE(empty.displayPseudoPlots());
    ASSERT_EQ(questions.messages().size(), 1u);

    fillLine(store, 6401);  // 32,005 drawn quadrupoles
    ui::SurveyView3DPanel panel(store, log, questions, dialogs);
    panel.txtBound1->setText("-100");
    panel.txtBound2->setText("100");
    panel.selectBand();
    ASSERT_EQ(panel.selected().size(), 32005u);
    EXPECT_FALSE(panel.displayPseudoPlots());
    ASSERT_EQ(questions.messages().size(), 2u);
    EXPECT_EQ(questions.messages()[1].text, "Number of quadrupoles > 32000. Pseudoplots will not be displayed.");
    EXPECT_TRUE(questions.messages()[1].title.ends_with(" - Pseudoplots"));
}

}  // namespace
