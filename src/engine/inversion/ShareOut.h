#pragma once
// Splitting a range of independent work items among threads.

#include <algorithm>
#include <cstddef>
#include <thread>
#include <vector>

namespace vexora {

// How many parts shareOut makes of n items for `threads` threads.
inline std::size_t shareCount(std::size_t n, int threads)
{
    return std::clamp<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)), 1, std::max<std::size_t>(n, 1));
}

// Runs work(part, first, last) over [0, n) in shareCount(n, threads) parts,
// part 0 on the calling thread, and waits for all of them; also when part 0
// throws (an allocation failing), so the job can still end in order.
template <class Work>
void shareOut(std::size_t n, int threads, Work&& work)
{
    const std::size_t count = shareCount(n, threads);
    std::vector<std::jthread> pool;
    for (std::size_t t = 1; t < count; ++t) pool.emplace_back([&work, n, t, count] { work(t, n * t / count, n * (t + 1) / count); });
    work(std::size_t{0}, std::size_t{0}, n / count);
}

}  // namespace vexora
