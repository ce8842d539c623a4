#pragma once
// A memory limit for the process, as `ulimit -v` sets one: only for a child
// (a death test), since it cannot be raised again.

#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>

namespace vexora::testing {

// Caps the address space at what is in use now plus `headroom` bytes.
inline void limitAddressSpace(std::uint64_t headroom)
{
    std::uint64_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t limit = pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE)) + headroom;
    const rlimit both{limit, limit};
    setrlimit(RLIMIT_AS, &both);
}

}  // namespace vexora::testing
