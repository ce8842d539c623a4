#pragma once
// How long work reports back and learns that it should stop: progress in
// percent with the stage it is in, and whether the user asked to cancel.
// Either function may be empty. Work that may run off the window thread
// calls both from its own thread, so they must be safe to call from there.

#include <functional>
#include <string>
#include <string_view>

namespace vexora {

struct Feedback {
    std::function<void(int percent, std::string_view stage)> progress;
    std::function<bool()> cancelRequested;

    void report(int percent, std::string_view stage) const
    {
        if (progress) progress(percent, stage);
    }
    bool cancelled() const { return cancelRequested && cancelRequested(); }
    // The same feedback with 0..100 of the part mapped onto from..to of the
    // whole; with a `stage`, the part's own stage texts are replaced by it.
    Feedback part(int from, int to, std::string stage = {}) const
    {
        Feedback inner;
        inner.cancelRequested = cancelRequested;
        if (progress)
            inner.progress = [whole = progress, from, to, stage = std::move(stage)](int percent,
                                                                                    std::string_view innerStage) {
                whole(from + (to - from) * percent / 100, stage.empty() ? innerStage : std::string_view(stage));
            };
        return inner;
    }
};

}  // namespace vexora
