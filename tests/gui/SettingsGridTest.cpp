#include <gtest/gtest.h>

#include <QComboBox>
#include <QFont>
#include <QLineEdit>
#include <QStyleOptionViewItem>
#include <QTest>

#include "core/platform/ScriptedQuestions.h"
#include "gui/GuiTestSupport.h"
#include "ui/platform/TextConversion.h"
#include "ui/settings/flexgridInputData.h"

using namespace vexora;

namespace {

int rowOf(const ProjectStore& store, Item item) { return static_cast<int>(*FindSettingRow(store.settings, item)); }

QString cell(const QTableView& grid, int row, int column)
{
    return grid.model()->index(row, column).data().toString();
}

TEST(SettingsGrid, ShowsTheTableWithSectionRows)
{
    ProjectStore store;
    ScriptedQuestions questions;
    MessageLog log;
    ui::flexgridInputData grid(store, questions, log);
    ASSERT_EQ(grid.model()->rowCount(), static_cast<int>(kDefaultSettingRows));
    const int mesh = rowOf(store, Item::MeshSection);
    EXPECT_EQ(cell(grid, mesh, 0), "Mesh settings");
    EXPECT_EQ(grid.columnSpan(mesh, 0), 2);
    EXPECT_TRUE(grid.model()->index(mesh, 0).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_TRUE(grid.model()->index(mesh, 0).data(Qt::BackgroundRole).isValid());
    const int x = rowOf(store, Item::XColumn);
    EXPECT_EQ(grid.columnSpan(x, 0), 1);
    EXPECT_FALSE(grid.model()->index(x, 1).data(Qt::BackgroundRole).isValid());
    EXPECT_EQ(cell(grid, x, 1), " 3 ");
    grid.resize(620, 520);
    test::screenshot(grid, "settings_grid");

    // Section rows and the anomaly counts do nothing.
    EXPECT_EQ(grid.activateRow(mesh), Status::Error);
    EXPECT_EQ(grid.activateRow(rowOf(store, Item::ResistivityAnomalyCount)), Status::Error);
    EXPECT_TRUE(questions.questions().empty());
}

// A grid on screen, to be clicked.
struct ShownGrid {
    ProjectStore store;
    ScriptedQuestions questions;
    MessageLog log;
    ui::flexgridInputData grid{store, questions, log};
    int edited = 0;

    ShownGrid()
    {
        QObject::connect(&grid, &ui::flexgridInputData::settingsEdited, [this] { ++edited; });
        grid.resize(620, 400);
        grid.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }
    QModelIndex at(Item item, int column) { return grid.model()->index(rowOf(store, item), column); }
    // The editor commits, then the edit runs, each from the event loop.
    static void settle()
    {
        for (int pass = 0; pass < 3; ++pass) QCoreApplication::processEvents();
    }
    void click(const QPoint& point)
    {
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, point);
        settle();
    }
    void clickCheckBox(Item item)
    {
        grid.scrollTo(at(item, 1));
        QStyleOptionViewItem option;
        option.rect = grid.visualRect(at(item, 1));
        option.features = QStyleOptionViewItem::HasCheckIndicator;
        click(grid.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &grid).center());
    }
    // Clicks the cell and returns the editor it opened.
    template <typename Editor>
    Editor* clickEditor(Item item, int column)
    {
        grid.scrollTo(at(item, column));
        click(grid.visualRect(at(item, column)).center());
        return grid.viewport()->findChild<Editor*>();
    }
};

TEST(SettingsGrid, TwoWayItemsAreCheckBoxesStoringTheirCodes)
{
    struct Case {
        Item item;
        const char* stored;  // after one click on the check box
        const char* message;
    };
    const Case cases[] = {
        {Item::FlatZBottom, "2", ""},
        {Item::CableSpecified, "-1", ""},
        {Item::ModelIp, " 2 ", "No IP data to model!"},  // stays No
    };
    for (const Case& c : cases) {
        ShownGrid shown;
        const SettingsTable before = shown.store.settings;
        const bool ticked = shown.at(c.item, 1).data(Qt::CheckStateRole).toInt() == Qt::Checked;
        EXPECT_TRUE(shown.at(c.item, 1).data(Qt::DisplayRole).toString().isEmpty());
        shown.clickCheckBox(c.item);
        EXPECT_EQ(settingText(shown.store.settings, c.item), c.stored) << c.stored;
        if (*c.message) {
            ASSERT_EQ(shown.questions.messages().size(), 1u);
            EXPECT_EQ(shown.questions.messages()[0].text, c.message);
            EXPECT_EQ(shown.store.settings, before);
            EXPECT_EQ(shown.edited, 0);
        } else {
            EXPECT_NE(shown.at(c.item, 1).data(Qt::CheckStateRole).toInt() == Qt::Checked, ticked) << c.stored;
            EXPECT_EQ(shown.edited, 1);
        }
    }

    // Clicking the description switches too; the flat bottom takes the plot bounds along.
    ShownGrid shown;
    shown.clickCheckBox(Item::FlatZBottom);
    EXPECT_EQ(settingText(shown.store.settings, Item::PlotBounds), "0 10 0 10 5");
    shown.grid.scrollTo(shown.at(Item::FlatZBottom, 0));
    shown.click(shown.grid.visualRect(shown.at(Item::FlatZBottom, 0)).center());
    EXPECT_EQ(settingText(shown.store.settings, Item::FlatZBottom), "1");
    EXPECT_EQ(settingText(shown.store.settings, Item::PlotBounds), "0 10 0 10 -5 0");
    EXPECT_TRUE(shown.questions.questions().empty());  // never prompted
}

