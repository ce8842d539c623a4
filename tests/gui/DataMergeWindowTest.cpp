#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>

#include <sstream>

#include "app/cli/Cli.h"
#include "core/io/TextFile.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/qc/ReciprocalCheck.h"
#include "gui/GuiTestSupport.h"
#include "ui/import/Form_DataMerge.h"
#include "ui/platform/TextConversion.h"
#include "support/RealData.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

struct MergeWindow : ::testing::Test {
    QTemporaryDir temporary;
    fs::path folder = ui::toFilePath(temporary.path());
    fs::path sample = fs::path(VEXORA_SAMPLES_DIR) / "sample_survey.data";
    ProjectStore store;
    MessageLog log;
    ScriptedQuestions questions;
    test::ScriptedFileDialogs dialogs;
    ui::Form_DataMerge form{store, log, questions, dialogs};

    void SetUp() override { questions.answer(QuestionId::GeometricFactorsWithZ, true); }
    QString summary() const { return form.txtDetails->toPlainText(); }
    QString cell(int row, int column) const
    {
        return form.grdElectrodes->model()->index(row, column).data().toString();
    }
    bool logHas(const std::string& text) const { return log.plainText().find(text) != std::string::npos; }
};

TEST_F(MergeWindow, FilesLoadIntoTheListOrSayErrorOn)
{
    const fs::path broken = folder / "broken.data";
    ASSERT_TRUE(writeFileAtomically(broken, "#elec_start\r\n1 1 0 0 0\r\n"));
    dialogs.queue(QStringList{ui::fromFilePath(sample), ui::fromFilePath(broken), ui::fromFilePath(sample)}.join(QLatin1Char('\n')));
    form.cmdAddFiles->click();
    EXPECT_EQ(dialogs.requests().back().title, QStringLiteral("Load multiple data files"));
    EXPECT_TRUE(dialogs.requests().back().filters.startsWith(QStringLiteral("Data file (*.data);;Text (*.txt)")));
    ASSERT_EQ(form.lstFiles->count(), 3);
    EXPECT_EQ(form.lstFiles->item(0)->text(), QStringLiteral("sample_survey.data"));
    EXPECT_EQ(form.lstFiles->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(form.lstFiles->item(1)->text(), QStringLiteral("Error on broken.data"));
    EXPECT_FALSE(form.lstFiles->item(1)->flags() & Qt::ItemIsUserCheckable);  // it cannot take part
    EXPECT_EQ(form.block(1), nullptr);
    EXPECT_FALSE(form.prgLoading->isVisible());
    EXPECT_TRUE(logHas("Error: "));

    // The first file is shown: summary and electrode grid, cables prefixed with the file's place.
    EXPECT_TRUE(summary().startsWith(QStringLiteral("File 1 - sample_survey.data\nTotal electrodes: 96\n"
                                                    "Total quadrupoles: ")))
        << summary().toStdString();
    EXPECT_TRUE(summary().contains(QStringLiteral("Number of measured IP windows: 3")));
    EXPECT_EQ(form.grdElectrodes->model()->headerData(5, Qt::Horizontal).toString(), QStringLiteral(" z terrain(m) "));
    EXPECT_EQ(cell(0, 0), QStringLiteral("1_L1"));
    EXPECT_EQ(cell(0, 4), QStringLiteral("0.300"));
    EXPECT_EQ(cell(0, 6), QStringLiteral("Surface"));
    form.lstFiles->setCurrentRow(1);
    EXPECT_TRUE(summary().startsWith(QStringLiteral("Error on broken.data")));
    EXPECT_FALSE(form.cmdModify->isEnabled());
    form.lstFiles->setCurrentRow(2);
    EXPECT_EQ(cell(0, 0), QStringLiteral("3_L1"));
    test::screenshot(form, "merge_files");
}

TEST_F(MergeWindow, ModifyRenameReverseThenImport)
{
    form.addFiles({ui::fromFilePath(sample), ui::fromFilePath(sample)});
    form.lstFiles->setCurrentRow(1);
    const Electrode first = form.block(1)->survey.electrodes[0];
    const ElectrodeRef firstA = form.block(1)->survey.quadrupoles.rows[0].pole[A];

    // Shift, turn by 90 degrees, add 100 to the numbers: electrode 1 becomes 101.
    form.txtShift[0]->setText("10");
    form.txtAngle->setText("90");
    form.txtOffset->setText("100");
    form.cmdModify->click();
    const Electrode moved = form.block(1)->survey.electrodes[0];
    EXPECT_EQ(moved.number, first.number + 100);
    EXPECT_NEAR(moved.x, 10 - first.y, 1e-6);
    EXPECT_NEAR(moved.y, first.x, 1e-6);
    EXPECT_EQ(form.block(1)->survey.quadrupoles.rows[0].pole[A].number, firstA.number + 100);
    EXPECT_EQ(cell(0, 1), QStringLiteral("101"));
    EXPECT_EQ(form.block(0)->survey.electrodes[0].number, first.number);  // the other file stays

    // Rename: a name the file has is refused with its message, a new one is taken.
    questions.queueInput(QuestionId::NewCableName, "2_L2");
    form.grdElectrodes_DblClick(0);
    EXPECT_EQ(questions.messages().back().text, "This cable name is already used, can't duplicate it.");
    EXPECT_EQ(cell(0, 0), QStringLiteral("2_L1"));
    questions.queueInput(QuestionId::NewCableName, "South");
    form.grdElectrodes_DblClick(0);
    EXPECT_EQ(cell(0, 0), QStringLiteral("South"));

    // Reverse: the quadrupoles' electrodes run the other way on each cable (24 electrodes, 101..124).
    form.cmdReverse->click();
    EXPECT_EQ(form.block(1)->survey.quadrupoles.rows[0].pole[A].number, 101 + 124 - (firstA.number + 100));
    EXPECT_TRUE(summary().contains(QStringLiteral("Note: cables reversed")));
    form.cmdReverse->click();  // back as recorded
    EXPECT_EQ(form.block(1)->survey.quadrupoles.rows[0].pole[A].number, firstA.number + 100);

    // A bad tolerance is refused, the project untouched.
    form.txtTolerance->setText("x");
    form.cmdImport->click();
    EXPECT_EQ(questions.messages().back().text, "Invalid tolerance: a distance in metres, 0 or more.");
    EXPECT_FALSE(store.survey.dataLoaded);

    // Import: both files' cables, electrodes and quadrupoles; the log names them.
    QSignalSpy merged(&form, &ui::Form_DataMerge::merged);
    form.txtTolerance->setText("0.000001");
    test::screenshot(form, "merge_modified");
    form.cmdImport->click();
    ASSERT_EQ(merged.count(), 1) << log.plainText();
    const std::size_t quadrupoles = form.block(0)->survey.quadrupoles.size();
    EXPECT_EQ(store.survey.quadrupoles.size(), 2 * quadrupoles);
    EXPECT_EQ(store.survey.electrodes.size(), 192u);
    EXPECT_EQ(store.survey.cableNames[4], "South");
    EXPECT_TRUE(logHas("Files merged: "));
    EXPECT_TRUE(logHas("192 total electrodes loaded."));
    EXPECT_TRUE(logHas(std::to_string(2 * quadrupoles) + " total quadrupoles loaded."));
}

TEST_F(MergeWindow, NothingCheckedMergesNothing)
{
    form.addFiles({ui::fromFilePath(sample)});
    form.lstFiles->item(0)->setCheckState(Qt::Unchecked);
    form.cmdImport->click();
    EXPECT_EQ(questions.messages().back().text, "No files checked to merge.");
    EXPECT_FALSE(store.survey.dataLoaded);
}

// Normal and reciprocal files of one real survey, the reciprocal recorded
// with the cable turned round: reversed and merged they give the pairs.
TEST_F(MergeWindow, RealNormalAndReversedReciprocalFilesPair)
{
    const fs::path real = vexora::testing::realDataFolder() / "syscal_bin/reda/07_tdip/data_syscal_ip";
    if (!fs::exists(real / "data_normal.bin") || !fs::exists(real / "data_reciprocal.bin"))
        GTEST_SKIP() << "the real field files (shared/realdata) are not on this machine";
    for (const char* name : {"data_normal", "data_reciprocal"}) {
        std::ostringstream out, err;
        ASSERT_EQ(cli::run({"import", "bin", (real / (std::string(name) + ".bin")).string(), "-o",
                            (folder / (std::string(name) + ".data")).string()},
                           out, err),
                  0)
            << err.str();
    }
    form.addFiles({ui::fromFilePath(folder / "data_normal.data"), ui::fromFilePath(folder / "data_reciprocal.data")});
    ASSERT_NE(form.block(1), nullptr) << log.plainText();
    form.lstFiles->setCurrentRow(1);
    form.cmdReverse->click();
    form.chkRemoveDuplicates->setChecked(true);
    test::screenshot(form, "merge_real");
    form.cmdImport->click();
    ASSERT_TRUE(store.survey.dataLoaded) << log.plainText();
    ReciprocalResult result;
    MessageLog checkLog;
    ASSERT_EQ(DoReciprocalCheck(store.survey, ReciprocalValue::Resistance, result, checkLog), Status::Ok);
    EXPECT_NEAR(static_cast<double>(result.pairs), 990, 20);
}

}  // namespace
