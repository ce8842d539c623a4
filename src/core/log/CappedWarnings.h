#pragma once
// Warnings of one kind during one read: the first kShownWarnings are logged,
// the rest only counted, so that a file that is wrong on every line leaves a
// log that can still be read.

#include <cstddef>
#include <string>
#include <string_view>

#include "core/log/MessageLog.h"

namespace vexora {

inline constexpr std::size_t kShownWarnings = 20;

class CappedWarnings {
public:
    // `kind` names the warnings in the closing count ("unrecognized
    // configuration tags").
    CappedWarnings(MessageLog& log, std::string_view source, std::string_view kind)
        : log_(log), source_(source), kind_(kind) {}

    // Logs the warning while fewer than kShownWarnings were, counts it otherwise.
    void warn(std::string_view text);
    bool full() const { return count_ >= kShownWarnings; }
    // "N more <kind> not shown.", once, when some were held back.
    void reportHeldBack();

private:
    MessageLog& log_;
    std::string source_;
    std::string kind_;
    std::size_t count_ = 0;
    bool reported_ = false;
};

}  // namespace vexora