TEST(SettingsGrid, OneClickEditsAValueInPlace)
{
    struct Case {
        int column;  // clicked: the value, or the description
        const char* typed;
        const char* stored;
        const char* message;
    };
    const Case cases[] = {
        {1, "1.2", "1.2", ""},
        {1, " 1.6", " 1.6 ", ""},  // left as it was: not even rewritten
        {0, "0.8", "0.8", ""},
        {1, "2.5", " 1.6 ", "Only positive <2 values allowed!"},
        {0, "x", " 1.6 ", "Only positive <2 values allowed!"},
    };
    for (const Case& c : cases) {
        ShownGrid shown;
        auto* editor = shown.clickEditor<QLineEdit>(Item::SsorOmega, c.column);
        ASSERT_NE(editor, nullptr) << c.typed;
        EXPECT_EQ(editor->text(), "1.6");
        editor->setText(QString::fromLatin1(c.typed));
        QTest::keyClick(editor, Qt::Key_Return);
        ShownGrid::settle();
        EXPECT_EQ(settingText(shown.store.settings, Item::SsorOmega), c.stored) << c.typed;
        EXPECT_EQ(shown.questions.messages().size(), *c.message ? 1u : 0u) << c.typed;  // one box, not one per commit
        if (*c.message) EXPECT_EQ(shown.questions.messages()[0].text, c.message);
        EXPECT_TRUE(shown.questions.questions().empty()) << c.typed;  // no input box
    }
}

TEST(SettingsGrid, ChoiceItemIsPickedFromItsList)
{
    constexpr const char* kUnload = "Do you want to unload current resistivity model?";
    struct Case {
        Item item;
        const char* before;
        int picked;
        bool yes;
        const char* stored;
        const char* message;
        const char* question;
    };
    const Case cases[] = {
        {Item::ResistivityModelType, "1-Imported", 0, true, "0-Standard", "", kUnload},
        {Item::ResistivityModelType, "1-Imported", 0, false, "1-Imported", "", kUnload},
        {Item::ResistivityModelType, "1-Imported", 1, true, "1-Imported", "", ""},  // the current one: nothing asked
        {Item::MeshType, "2-Imported(m.vwer)", 1, true, "2-Imported(m.vwer)", "Only switch to 0-Standard mesh allowed!",
         ""},
    };
    for (const Case& c : cases) {
        ShownGrid shown;
        shown.store.models.conductivityImported = true;
        setSettingText(shown.store.settings, c.item, c.before);
        shown.grid.refresh();
        shown.questions.setDefaultAnswer(c.yes);
        auto* list = shown.clickEditor<QComboBox>(c.item, 1);
        ASSERT_NE(list, nullptr) << c.before;
        EXPECT_EQ(list->itemText(0), "0-Standard");
        EXPECT_EQ(list->currentIndex(), QString::fromLatin1(c.before).left(1).toInt());  // the code leads the text
        list->setCurrentIndex(c.picked);
        emit list->activated(c.picked);
        ShownGrid::settle();
        EXPECT_EQ(settingText(shown.store.settings, c.item), c.stored) << c.before << c.picked << c.yes;
        EXPECT_EQ(shown.store.models.conductivityImported, std::string(c.stored) != "0-Standard");
        EXPECT_EQ(shown.questions.messages().size(), *c.message ? 1u : 0u) << c.before << c.picked;
        if (*c.message) EXPECT_EQ(shown.questions.messages()[0].text, c.message);
        EXPECT_EQ(shown.questions.questions().size(), *c.question ? 1u : 0u) << c.before << c.picked;
        if (*c.question) EXPECT_EQ(shown.questions.questions()[0].text, c.question);
    }
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
