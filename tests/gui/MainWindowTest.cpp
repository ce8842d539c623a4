#include <gtest/gtest.h>

#include <QAction>
#include <QDockWidget>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>

#include "GuiTestSupport.h"
#include "core/log/MessageLog.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/platform/UserSettings.h"
#include "core/project/ProjectStore.h"
#include "ui/log/MessageLogPanel.h"
#include "ui/shell/MainWindow.h"

using namespace vexora;

TEST(MDIStart, StartsAndMirrorsTheLogInColour)
{
    ProjectStore store;
    MessageLog log([] { return std::string("2024-05-06 10:11:12"); });
    ScriptedQuestions questions;
    MemoryUserSettings userSettings;
    test::ScriptedFileDialogs fileDialogs;
    ui::MDIStart window(store, log, questions, userSettings, fileDialogs);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    EXPECT_EQ(window.windowTitle(), "Vexora64");
    auto* dock = window.findChild<QDockWidget*>();
    ASSERT_NE(dock, nullptr);
    EXPECT_EQ(dock->windowTitle(), "Messages");
    QTextEdit* box = window.logPanel()->textBox();
    EXPECT_EQ(box->toPlainText(), "Vexora64 started.\n");

    log.logError("funLoadData", "column 9 beyond the table");
    log.warning("funLoadElectrodes", "row 12 short");
    EXPECT_EQ(box->toPlainText(),
              "Vexora64 started.\n"
              "2024-05-06 10:11:12\nError: funLoadData: column 9 beyond the table\n\n"
              "2024-05-06 10:11:12\nWarning: funLoadElectrodes: row 12 short\n\n");
    const std::pair<const char*, QColor> colours[] = {
        {"Vexora64 started.", QColor(0, 0, 0)},
        {"Error: funLoadData: column 9 beyond the table", QColor(255, 0, 0)},
        {"Warning: funLoadElectrodes: row 12 short", QColor(0, 0, 0)},
    };
    for (const auto& [text, colour] : colours) {
        QTextCursor found = box->document()->find(text);
        ASSERT_FALSE(found.isNull()) << text;
        EXPECT_EQ(found.charFormat().foreground().color(), colour) << text;
    }

    QTemporaryDir folder;
    const QString path = folder.filePath("session.rtf");
    fileDialogs.queue(path);
    window.logPanel()->mnuSaveLogAs_Click();
    const QByteArray rtf = test::readFile(path);
    EXPECT_TRUE(rtf.contains("\\red255\\green0\\blue0"));
    EXPECT_TRUE(rtf.contains("Error: funLoadData: column 9 beyond the table"));
    EXPECT_EQ(log.errorCount(), 1u);

}

TEST(MDIStart, LoadsTheDataFileNamedAtStart)
{
    ProjectStore store;
    MessageLog log;
    ScriptedQuestions questions;
    questions.answer(QuestionId::GeometricFactorsWithZ, true);
    MemoryUserSettings userSettings;
    test::ScriptedFileDialogs fileDialogs;
    ui::MDIStart window(store, log, questions, userSettings, fileDialogs);

    window.loadDataFile(VEXORA_SAMPLES_DIR "/sample_survey.data");
    EXPECT_EQ(store.type, ProjectType::DataInversion);
    EXPECT_EQ(store.survey.electrodes.size(), 96u);
    EXPECT_EQ(store.survey.quadrupoles.size(), 2256u);
    EXPECT_EQ(log.errorCount(), 0u) << log.plainText();
    EXPECT_TRUE(window.logPanel()->textBox()->toPlainText().contains("2256 total quadrupoles loaded."));

    window.loadDataFile("/surveys/none.data");
    EXPECT_EQ(store.survey.quadrupoles.size(), 2256u);
    EXPECT_TRUE(window.logPanel()->textBox()->toPlainText().contains("/surveys/none.data not found!"));
}
