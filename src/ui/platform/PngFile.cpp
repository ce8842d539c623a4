#include "ui/platform/PngFile.h"

#include <QBuffer>

#include "core/io/TextFile.h"

namespace vexora::ui {

bool writePngFile(const QImage& image, const std::string& path, std::string& why)
{
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        why = "the PNG image cannot be encoded";
        return false;
    }
    std::string written;
    if (!writeFileAtomically(path, std::string_view(png.constData(), static_cast<std::size_t>(png.size())), &written)) {
        why = "the PNG file cannot be written: " + written;
        return false;
    }
    return true;
}

}  // namespace vexora::ui
