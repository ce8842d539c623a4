#pragma once
// Advice that a large buffer about to be filled be backed by huge pages:
// filling a fresh buffer of a hundred megabytes otherwise takes one page
// fault per 4 KiB, which costs as much as the copying itself.

#include <cstddef>
#include <vector>

namespace vexora {

// Only the whole 2 MiB pages inside [data, data + bytes) are advised; small
// buffers are left alone. Advice only: ignored where unsupported.
void adviseLargePages(const void* data, std::size_t bytes);

// Reserves room for `count` elements and advises it.
template <class T>
void reserveOnLargePages(std::vector<T>& column, std::size_t count)
{
    column.reserve(count);
    adviseLargePages(column.data(), column.capacity() * sizeof(T));
}

}  // namespace vexora
