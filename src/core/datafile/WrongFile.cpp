#include "core/datafile/WrongFile.h"

#include <algorithm>
#include <array>
#include <span>

#include "core/import/syscal/SyscalBinary.h"

namespace vexora {

namespace {

// The start of the file is enough to judge: a text file with a binary tail
// fails later with messages of its own.
constexpr std::size_t kSniffedBytes = 4096;

struct ImageSignature {
    std::string_view kind;
    std::string_view signature;
};

constexpr std::array<ImageSignature, 5> kImageSignatures{{
    {"PNG", "\x89PNG\r\n\x1a\n"},
    {"JPEG", "\xff\xd8\xff"},
    {"GIF", "GIF87a"},
    {"GIF", "GIF89a"},
    {"BMP", "BM"},
}};

// Bytes below the space other than tab, line feed, form feed and carriage
// return: single-byte text has hardly any, binary data has them everywhere.
bool isControlByte(unsigned char c) { return c < 0x20 && c != '\t' && c != '\n' && c != '\f' && c != '\r'; }

bool looksBinary(std::string_view head)
{
    if (head.find('\0') != std::string_view::npos) return true;
    const auto controls = std::count_if(head.begin(), head.end(),
                                        [](char c) { return isControlByte(static_cast<unsigned char>(c)); });
    return controls * 10 > static_cast<std::ptrdiff_t>(head.size());  // more than one in ten
}

}  // namespace

std::optional<std::string> notATextDataFile(std::string_view name, std::string_view bytes)
{
    const std::string file(name);
    if (bytes.find_first_not_of(" \t\r\n") == std::string_view::npos) return file + " is empty.";
    if (looksLikeSyscalBinary(std::span(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size())))
        return file + " looks like a Syscal binary file: use Import field data.";
    for (const ImageSignature& image : kImageSignatures)
        // "BM" alone could begin a text; a bitmap also has binary bytes.
        if (bytes.starts_with(image.signature) && (image.kind != "BMP" || looksBinary(bytes.substr(0, kSniffedBytes))))
            return file + " is a " + std::string(image.kind) + " image, not a text data file.";
    if (looksBinary(bytes.substr(0, kSniffedBytes))) return file + " is not a text data file (binary content).";
    return std::nullopt;
}

}  // namespace vexora
