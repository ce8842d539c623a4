#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "MainWindowFixture.h"
#include "core/JobTestSupport.h"
#include "core/io/TextFile.h"
#include "core/shell/ExternalPrograms.h"
#include "support/CliRun.h"
#include "support/SmallSurvey.h"
#include "ui/jobs/InvWork.h"
#include "ui/jobs/ResultsWindow.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;

// The folder of an inversion the core ran here on the small survey, once.
const fs::path& finishedJob()
{
    static const fs::path folder = [] {
        const fs::path root = vexora::testing::freshFolder("results_window_job");
        writeFileAtomically(root / "site.data",
                            vexora::testing::smallSurvey(vexora::testing::smallDataRows(), "#start_from_data= 2\r\n"));
        const vexora::testing::CliRun run = vexora::testing::runVexora({"invert", (root / "site.data").string(), "--run"});
        EXPECT_EQ(run.code, 0) << run.err;
        return root / "site.VXRprj";
    }();
    return folder;
}

struct ResultsWindowTest : test::MainWindowFixture {
    fs::path field = ui::toFilePath(temporary.filePath("field"));
    ui::InvWork* work = nullptr;

    void SetUp() override
    {
        fs::create_directories(field);
        fs::create_directories(app);
        vexora::testing::writeStandInProgram(app / "VORozurire.exe");
        questions.answer(QuestionId::GeometricFactorsWithZ, true);
        openWindow(true);
        trigger("mnuNewDataInversion");
        window->LinkMenusToTreeView("DI workspace");
        work = qobject_cast<ui::InvWork*>(window->taskWindows().window(TaskWindow::InvWork));
        ASSERT_NE(work, nullptr);
    }
    void click(QWidget* parent, const char* name)
    {
        auto* button = parent->findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        ASSERT_TRUE(button->isEnabled()) << name;
        button->click();
    }
    bool logHas(const std::string& text) const { return log.plainText().find(text) != std::string::npos; }
};

TEST_F(ResultsWindowTest, TheWorkspaceOffersTheResultsOfItsJobWhenItEnds)
{
    const fs::path job = finishedJob();
    ASSERT_TRUE(writeFileAtomically(field / "site.data", vexora::testing::smallSurvey()));
    dialogs.queue(ui::fromFilePath(field / "site.data"));
    click(work, "cmdInputSchedFile");
    ASSERT_TRUE(store.survey.dataLoaded) << log.plainText();

    // No job has ended here yet: the results are asked for; cancelled, nothing opens.
    click(work, "cmdOpenResults");
    EXPECT_EQ(dialogs.requests().back().title, QStringLiteral("Open inversion results"));
    EXPECT_EQ(work->resultsWindow(), nullptr);

    work->ipInversionBox()->setChecked(false);
    dialogs.queue(ui::fromFilePath(field / "run"));
    click(work, "cmdRunInverse");
    ASSERT_EQ(launcher.requests().size(), 1u) << log.plainText();
    const fs::path folder = field / "run.VXRprj";
    for (const char* name : {"InvLog.prg", "InvDataOutput.data", "InvModelOutput.vwer"})
        fs::copy_file(job / name, folder / name);
    ASSERT_TRUE(writeFileAtomically(folder / "Progress.txt", "100\tScript completed\r\n"));
    const std::string ended = "Inversion job in " + folder.string() +
                              " ended: Script completed. Last log line: Script completed.\r\nResults in " +
                              folder.string() + ": \"Open results\" shows them.";
    EXPECT_TRUE(QTest::qWaitFor([&] { return logHas(ended); }, 5000)) << log.plainText();
    EXPECT_EQ(work->resultsFolder(), folder);

    click(work, "cmdOpenResults");
    ui::ResultsWindow* results = work->resultsWindow();
    ASSERT_NE(results, nullptr) << log.plainText();
    EXPECT_TRUE(results->isVisible());
    EXPECT_EQ(results->tabs()->count(), 3);
    EXPECT_EQ(results->results().fit.points.size() + results->results().fit.incomparable, 3u);
    EXPECT_GE(results->results().misfits.resistivity.size(), 2u);
    EXPECT_TRUE(logHas("Results of " + folder.string() + ": " + std::to_string(results->results().fit.points.size()) +
                       " data compared, RMS "))
        << log.plainText();

    // Each plot saves as the picture it shows.
    const QSize sizes[] = {{800, 760}, {960, 640}, {960, 600}};
    for (int tab = 0; tab < 3; ++tab) {
        results->tabs()->setCurrentIndex(tab);
        const fs::path png = field / ("plot" + std::to_string(tab) + ".png");
        dialogs.queue(ui::fromFilePath(png));
        click(results, "cmdSaveImage");
        EXPECT_EQ(QImage(ui::fromFilePath(png)).size(), sizes[tab]) << tab;
        EXPECT_TRUE(logHas("Image saved in " + png.string()));
    }

    // The viewer starts on a script naming the job's model.
    const fs::path viewer = app / "viewer";
    fs::create_directories(viewer);
    vexora::testing::writeStandInProgram(viewer / "VexoraViewer");
    settings.setValue(kPathsSection, kViewerProgram, viewer.string());
    click(results, "cmdOpenModel");
    ASSERT_EQ(launcher.requests().size(), 2u) << log.plainText();
    EXPECT_EQ(launcher.requests().back().program.parent_path(), viewer);
    EXPECT_NE(vexora::testing::fileText(folder / "Temp.ohm").find((folder / "InvModelOutput.vwer").string()),
              std::string::npos);
}

// The explorer's model commands on a job's output files.
TEST_F(ResultsWindowTest, TheExplorerLoadsTheJobsOutputs)
{
    const fs::path job = finishedJob();
    dialogs.queue(ui::fromFilePath(job / "InvFullMeshOutput.vwer"));
    window->LinkMenusToTreeView("Import Mesh and Model");
    ASSERT_FALSE(questions.messages().empty());
    EXPECT_EQ(questions.messages().back().text, "Mesh and model correctly imported.") << log.plainText();
    EXPECT_TRUE(store.mesh.present);
    const std::vector<double> conductivity = store.models.conductivity;
    EXPECT_FALSE(conductivity.empty());

    // The viewer file is not the model to load: the project keeps its own.
    dialogs.queue(ui::fromFilePath(job / "InvModelOutput.vwer"));
    window->LinkMenusToTreeView("Load Resistivity Model");
    EXPECT_EQ(questions.messages().back().text.find("InvModelOutput.vwer is a 3D viewer model file"), 0u);
    EXPECT_EQ(store.models.conductivity, conductivity);

    dialogs.queue(ui::fromFilePath(job / "InvFullMeshOutput.vwer"));
    window->LinkMenusToTreeView("Load Resistivity Model");
    EXPECT_EQ(questions.messages().back().text, "Resistivity model correctly loaded.") << log.plainText();
}

}  // namespace
