#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <sstream>

#include "app/cli/Cli.h"
#include "core/datafile/ScheduleLoader.h"
#include "core/datafile/SurveyChecks.h"
#include "core/platform/ScriptedQuestions.h"
#include "gui/GuiTestSupport.h"
#include "ui/platform/TextConversion.h"
#include "ui/qc/Form_XCableMaps.h"
#include "support/RealData.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

// Cables "L1" and "L2" of six electrodes; dipole-dipole readings from L1 to
// L2 at dipole sizes 1 and 2, one skipped, and one within L1.
void fillSurvey(Survey& s)
{
    s.cableNames = {"L1", "L2"};
    for (int c = 1; c <= 2; ++c)
        for (int e = 1; e <= 6; ++e) s.electrodes.push_back({c, e, 2.0 * e, 10.0 * c, 0, 0, 2});
    MessageLog log;
    ASSERT_EQ(funCreateElecTable(s, log), Status::Ok);
    struct Reading {
        int a, b, cm, m, n;
        double value;
        std::int16_t skip;
    };
    const Reading readings[] = {{1, 2, 2, 1, 2, 1.0, 0}, {2, 3, 2, 3, 4, 3.0, 0}, {3, 4, 2, 5, 6, 5.0, 1},
                                {1, 2, 2, 2, 4, 4.0, 0}, {1, 2, 1, 3, 4, 9.0, 0}};
    std::int32_t id = 0;
    for (const Reading& r : readings) {
        s.quadrupoles.rows.push_back({++id, {{1, r.a}, {1, r.b}, {r.cm, r.m}, {r.cm, r.n}}});
        s.quadrupoles.resistance.push_back(r.value);
        s.quadrupoles.current.push_back(100);
        s.quadrupoles.skip.push_back(r.skip);
    }
    s.electrodesLoaded = s.dataLoaded = true;
}

struct XCableWindow : ::testing::Test {
    ProjectStore store;
    MessageLog log;
    std::unique_ptr<ui::Form_XCableMaps> form;

    void SetUp() override
    {
        fillSurvey(store.survey);
        form = std::make_unique<ui::Form_XCableMaps>(store, log);
    }
    QPoint cellCentre(int row, int column) const
    {
        const ui::CrossCableLayout& l = form->view()->layout();
        return {l.matrix.left() + column * l.cellWidth + l.cellWidth / 2, l.matrix.top() + row * l.cellHeight + l.cellHeight / 2};
    }
    QString info() const { return form->txtInfo->toPlainText(); }
};

TEST_F(XCableWindow, CablesChosenBuildTheMapAndItsLayers)
{
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Cross Cable Data Plots"));
    EXPECT_EQ(form->cboTx->itemText(0), QStringLiteral("Cable"));
    EXPECT_EQ(form->cboTx->count(), 3);
    EXPECT_EQ(form->cboArray->currentText(), QStringLiteral("Dipole-dipole"));
    EXPECT_EQ(form->cboColours->currentText(), QStringLiteral("RAINBOW"));
    // With a list on "Cable" nothing is built.
    form->cboTx->setCurrentIndex(1);
    EXPECT_EQ(form->map().rows(), 0u);
    form->cboRx->setCurrentIndex(2);
    ASSERT_EQ(form->map().rows(), 6u);
    EXPECT_EQ(form->cboLayer->count(), 2);
    const auto& cells = form->picture().cells;
    EXPECT_EQ(cells[0 * 6 + 0].quadrupole, 0);
    EXPECT_EQ(cells[1 * 6 + 2].quadrupole, 1);
    EXPECT_EQ(cells[2 * 6 + 4].quadrupole, -1);  // skipped: blank
    const ColourTable& rainbow = crossCableColourTable(CrossCableColours::Rainbow);
    EXPECT_EQ(cells[0].colour, rainbow[0]);  // the minimum of V/I 1..5
    test::screenshot(*form, "xcable_small");

    // Dipole size 2: the reading at M 2, N 4.
    form->cboLayer->setCurrentIndex(1);
    EXPECT_EQ(form->picture().cells[0 * 6 + 1].quadrupole, 3);
    EXPECT_EQ(form->picture().cells[0].quadrupole, -1);

    // TX and RX on the same cable: the in-cable map.
    form->cboRx->setCurrentIndex(1);
    EXPECT_EQ(form->cboLayer->count(), 1);
    EXPECT_EQ(form->picture().cells[0 * 6 + 2].quadrupole, 4);

    // Pole-pole of a survey without remotes: empty.
    form->cboArray->setCurrentText(QStringLiteral("Pole-pole"));
    EXPECT_EQ(form->map().layerCount(), 0);
    EXPECT_EQ(form->cboLayer->count(), 0);
}

