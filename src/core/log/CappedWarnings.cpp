#include "core/log/CappedWarnings.h"

namespace vexora {

void CappedWarnings::warn(std::string_view text)
{
    if (count_++ < kShownWarnings) log_.warning(source_, text);
}

void CappedWarnings::reportHeldBack()
{
    if (reported_ || count_ <= kShownWarnings) return;
    reported_ = true;
    log_.warning(source_, std::to_string(count_ - kShownWarnings) + " more " + kind_ + " not shown.");
}

}  // namespace vexora
