#pragma once
// Files that cannot be a data file, told apart before any parsing: an empty
// file, an instrument's binary measurement file, an image, other binary
// content. Parsed as text, each would give a warning per line and then an
// error about something else; here each gets one message that says what the
// file is.

#include <optional>
#include <string>
#include <string_view>

namespace vexora {

// The message for bytes that cannot be a text data file ("NAME is empty."),
// nothing for text worth parsing. `name` names the file in the message.
std::optional<std::string> notATextDataFile(std::string_view name, std::string_view bytes);

}  // namespace vexora
