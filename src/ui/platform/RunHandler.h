#pragma once
// Window event handlers run through runHandler: a run-time failure that
// escapes the handler's own checks is logged as an error under the handler's
// name, so no exception ever reaches the event loop.

#include <exception>
#include <string_view>
#include <utility>

#include "core/log/MessageLog.h"
#include "core/platform/Application.h"
#include "core/platform/Questions.h"

namespace vexora::ui {

template <class Body>
void runHandler(MessageLog& log, std::string_view source, Body&& body) noexcept
{
    try {
        std::forward<Body>(body)();
    } catch (const std::exception& failure) {
        log.logError(source, failure.what());
    } catch (...) {
        log.logError(source, "unexpected failure");
    }
}

// Commands running now on the window thread: a command run by another one
// (a menu entry that clicks an explorer node) leaves the box to the outer one.
inline int& runningCommands()
{
    static int running = 0;
    return running;
}

// A command of a menu or a button: as runHandler, and an error that stopped
// it is shown in a message box too, since the log may be out of sight.
template <class Body>
void runCommand(MessageLog& log, Questions& questions, std::string_view source, Body&& body) noexcept
{
    const std::size_t errors = log.errorCount();
    ++runningCommands();
    runHandler(log, source, std::forward<Body>(body));
    if (--runningCommands() > 0 || log.errorCount() == errors) return;
    runHandler(log, source, [&] {
        questions.showMessage(std::string(kApplicationTitle) + " - Error", log.lastError(), MessageIcon::Critical);
    });
}

}  // namespace vexora::ui
