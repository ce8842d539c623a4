// XYZ model points, in the file's first columns; an odd first byte reads an
// IP column too when the file has five.

#include <string>

#include "FuzzTargets.h"
#include "core/mesh/XyzImport.h"

namespace vexora::fuzz {

void xyzFile(std::string_view bytes)
{
    if (bytes.empty()) return;
    const bool withIp = (bytes[0] & 1) != 0;
    bytes.remove_prefix(1);
    const int count = xyzColumnCount(bytes);
    if (count < 4) return;
    XyzColumns columns;
    if (withIp && count >= 5) columns.ip = 5;
    MessageLog log([] { return std::string("now"); });
    (void)readXyzPoints(bytes, columns, log);
}

}  // namespace vexora::fuzz
