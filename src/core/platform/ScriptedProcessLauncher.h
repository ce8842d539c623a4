#pragma once
// A launcher that starts nothing: it records every request and answers with
// the outcome it was told to give. For tests and for preparing jobs without
// starting them.

#include <utility>

#include "core/platform/ProcessLauncher.h"

namespace vexora {

class ScriptedProcessLauncher : public ProcessLauncher {
public:
    struct Request {
        std::filesystem::path program;
        std::vector<std::string> arguments;
        std::filesystem::path workingFolder;
    };

    // The following starts fail with this reason; empty: they succeed.
    void failWith(std::string reason) { failure_ = std::move(reason); }

    bool startDetached(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                       const std::filesystem::path& workingFolder, std::string* why = nullptr) override
    {
        requests_.push_back({program, arguments, workingFolder});
        if (failure_.empty()) return true;
        if (why) *why = failure_;
        return false;
    }

    const std::vector<Request>& requests() const { return requests_; }

private:
    std::string failure_;
    std::vector<Request> requests_;
};

}  // namespace vexora
