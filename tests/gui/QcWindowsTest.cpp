#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <random>

#include "core/datafile/SurveyChecks.h"
#include "gui/GuiTestSupport.h"
#include "core/platform/ScriptedQuestions.h"
#include "ui/qc/HistogramView.h"
#include "ui/qc/ReciprocalTableModel.h"
#include "ui/qc/Reciprocals.h"
#include "ui/qc/frmPlots.h"

namespace {

using namespace vexora;

using test::screenshot;

// One cable of 8 electrodes; quadrupoles 1/2 and 3/4 are reciprocals
// (4.0 % and 10.0 %), 5 repeats 3, 6 has no reciprocal.
void fillSurvey(ProjectStore& store)
{
    Survey& s = store.survey;
    s.cableNames = {"L1"};
    for (int k = 1; k <= 8; ++k) s.electrodes.push_back({1, k, 2.0 * (k - 1), 0, 0, 0, 2});
    MessageLog log;
    ASSERT_EQ(funCreateElecTable(s, log), Status::Ok);
    struct Reading {
        int id, a, b, m, n;
        double value;
    };
    const Reading readings[] = {{1, 1, 2, 3, 4, 1.02}, {2, 3, 4, 1, 2, 0.98}, {3, 1, 2, 5, 6, 1.05},
                                {4, 5, 6, 1, 2, 0.95}, {5, 1, 2, 5, 6, 7},    {6, 2, 3, 4, 5, 1}};
    QuadrupoleTable& q = s.quadrupoles;
    for (const Reading& r : readings) {
        q.rows.push_back({r.id, {{1, r.a}, {1, r.b}, {1, r.m}, {1, r.n}}});
        q.resistance.push_back(r.value);
        q.current.push_back(100);
        q.skip.push_back(0);
    }
}

class ReciprocalWindow : public ::testing::Test {
protected:
    void SetUp() override { fillSurvey(store); }
    ProjectStore store;
    MessageLog log;
    ScriptedQuestions questions;
    test::ScriptedFileDialogs dialogs;
};

TEST_F(ReciprocalWindow, CalculateFillsStoreTableAndStatistics)
{
    ui::Reciprocals window(store, log, questions, dialogs);
    int reloads = 0;
    QObject::connect(&window, &ui::Reciprocals::pairingChanged, [&] { ++reloads; });
    QTest::mouseClick(window.cmdCalculate, Qt::LeftButton);
    ASSERT_TRUE(window.calculated()) << log.plainText();
    EXPECT_EQ(reloads, 1);
    ASSERT_TRUE(store.reciprocals.calculated);
    EXPECT_EQ(store.reciprocals.partnerId, (std::vector<std::int32_t>{2, 1, 4, 3, kNoQuadrupoleId, kNoQuadrupoleId}));
    EXPECT_EQ(store.reciprocals.duplicateOf[4], 3);
    const QString statistics = window.txtStatistics->toPlainText();
    EXPECT_TRUE(statistics.contains("66.7% of reciprocals\n4 of 6")) << statistics.toStdString();
    EXPECT_TRUE(statistics.contains("Median Value of %rec. diff: 7.0%"));
    EXPECT_TRUE(statistics.contains("Total duplicates: 1"));

    // "% Rec Diff": largest first; "Abs Rec Diff" switches the column.
    ui::ReciprocalTableModel* model = window.tableModel();
    ASSERT_EQ(model->rowCount(), 6);
    EXPECT_EQ(model->headerData(ui::ReciprocalTableModel::Difference, Qt::Horizontal, Qt::DisplayRole), " % Rec Diff ");
    EXPECT_EQ(model->index(0, ui::ReciprocalTableModel::Difference).data().toString(), "10.0");
    EXPECT_EQ(model->index(5, ui::ReciprocalTableModel::Difference).data().toString(), "No Rec.");
    window.cmbTable->setCurrentIndex(3);
    EXPECT_EQ(model->headerData(ui::ReciprocalTableModel::Difference, Qt::Horizontal, Qt::DisplayRole),
              " Abs Rec Diff ");
    EXPECT_EQ(model->index(0, ui::ReciprocalTableModel::Difference).data().toString(), "0.100000");
    window.cmbTable->setCurrentIndex(0);
    EXPECT_EQ(model->index(0, ui::ReciprocalTableModel::Id).data().toInt(), 1);

    // Browsing shows the partner or "No Rec.".
    window.VScrQuad->setValue(1);
    EXPECT_TRUE(window.lblQuad->text().contains("Rec. ID 1   4.0 % Diff.   0.040000 Abs Diff. "))
            << window.lblQuad->text().toStdString();
    window.VScrQuad->setValue(5);
    EXPECT_TRUE(window.lblQuad->text().endsWith("No Rec.")) << window.lblQuad->text().toStdString();
    screenshot(window, "reciprocals");
}

TEST_F(ReciprocalWindow, SaveAsksBeforeOverwritingAndReadsBack)
{
    ui::Reciprocals window(store, log, questions, dialogs);
    QTest::mouseClick(window.cmdSave, Qt::LeftButton);
    ASSERT_EQ(questions.messages().size(), 1u);
    EXPECT_EQ(questions.messages()[0].text, "Reciprocals not calculated.");
    EXPECT_TRUE(dialogs.requests().empty());

    QTest::mouseClick(window.cmdCalculate, Qt::LeftButton);
    window.cmbTable->setCurrentIndex(1);  // TX-RX
    QTemporaryDir folder;
    const QString path = folder.filePath("rec.txt");
    dialogs.queue(path);
    QTest::mouseClick(window.cmdSave, Qt::LeftButton);
    ASSERT_EQ(dialogs.requests().size(), 1u);
    EXPECT_EQ(dialogs.requests()[0].title, "Save reciprocals");
    const QList<QByteArray> lines = test::readFile(path).split('\n');
    ASSERT_EQ(lines.size(), 8);  // header, 6 rows, nothing after the last CR LF
    EXPECT_TRUE(lines[0].startsWith("! Nr. \t cA \t A "));
    EXPECT_EQ(lines[1], "1\t1\t1\t1\t2\t1\t3\t1\t4\t1\t2\t1.020000\t0.980000\t4.0\t0.040000\t-\r");
    EXPECT_EQ(lines[3], "3\t1\t1\t1\t2\t1\t5\t1\t6\t5\tNo Rec.\t7.000000\t-\t-\t-\t3\r");

    // An existing file: No keeps it, Yes replaces it.
    window.cmbTable->setCurrentIndex(0);
    dialogs.queue(path);
    questions.answer(QuestionId::OverwriteFile, false);
    QTest::mouseClick(window.cmdSave, Qt::LeftButton);
    ASSERT_EQ(questions.questions().size(), 1u);
    EXPECT_EQ(questions.questions()[0].title, "Save as");
    EXPECT_EQ(questions.questions()[0].text, path.toStdString() + " already exists. Do you want to overwrite it?");
    EXPECT_TRUE(test::readFile(path).split('\n')[3].contains("\t5\tNo Rec.\t"));  // still the TX-RX file
    EXPECT_EQ(log.errorCount(), 0u) << log.plainText();
}

TEST(HistogramWindow, PlotsDragsAFilterBarAndAppliesTheRange)
{
    MessageLog log;
    ScriptedQuestions questions;
    ui::frmPlots window(log, questions);
    window.resize(1100, 560);
    std::vector<double> values;
    for (int k = 0; k < 100; ++k) values.push_back(k);
    values.push_back(1e9);  // cannot be computed: left out and counted
    ASSERT_EQ(window.funPlotHistogram(values, "Rho"), Status::Ok);
    EXPECT_EQ(window.windowTitle(), "Rho data histogram");
    EXPECT_TRUE(window.lblStatistics->text().contains("Median: 49.000"));
    EXPECT_TRUE(window.lblStatistics->text().contains("Left out: 1 not computed"));
    EXPECT_NE(log.plainText().find("1 values not computed"), std::string::npos);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    // Drag the lower bar from 0 to the pixel of 25.
    ui::HistogramView* view = window.view();
    const int y = view->height() / 2;
    const QPoint from(static_cast<int>(std::lround(view->xOfValue(0))), y);
    const QPoint to(static_cast<int>(std::lround(view->xOfValue(25))), y);
    QTest::mousePress(view, Qt::LeftButton, {}, from);
    QTest::mouseMove(view, to);
    QTest::mouseRelease(view, Qt::LeftButton, {}, to);
    const double dragged = window.model().filterMin;
    const double pixel = (window.model().xAxis.last - window.model().xAxis.first) / view->width();
    EXPECT_NEAR(dragged, 25, 3 * pixel);
    EXPECT_NEAR(window.txtMINFilter->text().toDouble(), dragged, 0.0005);

    std::vector<FilterRequest> applied;
    window.setApplyHandler([&](const FilterRequest& r) { applied.push_back(r); });
    window.optFilterInside->setChecked(true);
    window.txtMAXFilter->setText("80.5");
    QTest::mouseClick(window.cmdApply, Qt::LeftButton);
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied[0].unitLabel, "Rho (Ohm m)");
    EXPECT_NEAR(applied[0].lower, dragged, 1e-3);
    EXPECT_DOUBLE_EQ(applied[0].upper, 80.5);
    EXPECT_EQ(applied[0].mode, FilterMode::RemoveInside);
    screenshot(window, "histogram");
}

