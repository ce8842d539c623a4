#pragma once
// Buffers of many megabytes (J, the factor, the fields and right-hand sides
// of a batch of sources) taken in huge pages where the system offers them.
// Filling such a buffer faults a page per 2 MB rather than per 4 KB: under
// a hypervisor each fault is an exit, and with 4 KB pages the faults of a
// forward model's fresh buffers cost more than a third of its time. Passes
// over the buffers also miss the address cache far less.

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

namespace vexora {

// Null when the memory is not there.
void* tryAllocateLarge(std::size_t bytes) noexcept;
// As tryAllocateLarge, std::bad_alloc when the memory is not there.
void* allocateLarge(std::size_t bytes);
void freeLarge(void* p) noexcept;

// Memory of the direct solver's library drawn from tryAllocateLarge, so its
// factor and solve buffers take huge pages too. Idempotent; called before
// the library's first allocation.
void routeSolverLibraryMemory();

template <class T>
struct LargeAllocator {
    using value_type = T;
    LargeAllocator() = default;
    template <class U>
    LargeAllocator(const LargeAllocator<U>&) noexcept
    {
    }
    T* allocate(std::size_t n) { return static_cast<T*>(allocateLarge(n * sizeof(T))); }
    void deallocate(T* p, std::size_t) noexcept { freeLarge(p); }
    template <class U>
    bool operator==(const LargeAllocator<U>&) const noexcept
    {
        return true;
    }
};

// A LargeAllocator whose resize leaves new values as they come: J is filled
// entry by entry by its assembly, and zeroing gigabytes first would cost
// seconds on one thread before the threads touch the pages themselves.
template <class T>
struct UninitialisedAllocator : LargeAllocator<T> {
    UninitialisedAllocator() = default;
    template <class U>
    UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept
    {
    }
    template <class U>
    void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

template <class T>
using LargeVector = std::vector<T, LargeAllocator<T>>;

}  // namespace vexora
