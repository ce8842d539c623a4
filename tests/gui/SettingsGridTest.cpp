#include <gtest/gtest.h>

#include <QFont>

#include "core/platform/ScriptedQuestions.h"
#include "ui/platform/TextConversion.h"
#include "ui/settings/flexgridInputData.h"

using namespace vexora;

namespace {

int rowOf(const ProjectStore& store, Item item) { return static_cast<int>(*FindSettingRow(store.settings, item)); }

QString cell(const QTableView& grid, int row, int column)
{
    return grid.model()->index(row, column).data().toString();
}

// Saves the grid as a PNG when VEXORA_SCREENSHOT_DIR names a folder (run
// under xvfb-run to look at the real rendering).
void screenshot(QWidget& widget, const char* name)
{
    const QByteArray folder = qgetenv("VEXORA_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    widget.resize(620, 520);
    widget.show();
    widget.grab().save(QString::fromUtf8(folder) + "/" + name + ".png");
}

TEST(SettingsGrid, ShowsTheTableWithSectionRows)
{
    ProjectStore store;
    ScriptedQuestions questions;
    MessageLog log;
    ui::flexgridInputData grid(store, questions, log);
    ASSERT_EQ(grid.model()->rowCount(), 107);
    const int mesh = rowOf(store, Item::MeshSection);
    EXPECT_EQ(cell(grid, mesh, 0), "Mesh settings");
    EXPECT_EQ(grid.columnSpan(mesh, 0), 2);
    EXPECT_TRUE(grid.model()->index(mesh, 0).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_TRUE(grid.model()->index(mesh, 0).data(Qt::BackgroundRole).isValid());
    const int x = rowOf(store, Item::XColumn);
    EXPECT_EQ(grid.columnSpan(x, 0), 1);
    EXPECT_FALSE(grid.model()->index(x, 1).data(Qt::BackgroundRole).isValid());
    EXPECT_EQ(cell(grid, x, 1), " 3 ");
    screenshot(grid, "settings_grid");

    // Section rows and the anomaly counts do nothing.
    EXPECT_EQ(grid.activateRow(mesh), Status::Error);
    EXPECT_EQ(grid.activateRow(rowOf(store, Item::ResistivityAnomalyCount)), Status::Error);
    EXPECT_TRUE(questions.questions().empty());
}

TEST(SettingsGrid, TwoWayItemSwitchesAtOnce)
{
    ProjectStore store;
    ScriptedQuestions questions;
    MessageLog log;
    ui::flexgridInputData grid(store, questions, log);
    int edited = 0;
    QObject::connect(&grid, &ui::flexgridInputData::settingsEdited, [&] { ++edited; });
    const int flat = rowOf(store, Item::FlatZBottom);
    emit grid.activated(grid.model()->index(flat, 1));
    EXPECT_EQ(settingText(store.settings, Item::FlatZBottom), "2");
    EXPECT_EQ(settingText(store.settings, Item::PlotBounds), "0 10 0 10 5");
    EXPECT_EQ(cell(grid, flat, 1), "2");
    EXPECT_EQ(cell(grid, rowOf(store, Item::PlotBounds), 1), "0 10 0 10 5");
    EXPECT_EQ(edited, 1);
    EXPECT_TRUE(questions.questions().empty());  // not prompted

    const int cable = rowOf(store, Item::CableSpecified);
    (void)grid.activateRow(cable);  // the cell shows the outcome
    EXPECT_EQ(cell(grid, cable, 1), "-1");
}

TEST(SettingsGrid, RejectedEditShowsItsMessageAndKeepsTheValue)
{
    ProjectStore store;
    ScriptedQuestions questions;
    MessageLog log;
    ui::flexgridInputData grid(store, questions, log);
    const SettingsTable before = store.settings;
    const int omega = rowOf(store, Item::SsorOmega);
    questions.queueInput(QuestionId::SettingValue, "2.5");
    EXPECT_EQ(grid.activateRow(omega), Status::Error);
    ASSERT_EQ(questions.questions().size(), 1u);
    EXPECT_EQ(questions.questions()[0].title, "Vexora64 - Configuration settings");
    EXPECT_EQ(questions.questions()[0].text, "Omega: Used for SSOR precond");
    ASSERT_EQ(questions.messages().size(), 1u);
    EXPECT_EQ(questions.messages()[0].title, "Vexora64 - Error");
    EXPECT_EQ(questions.messages()[0].text, "Only positive <2 values allowed!");
    EXPECT_EQ(store.settings, before);
    EXPECT_EQ(cell(grid, omega, 1), " 1.6 ");

    questions.queueInput(QuestionId::SettingValue, "2");
    EXPECT_EQ(grid.activateRow(omega), Status::Ok);
    EXPECT_EQ(cell(grid, omega, 1), "2");
    EXPECT_EQ(log.errorCount(), 0u);
}

TEST(SettingsGrid, ChoiceItemAnsweredNoThenYes)
{
    ProjectStore store;
    store.models.conductivityImported = true;
    setSettingText(store.settings, Item::ResistivityModelType, "1-Imported");
    ScriptedQuestions questions;
    MessageLog log;
    ui::flexgridInputData grid(store, questions, log);
    const int type = rowOf(store, Item::ResistivityModelType);

    questions.queueInput(QuestionId::SettingValue, "0");
    questions.setDefaultAnswer(false);
    EXPECT_EQ(grid.activateRow(type), Status::Error);
    EXPECT_EQ(questions.questions()[0].text, "Type of resistivity model:\n0-Standard\n1-Imported");
    EXPECT_EQ(questions.questions()[1].text, "Do you want to unload current resistivity model?");
    EXPECT_EQ(cell(grid, type, 1), "1-Imported");
    EXPECT_TRUE(store.models.conductivityImported);

    questions.queueInput(QuestionId::SettingValue, "0");
    questions.setDefaultAnswer(true);
    EXPECT_EQ(grid.activateRow(type), Status::Ok);
    EXPECT_EQ(cell(grid, type, 1), "0-Standard");
    EXPECT_FALSE(store.models.conductivityImported);
}

}  // namespace
