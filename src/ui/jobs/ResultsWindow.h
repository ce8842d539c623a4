#pragma once
// The results of an inversion job: measured against modelled data, RMS and
// chi2 per iteration, the histogram of the normalised residuals, each on a
// tab with "Save image...", and "Open model in viewer", which starts the 3D
// viewer on the job's model file. Everything shown is computed by the core
// (core/jobs/JobResults.h); the window is not modal.

#include <filesystem>

#include <QWidget>

#include "core/jobs/JobResults.h"

class QTabWidget;
class QPushButton;

namespace vexora {
class Questions;
class UserSettings;
}  // namespace vexora

namespace vexora::ui {

class FileDialogs;
struct ShellEnvironment;

class ResultsWindow : public QWidget {
    Q_OBJECT
public:
    ResultsWindow(JobResults results, MessageLog& log, Questions& questions, UserSettings& userSettings,
                  FileDialogs& fileDialogs, const ShellEnvironment& environment, QWidget* parent = nullptr);

    const JobResults& results() const { return results_; }
    QTabWidget* tabs() const { return tabs_; }
    // "Save image..." of the tab shown.
    void saveImage();
    void openModel();

private:
    QImage tabImage(int tab) const;

    JobResults results_;
    MessageLog& log_;
    Questions& questions_;
    UserSettings& userSettings_;
    FileDialogs& fileDialogs_;
    const ShellEnvironment& environment_;
    QTabWidget* tabs_;
    QPushButton* cmdOpenModel_;
};

// Loads the results of the job in `folder` and shows them in a new window
// (deleted when closed); null when they did not load (the log says why).
ResultsWindow* showJobResults(const std::filesystem::path& folder, MessageLog& log, Questions& questions,
                              UserSettings& userSettings, FileDialogs& fileDialogs,
                              const ShellEnvironment& environment, QWidget* parent);

}  // namespace vexora::ui
