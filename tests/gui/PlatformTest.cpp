#include <gtest/gtest.h>

#include <stdexcept>

#include <QApplication>
#include <QDialog>
#include <QProgressDialog>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include "core/log/MessageLog.h"
#include "ui/platform/BackgroundWork.h"
#include "ui/platform/QtUserSettings.h"
#include "ui/platform/RunHandler.h"
#include "ui/platform/TextConversion.h"

using namespace vexora;

TEST(TextConversion, EveryByteRoundTripsAsItsWindows1252Character)
{
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    const QString text = ui::toQString(bytes);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(ui::toWindows1252(text), bytes);

    const std::pair<unsigned char, char16_t> cases[] = {
        {0x80, 0x20AC}, {0x8A, 0x0160}, {0x92, 0x2019}, {0x96, 0x2013},
        {0x99, 0x2122}, {0x9F, 0x0178}, {0xB0, 0x00B0}, {0xE9, 0x00E9},
    };
    for (const auto& [byte, unicode] : cases) EXPECT_EQ(text[byte], QChar(unicode)) << int(byte);

    EXPECT_EQ(ui::toWindows1252(QString::fromUtf8("a\xe4\xb8\xad" "b")), "a?b");      // CJK
    EXPECT_EQ(ui::toWindows1252(QString::fromUtf8("a\xf0\x9f\x8c\x8d" "b")), "a?b");  // beyond 16 bits
}

TEST(QtUserSettings, SectionAndKeyPersistAsSectionSlashKey)
{
    QTemporaryDir folder;
    const QString file = folder.filePath("user.ini");
    {
        ui::QtUserSettings settings(file);
        EXPECT_FALSE(settings.value("Paths", "Configuration").has_value());
        settings.setValue("Paths", "Configuration", "/data/caf\xe9.cnfg");
    }
    EXPECT_EQ(ui::QtUserSettings(file).value("Paths", "Configuration"), "/data/caf\xe9.cnfg");
    QSettings raw(file, QSettings::IniFormat);
    EXPECT_EQ(raw.value("Paths/Configuration").toString(), QString::fromUtf8("/data/café.cnfg"));
}

TEST(RunHandler, AnEscapingFailureBecomesAnErrorOfTheHandler)
{
    MessageLog log([] { return std::string("D"); });
    ui::runHandler(log, "cmdRunInverse_Click", [] { throw std::runtime_error("disk full"); });
    EXPECT_EQ(log.plainText(), "D\r\nError: cmdRunInverse_Click: disk full\r\n\r\n");
}

// Work that waits on a question keeps its progress dialog out of the way:
// over the question it would take the keyboard, and Enter would cancel.
TEST(BackgroundWork, NoProgressDialogOverAQuestionTheWorkWaitsOn)
{
    bool progressShownOverQuestion = true;
    vexora::MessageLog log;
    const bool cancelled = vexora::ui::runWithProgress(
        nullptr, "Work", log, [&](const vexora::Feedback& feedback, vexora::MessageLog& workLog) {
            feedback.report(10, "asking");
            // The question, shown on the window thread well past the dialog's delay.
            QMetaObject::invokeMethod(
                qApp,
                [&] {
                    QDialog question;
                    QTimer::singleShot(900, &question, [&] {
                        progressShownOverQuestion = false;
                        for (QWidget* top : QApplication::topLevelWidgets())
                            if (qobject_cast<QProgressDialog*>(top) && top->isVisible())
                                progressShownOverQuestion = true;
                        question.accept();
                    });
                    question.exec();
                },
                Qt::BlockingQueuedConnection);
            workLog.subWriteToTextBox("answered");
        });
    EXPECT_FALSE(cancelled);
    EXPECT_FALSE(progressShownOverQuestion);
    EXPECT_EQ(log.plainText(), "answered");  // the work's own log joins the caller's
}
