#pragma once
// Window event handlers run through runHandler: a run-time failure that
// escapes the handler's own checks is logged as an error under the handler's
// name, so no exception ever reaches the event loop.

#include <exception>
#include <string_view>
#include <utility>

#include "core/log/MessageLog.h"

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

}  // namespace vexora::ui