TEST_F(XCableWindow, ScaleColoursAndDataKind)
{
    form->cboTx->setCurrentIndex(1);
    form->cboRx->setCurrentIndex(2);
    form->cboColours->setCurrentText(QStringLiteral("REDBLUE"));
    const ColourTable& redBlue = crossCableColourTable(CrossCableColours::RedBlue);
    EXPECT_EQ(form->picture().cells[1 * 6 + 2].colour, redBlue[127]);  // 3 of 1..5
    // A typed scale: values outside it take the end colours.
    form->txtMin->setText("2");
    form->txtMax->setText("2.5");
    form->chkManual->setChecked(true);
    EXPECT_EQ(form->picture().cells[0].colour, redBlue[0]);
    EXPECT_EQ(form->picture().cells[1 * 6 + 2].colour, redBlue[255]);
    form->optResistivity->setChecked(true);
    EXPECT_EQ(form->picture().legendTitle, "Apparent Resistivity (ohm m)");
    EXPECT_EQ(form->picture().legend.front().label, "2.00");
    form->chkNumerical->setChecked(true);
    EXPECT_GT(form->view()->layout().cellWidth, 40);  // room for the values
    test::screenshot(*form, "xcable_numerical");
}

TEST_F(XCableWindow, InfoBoxOnHoverAndClick)
{
    form->cboTx->setCurrentIndex(1);
    form->cboRx->setCurrentIndex(2);
    form->show();
    ui::CrossCableCanvas* canvas = form->view();
    QTest::mouseMove(canvas, cellCentre(1, 2));
    EXPECT_TRUE(info().startsWith(QStringLiteral("Quadrupole: 2\nA B M N: L1,2 L1,3 L2,3 L2,4\nV=300 mV\nI=100 mA\n"
                                                 "V/I=3 V/A\nAppRes=")))
        << info().toStdString();
    QTest::mouseClick(canvas, Qt::LeftButton, {}, cellCentre(1, 2));
    EXPECT_TRUE(info().startsWith(QStringLiteral("QUADRUPOLE: 2\ncA A cB B cM M cN N: "))) << info().toStdString();
    QTest::mouseClick(canvas, Qt::LeftButton, {}, cellCentre(5, 5));
    EXPECT_EQ(info(), QStringLiteral("No Data"));
    const ui::CrossCableLayout& l = canvas->layout();
    QTest::mouseMove(canvas, QPoint(l.matrix.left() - 5, l.matrix.top() + l.cellHeight / 2));
    EXPECT_EQ(info(), QStringLiteral("TX electrode: 1\nZ(m): 0"));
    QTest::mouseMove(canvas, QPoint(l.matrix.left() + l.cellWidth / 2, l.matrix.top() - 5));
    EXPECT_EQ(info(), QStringLiteral("RX(M) electrode: 1\nZ(m): 0"));
}

// The 3D survey of a real .stg file: its four lines are four cables, and
// the map of one line transmitting to another holds cross-cable data.
TEST_F(XCableWindow, RealThreeDimensionalSurvey)
{
    const fs::path stg = vexora::testing::realDataFolder() / "agi_stg/resipy/sting_3D_noIP.stg";
    if (!fs::exists(stg)) GTEST_SKIP() << "the real field files (shared/realdata) are not on this machine";
    QTemporaryDir temporary;
    const fs::path data = ui::toFilePath(temporary.filePath("sting.data"));
    std::ostringstream out, err;
    ASSERT_EQ(cli::run({"import", "stg", stg.string(), "-o", data.string()}, out, err), 0) << err.str();
    ScriptedQuestions questions = unattendedLoadQuestions();
    const DataLoadRequest request{data, ProjectType::DataInversion, false, false};
    ASSERT_EQ(funInputScheduleFile(store, request, log, questions), LoadStatus::Loaded) << log.plainText();
    form->refreshCables();
    ASSERT_EQ(store.survey.cableNames.size(), 4u);
    form->cboTx->setCurrentIndex(1);
    form->cboRx->setCurrentIndex(4);
    EXPECT_EQ(form->cboRx->currentText(), QStringLiteral("Line1_y1.5"));
    EXPECT_GT(form->map().layerCount(), 0);
    std::size_t filled = 0;
    for (const CrossCableCell& c : form->picture().cells) filled += c.quadrupole >= 0;
    EXPECT_GT(filled, 0u);
    test::screenshot(*form, "xcable_stg3d");
}

}  // namespace
