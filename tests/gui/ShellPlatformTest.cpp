#include <gtest/gtest.h>

#include "core/JobTestSupport.h"
#include "ui/platform/FileDialogs.h"
#include "ui/platform/QtProcessLauncher.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

TEST(QtProcessLauncher, ArgumentsAndWorkingFolderArriveUnchangedWithoutAShell)
{
    const fs::path root = vexora::testing::freshFolder("vexora_qt_launch");
    const fs::path app = root / "it's a \"test\" caf\xc3\xa9 $HOME";
    fs::create_directories(app);
    vexora::testing::writeStandInProgram(app / "VORozurire.exe");

    ui::QtProcessLauncher launcher;
    const std::vector<std::string> arguments{"VexoraRUR64", (root / "a b;c`d`/InvScript.txt").string(), "INV"};
    std::string why;
    ASSERT_TRUE(launcher.startDetached(app / "VORozurire.exe", arguments, app, &why)) << why;
    std::vector<std::string> expected{app.string()};
    expected.insert(expected.end(), arguments.begin(), arguments.end());
    EXPECT_EQ(vexora::testing::waitForLaunchRecord(app), expected);

    // Not executable: refused, with a reason.
    ::chmod((app / "VORozurire.exe").c_str(), 0644);
    EXPECT_FALSE(launcher.startDetached(app / "VORozurire.exe", {}, app, &why));
    EXPECT_FALSE(why.empty());
    fs::remove_all(root);
}

TEST(FileDialogs, FilterTextsInQtForm)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Data file (*.data)|*.data", "Data file (*.data)"},
        {"Ohm (*.ohm)|*.ohm|All Files (*.*)|*.*", "Ohm (*.ohm);;All Files (*)"},
        {"Data file (*.data)|*.data|Text (*.txt)|*.txt|CSV File(*.csv)|*.csv|Dat File(*.dat)|*.dat|All Files (*.*)|*.*",
         "Data file (*.data);;Text (*.txt);;CSV File (*.csv);;Dat File (*.dat);;All Files (*)"},
        {"Inversion Project Folder (*.*)|*.*|", "Inversion Project Folder (*)"},
    };
    for (const auto& [workbench, qt] : cases) EXPECT_EQ(ui::toQtFilters(workbench), qt) << workbench;
}

}  // namespace
