#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/io/TextFile.h"
#include "core/log/MessageLog.h"

namespace fs = std::filesystem;
using namespace vexora;

namespace {

// Date lines "D1", "D2", ... so every entry's own date line can be told apart.
MessageLog numberedLog()
{
    return MessageLog([n = 0]() mutable { return "D" + std::to_string(++n); });
}

fs::path freshFolder(const char* name)
{
    fs::path folder = fs::temp_directory_path() / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

std::string fileText(const fs::path& path)
{
    std::string text;
    readTextFile(path, text);
    return text;
}

struct EntryCase {
    std::int32_t code;
    const char* expected;  // empty: no entry
    bool red;
};

}  // namespace

TEST(MessageLog, EntryFormatAndColourFollowTheCode)
{
    const EntryCase cases[] = {
        {kWarningCode, "D1\r\nWarning: funLoadData: row 7 short\r\n\r\n", false},
        {kErrorCode, "D1\r\nError: funLoadData: row 7 short\r\n\r\n", true},
        {9, "D1\r\nError: funLoadData: row 7 short\r\n\r\n", true},  // run-time failure
        {kErrorCode - 1, "D1\r\nWarning: funLoadData: row 7 short\r\n\r\n", false},
        {kDialogCancelCode, "", false},
    };
    for (const EntryCase& c : cases) {
        SCOPED_TRACE(c.code);
        MessageLog log = numberedLog();
        log.modErrorManager(c.code, "funLoadData", "row 7 short");
        EXPECT_EQ(log.plainText(), c.expected);
        for (const LogRun& run : log.runs()) EXPECT_EQ(run.red, c.red);
        EXPECT_EQ(log.errorCount(), c.red ? 1u : 0u);
    }
}

// A reader in the system's manner: a short row is a warning and the loop
// goes on; a column beyond the row is an error that ends the routine.
static Status funReadRows(MessageLog& log, const std::vector<int>& rowLengths, int column, int& rowsRead)
{
    for (std::size_t row = 0; row < rowLengths.size(); ++row) {
        if (rowLengths[row] < 3) {
            log.warning("funReadRows", "row " + std::to_string(row + 1) + " short");
            continue;
        }
        if (column > rowLengths[row]) return log.error("funReadRows", "column beyond the row");
        ++rowsRead;
    }
    return Status::Ok;
}

TEST(MessageLog, WarningsContinueErrorsReturnOne)
{
    MessageLog log = numberedLog();
    int rowsRead = 0;
    EXPECT_EQ(funReadRows(log, {5, 2, 5, 1, 5}, 5, rowsRead), Status::Ok);
    EXPECT_EQ(rowsRead, 3);
    EXPECT_EQ(log.plainText(),
              "D1\r\nWarning: funReadRows: row 2 short\r\n\r\n"
              "D2\r\nWarning: funReadRows: row 4 short\r\n\r\n");

    log.clear();
    rowsRead = 0;
    EXPECT_EQ(funReadRows(log, {5, 4, 5}, 5, rowsRead), Status::Error);
    EXPECT_EQ(rowsRead, 1);
    EXPECT_EQ(log.plainText(), "D3\r\nError: funReadRows: column beyond the row\r\n\r\n");
}

TEST(MessageLog, ErrorEntryReachesTheFileWithTheNextProgressLine)
{
    const fs::path file = freshFolder("vexora_log_file") / "run.rtf";
    MessageLog log = numberedLog();
    log.subWriteToTextBox("Loading survey.data\r\n");
    EXPECT_FALSE(fs::exists(file));  // off at start

    log.subSendNameToProgress(file, true);
    log.subWriteToTextBox("Reading electrodes\r\n");
    EXPECT_EQ(fileText(file), log.rtf());
    EXPECT_EQ(log.error("funLoadData", "no data block"), Status::Error);
    EXPECT_EQ(fileText(file).find("no data block"), std::string::npos);
    log.subWriteToTextBox("Done\r\n");
    EXPECT_EQ(fileText(file), log.rtf());

    log.subSendNameToProgress(file, false);
    log.subWriteToTextBox("After\r\n");
    EXPECT_EQ(fileText(file).find("After"), std::string::npos);
}

TEST(MessageLog, FailureToSaveTheFileIsReportedOnceAndStopsFileLogging)
{
    MessageLog log = numberedLog();
    log.subSendNameToProgress(freshFolder("vexora_log_fail") / "missing" / "run.rtf", true);
    log.subWriteToTextBox("Reading electrodes\r\n");
    log.subWriteToTextBox("More\r\n");
    EXPECT_FALSE(log.fileLogging());
    EXPECT_EQ(log.errorCount(), 1u);
    EXPECT_NE(log.plainText().find("run.rtf not saved"), std::string::npos);
}

TEST(MessageLog, RtfEscapesTextAndColoursErrorsRed)
{
    const std::pair<const char*, const char*> cases[] = {
        {"caf\xe9 \x80", "caf\\'e9 \\'80"},
        {"{x} a\\b", "\\{x\\} a\\\\b"},
        {"one\r\ntwo", "one\\par\r\ntwo"},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        MessageLog log = numberedLog();
        log.subWriteToTextBox(text);
        EXPECT_NE(log.rtf().find(std::string("\\cf1 ") + expected + "}"), std::string::npos) << log.rtf();
    }

    MessageLog log = numberedLog();
    EXPECT_EQ(log.error("funSaveSchedule", "not saved"), Status::Error);
    const std::string rtf = log.rtf();
    // Colour index 2 is red; index 0 is the reader's default.
    EXPECT_NE(rtf.find("{\\colortbl ;\\red0\\green0\\blue0;\\red255\\green0\\blue0;}"), std::string::npos);
    EXPECT_NE(rtf.find("\\cf2 D1\\par"), std::string::npos) << rtf;
}