TEST(HistogramWindow, ReplotMessagesAndBinWidth)
{
    MessageLog log;
    ScriptedQuestions questions;
    ui::frmPlots window(log, questions);
    ASSERT_EQ(window.funPlotHistogram({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, "V"), Status::Ok);
    window.txtBarWidth->setText("3");
    QTest::mouseClick(window.cmdReplot, Qt::LeftButton);
    EXPECT_EQ(window.model().binCount, 3);
    EXPECT_EQ(window.lblBins->text(), "Number of bins: 3");
    EXPECT_EQ(window.model().bins.back().count, 4);

    window.txtYnr->setText("1:1:10");
    QTest::mouseClick(window.cmdReplot, Qt::LeftButton);
    ASSERT_EQ(questions.messages().size(), 1u);
    EXPECT_EQ(questions.messages()[0].text, "Y axis should start from 0");
    EXPECT_EQ(window.model().binCount, 3);

    window.txtYnr->setText("0:1:6");
    window.txtBarWidth->setText("0.00001");
    QTest::mouseClick(window.cmdReplot, Qt::LeftButton);
    ASSERT_EQ(questions.messages().size(), 2u);
    EXPECT_EQ(questions.messages()[1].text, "Number of bins > 10000. Defaults restored.");
    EXPECT_EQ(window.lblBins->text(), "Number of bins: 2");

    // A tick count instead of a range when the option is off.
    window.optX->setChecked(false);
    window.txtXnr->setText("4");
    QTest::mouseClick(window.cmdReplot, Qt::LeftButton);
    EXPECT_EQ(questions.messages().size(), 2u);
    EXPECT_GE(axisTicks(window.model().xAxis).size(), 3u);
}

// The window opens on a million values well within a second; the time is
// printed for the record (shared machines make a tight bound flaky).
TEST(HistogramWindow, OpensOnAMillionValues)
{
    std::vector<double> values(1000000);
    std::mt19937 random(5);
    std::lognormal_distribution<double> resistance(3, 1);
    for (double& v : values) v = resistance(random);
    MessageLog log;
    ScriptedQuestions questions;
    QElapsedTimer timer;
    timer.start();
    ui::frmPlots window(log, questions);
    window.resize(1100, 560);
    ASSERT_EQ(window.funPlotHistogram(std::move(values), "V/I"), Status::Ok);
    const QPixmap picture = window.grab();
    const qint64 elapsed = timer.elapsed();
    std::printf("[ measure  ] histogram window on 1000000 values: %lld ms\n", static_cast<long long>(elapsed));
    EXPECT_FALSE(picture.isNull());
    EXPECT_LT(elapsed, 3000);
    EXPECT_EQ(window.model().stats.count, 1000000u);
}

}  // namespace
