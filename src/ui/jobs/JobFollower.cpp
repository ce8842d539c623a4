#include "ui/jobs/JobFollower.h"

#include <QTimer>

namespace vexora::ui {

void followJob(QObject* owner, const std::filesystem::path& progressFile,
               std::function<void(const ProgressState& end)> ended)
{
    auto* timer = new QTimer(owner);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, progressFile, ended = std::move(ended)] {
        const std::optional<ProgressState> state = readProgressFile(progressFile);
        if (!state || !jobEnded(*state)) return;
        timer->stop();
        timer->deleteLater();
        ended(*state);
    });
    timer->start(kJobFollowMilliseconds);
}

}  // namespace vexora::ui
