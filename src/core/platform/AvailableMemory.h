#pragma once
// How much more memory this process may take: what the machine has free
// and what the process's own limits still allow. Every estimate made
// before a large allocation compares with this one figure.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace vexora {

// The least of MemAvailable (/proc/meminfo), the address-space and data
// limits (RLIMIT_AS, RLIMIT_DATA soft limits) less what the process already
// uses of them, and the headroom of its memory cgroups. At least 1 when any
// of these is known; 0 when none can be read.
std::uint64_t availableMemoryBytes();

// The least limit-less-usage of the memory cgroups that hold this process
// and their ancestors: cgroup v2 memory.max less memory.current under
// `root` or `root`/unified, cgroup v1 memory.limit_in_bytes less
// memory.usage_in_bytes under `root`/memory. `selfCgroup` is the text of
// /proc/self/cgroup. Nothing when no group sets a limit.
std::optional<std::uint64_t> cgroupMemoryHeadroom(const std::filesystem::path& root, std::string_view selfCgroup);

}  // namespace vexora
