#include "engine/memory/LargeMemory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#ifdef VEXORA_HAVE_CHOLMOD
#include <SuiteSparse_config.h>
#endif

namespace vexora {

namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this a buffer takes ordinary pages: rounding up to whole huge pages
// would waste more than it saves.
constexpr std::size_t kLargeBuffer = 2 * kHugePage;

std::size_t largeSize(std::size_t bytes)
{
    return (bytes + kHugePage - 1) / kHugePage * kHugePage;
}
}  // namespace

void* tryAllocateLarge(std::size_t bytes) noexcept
{
    if (bytes < kLargeBuffer) return std::malloc(std::max<std::size_t>(bytes, 1));
    if (bytes > static_cast<std::size_t>(-1) - kHugePage) return nullptr;  // no rounding up past the address space
    void* p = std::aligned_alloc(kHugePage, largeSize(bytes));
#if defined(__linux__)
    if (p) madvise(p, largeSize(bytes), MADV_HUGEPAGE);  // advice only: ignored where unsupported
#endif
    return p;
}

void* allocateLarge(std::size_t bytes)
{
    if (void* p = tryAllocateLarge(bytes)) return p;
    throw std::bad_alloc();
}

void freeLarge(void* p) noexcept
{
    std::free(p);
}

void routeSolverLibraryMemory()
{
#ifdef VEXORA_HAVE_CHOLMOD
    static std::once_flag once;
    std::call_once(once, [] {
        SuiteSparse_config.malloc_func = [](std::size_t bytes) { return tryAllocateLarge(bytes); };
        SuiteSparse_config.calloc_func = [](std::size_t count, std::size_t size) -> void* {
            if (size != 0 && count > static_cast<std::size_t>(-1) / size) return nullptr;
            void* p = tryAllocateLarge(count * size);
            if (p) std::memset(p, 0, count * size);
            return p;
        };
        // Memory from aligned_alloc may be resized and freed as any other.
        SuiteSparse_config.realloc_func = [](void* p, std::size_t bytes) { return std::realloc(p, bytes); };
        SuiteSparse_config.free_func = [](void* p) { freeLarge(p); };
    });
#endif
}

}  // namespace vexora
