#pragma once
// The main window over scripted platform services in a temporary folder:
// no dialog blocks and no program starts.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include <QAction>
#include <QTemporaryDir>
#include <QTest>

#include "GuiTestSupport.h"
#include "core/log/MessageLog.h"
#include "core/platform/FileSystemRoots.h"
#include "core/platform/ScriptedProcessLauncher.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/platform/UserSettings.h"
#include "core/project/ProjectStore.h"
#include "ui/Workbench.h"
#include "ui/platform/TextConversion.h"
#include "ui/shell/MainWindow.h"

namespace vexora::test {

struct MainWindowFixture : ::testing::Test {
    QTemporaryDir temporary;
    std::filesystem::path app = ui::toFilePath(temporary.filePath("Vexora app"));
    ProjectStore store;
    MessageLog log{[] { return std::string("D"); }};
    ScriptedQuestions questions;
    MemoryUserSettings settings;
    ScriptedFileDialogs dialogs;
    ScriptedProcessLauncher launcher;
    FixedFileSystemRoots roots{{ui::toFilePath(temporary.filePath("drive"))}};
    std::unique_ptr<ui::MDIStart> window;

    // With `withWorkbench` the windows and runs of this build are plugged in,
    // as the application does.
    void openWindow(bool withWorkbench)
    {
        std::filesystem::create_directories(app);
        window = std::make_unique<ui::MDIStart>(
            store, log, questions, settings, dialogs,
            ui::ShellEnvironment{app, ui::toFilePath(temporary.filePath("user")), &launcher, &roots});
        if (withWorkbench) ui::plugInWorkbench(*window, store, log, questions, settings, dialogs);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void trigger(const char* name)
    {
        QAction* action = window->findChild<QAction*>(QString::fromLatin1(name));
        ASSERT_NE(action, nullptr) << name;
        action->trigger();
    }
};

}  // namespace vexora::test
