#pragma once
// A picture saved as every other output is: encoded in memory, then written
// whole or not at all, so a full disk leaves the previous file in place.

#include <string>

#include <QImage>

namespace vexora::ui {

// False with `why` when the image cannot be encoded or the file written.
bool writePngFile(const QImage& image, const std::string& path, std::string& why);

}  // namespace vexora::ui
