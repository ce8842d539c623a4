#pragma once
// Runs the command line in-process and keeps what it printed.

#include <sstream>
#include <string>
#include <vector>

#include "app/cli/Cli.h"

namespace vexora::testing {

struct CliRun {
    int code;
    std::string out, err;
};

// The sample survey the commands are tried on.
inline const std::string kSampleSurvey = std::string(VEXORA_SAMPLES_DIR) + "/sample_survey.data";

inline CliRun runVexora(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int code = vexora::cli::run(args, out, err);
    return {code, out.str(), err.str()};
}

}  // namespace vexora::testing
