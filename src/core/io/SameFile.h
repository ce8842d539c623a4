#pragma once
// Whether a name given as an output leads to a file given as an input, and
// the one refusal every writer gives when it does.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexora {

// True when both names lead to one existing file: symbolic links are
// followed and hard links compare alike, since the names may differ. False
// when either does not exist (an output not written yet).
bool isSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// "the ROLE OUTPUT is the same file as the input INPUT; choose another name."
// for the first input that `output` would replace; nothing when none is.
// `role` names the output as its writer knows it ("output", "log", ...).
std::optional<std::string> outputOverInput(std::string_view role, const std::filesystem::path& output,
                                           const std::vector<std::filesystem::path>& inputs);

}  // namespace vexora
