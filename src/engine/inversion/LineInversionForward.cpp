#include "engine/inversion/LineInversionForward.h"

#include <atomic>
#include <thread>

#include "core/platform/AvailableMemory.h"

namespace vexora {

Status LineInversionForward::prepare()
{
    return prepareLineForward(line_, start_, survey_, table_, true, source_, log_, setup_);
}

std::uint64_t LineInversionForward::availableBytes() const
{
    return control_.memoryLimitBytes ? control_.memoryLimitBytes : availableMemoryBytes();
}

std::vector<ParameterPlace> LineInversionForward::places() const
{
    std::vector<ParameterPlace> places(static_cast<std::size_t>(grid_.cells()));
    for (int id = 0; id + 1 < grid_.depthCount(); ++id)
        for (int is = 0; is + 1 < grid_.sCount(); ++is) {
            const auto i = [](int k) { return static_cast<std::size_t>(k); };
            const double s0 = grid_.s[i(is)], s1 = grid_.s[i(is + 1)];
            const double d0 = grid_.depth[i(id)], d1 = grid_.depth[i(id + 1)];
            // The electrodes run from s = 0 to the line's length.
            places[static_cast<std::size_t>(grid_.cell(is, id))] = {(s1 - s0) * (d1 - d0), i(id), d1,
                                                                    s1 >= 0 && s0 <= line_.length};
        }
    return places;
}

Status LineInversionForward::model(std::span<const double> conductivity, const Feedback& progress,
                                   std::vector<double>& resistance)
{
    ComputeControl inner;
    inner.progress = progress.progress;
    return lineResistancesAndFields(grid_, setup_, conductivity, inner, 0, 100, source_, log_, resistance,
                                    trialFields_);
}

void LineInversionForward::jacobian(std::span<const double> conductivity, std::span<const std::size_t> rows,
                                    std::span<const double> resistance, const Feedback& progress, Jacobian& j)
{
    // Rows arrive from any of the setup's threads; the calling thread reports.
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<std::size_t> done{0};
    j.rows = rows.size();
    j.cols = static_cast<std::size_t>(grid_.cells());
    j.values.resize(j.rows * j.cols);
    lineSensitivityRows(grid_, setup_, fields_, rows, [&](std::size_t i, std::span<const double> dv) {
        const double v = resistance[rows[i]];
        std::span<float> out = j.row(i);
        for (std::size_t c = 0; c < j.cols; ++c) out[c] = static_cast<float>(conductivity[c] * dv[c] / v);
        const std::size_t count = ++done;
        if (std::this_thread::get_id() == caller)
            progress.report(static_cast<int>(100 * count / rows.size()), "sensitivities");
    });
}

}  // namespace vexora
