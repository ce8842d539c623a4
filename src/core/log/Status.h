#pragma once
// The outcome of a routine that logs its own errors: Ok, or Error once the
// reason is in the message log. The numbers are those the files and the
// exit codes have always carried.

namespace vexora {

enum class [[nodiscard]] Status { Ok = 0, Error = 1 };

}  // namespace vexora
