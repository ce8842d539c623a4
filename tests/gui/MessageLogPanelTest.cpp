#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include "GuiTestSupport.h"
#include "core/log/MessageLog.h"
#include "core/platform/ScriptedQuestions.h"
#include "ui/log/MessageLogPanel.h"

using namespace vexora;

namespace {

void clickLogToFile(ui::MessageLogPanel& panel)
{
    QCheckBox* box = panel.logToFileBox();
    QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
}

}  // namespace

TEST(MessageLogPanel, LineBreaksShowOnceWhateverTheirForm)
{
    const std::pair<std::vector<std::string>, QString> cases[] = {
        {{"a\r\nb\r\n"}, "a\nb\n"},
        {{"a\r", "\nb"}, "a\nb"},  // a CR LF pair split over two writes
        {{"x\r\n\r\ny"}, "x\n\ny"},
        {{"a\nb\rc"}, "a\nb\nc"},
        {{"Profil \xe9\x80"}, QString::fromUtf8("Profil é€")},
    };
    ScriptedQuestions questions;
    test::ScriptedFileDialogs dialogs;
    for (const auto& [runs, shown] : cases) {
        SCOPED_TRACE(shown.toStdString());
        MessageLog log;
        log.subWriteToTextBox(runs[0]);  // held before the panel exists
        ui::MessageLogPanel panel(log, questions, dialogs);
        for (std::size_t i = 1; i < runs.size(); ++i) log.subWriteToTextBox(runs[i]);
        EXPECT_EQ(panel.textBox()->toPlainText(), shown);
    }
}

struct LogToFileCase {
    const char* name;
    bool chosen;     // the dialog returns a path
    bool exists;     // that path names an existing file
    bool overwrite;  // answer to "Save as"
    bool expectOn;
};

TEST(MessageLogPanel, LogToFileChoosesTheFileAndSavesAtOnce)
{
    const LogToFileCase cases[] = {
        {"cancelled", false, false, false, false},
        {"existing, kept", true, true, false, false},
        {"existing, overwritten", true, true, true, true},
        {"new file", true, false, false, true},
    };
    QTemporaryDir folder;
    for (const LogToFileCase& c : cases) {
        SCOPED_TRACE(c.name);
        MessageLog log;
        ScriptedQuestions questions;
        questions.setDefaultAnswer(c.overwrite);
        test::ScriptedFileDialogs dialogs;
        const QString path = QDir(folder.path()).filePath(QString::fromUtf8(c.name) + ".rtf");
        if (c.exists) {
            QFile old(path);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        }
        if (c.chosen) dialogs.queue(path);
        ui::MessageLogPanel panel(log, questions, dialogs);
        panel.show();
        log.subWriteToTextBox("Reading electrodes\r\n");

        clickLogToFile(panel);

        EXPECT_EQ(panel.logToFileBox()->isChecked(), c.expectOn);
        EXPECT_EQ(log.fileLogging(), c.expectOn);
        ASSERT_EQ(questions.questions().size(), c.exists ? 1u : 0u);
        if (c.exists) {
            EXPECT_EQ(questions.questions()[0].title, "Save as");
            EXPECT_EQ(questions.questions()[0].text, path.toStdString() + " already exists. Do you want to overwrite it?");
        }
        const std::string content = test::readFile(path).toStdString();
        EXPECT_EQ(content, c.expectOn ? log.rtf() : c.exists ? "old" : "");
        EXPECT_EQ(dialogs.requests().at(0).filters, "RTF (*.rtf);;DOC (*.doc);;All files (*)");
        EXPECT_TRUE(dialogs.requests().at(0).defaultName.endsWith(".rtf"));

        if (c.expectOn) {  // unchecking stops file logging and leaves the file
            clickLogToFile(panel);
            log.subWriteToTextBox("After\r\n");
            EXPECT_FALSE(log.fileLogging());
            EXPECT_FALSE(test::readFile(path).contains("After"));
        }
    }
}

TEST(MessageLogPanel, AFileThatCannotBeWrittenUnchecksTheBox)
{
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir("logs"));
    MessageLog log;
    ScriptedQuestions questions;
    test::ScriptedFileDialogs dialogs;
    dialogs.queue(folder.filePath("missing/run.rtf"));
    dialogs.queue(folder.filePath("logs/run.rtf"));
    ui::MessageLogPanel panel(log, questions, dialogs);
    panel.show();

    clickLogToFile(panel);  // the chosen folder does not exist
    EXPECT_FALSE(panel.logToFileBox()->isChecked());
    EXPECT_FALSE(log.fileLogging());
    EXPECT_NE(log.plainText().find("Error: chkLogToFile_Click: Log file "), std::string::npos);

    clickLogToFile(panel);  // works, then the folder goes away under it
    ASSERT_TRUE(panel.logToFileBox()->isChecked());
    ASSERT_TRUE(QDir(folder.filePath("logs")).removeRecursively());
    log.subWriteToTextBox("Reading electrodes\r\n");
    EXPECT_FALSE(panel.logToFileBox()->isChecked());
    EXPECT_EQ(log.errorCount(), 2u);
}
