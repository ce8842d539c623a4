#pragma once
// The banner a new project writes into the message log.

#include <string>
#include <string_view>

namespace vexora {

// The workbench's version; keep in step with project(VERSION) in the
// top-level CMakeLists.txt.
struct ApplicationVersion {
    int major = 0;
    int minor = 1;
    int revision = 0;
};
inline constexpr ApplicationVersion kApplicationVersion{};

// "major.minor.revision".
std::string versionText(const ApplicationVersion& version = kApplicationVersion);

// Rule line, title line with version and project type, the numerical-core
// line, rule line again, each ending in CR LF, then one more CR LF.
std::string projectBanner(std::string_view projectType, const ApplicationVersion& version = kApplicationVersion);

}  // namespace vexora
