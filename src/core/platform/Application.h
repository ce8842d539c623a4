#pragma once
#include <string_view>

namespace vexora {

// Title of the workbench; message boxes append " - Error", " - Warning" ...
inline constexpr std::string_view kApplicationTitle = "Vexora64";

}  // namespace vexora
