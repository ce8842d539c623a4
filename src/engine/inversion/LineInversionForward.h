#pragma once
// The 2.5D line model as the inversion's forward model: one parameter per
// cell of the line grid (a grid one cell thick across the line), the
// sensitivities from the pole solutions of the kept model (LineSensitivity.h).

#include <string_view>

#include "engine/forward2d/LineSensitivity.h"
#include "engine/inversion/InversionForward.h"

namespace vexora {

class LineInversionForward final : public InversionForward {
public:
    LineInversionForward(const ElectrodeLine& line, const LineModel& start, const Survey& survey,
                         const SettingsTable& settings, const ComputeControl& control, std::string_view source,
                         MessageLog& log)
        : line_(line), start_(start), grid_(start.grid), survey_(survey), table_(settings), control_(control),
          source_(source), log_(log)
    {
    }

    Status prepare() override;

    BlockGrid grid() const override
    {
        return {static_cast<std::size_t>(grid_.sCount() - 1), 1, static_cast<std::size_t>(grid_.depthCount() - 1)};
    }
    std::vector<ParameterPlace> places() const override;
    const ForwardSettings& settings() const override { return setup_.settings; }
    const QuadrupolePlan& plan() const override { return setup_.plan; }
    std::uint64_t availableBytes() const override;
    // A section's fields and band factors are small beside its J: only the
    // parameters are counted.
    InversionSize size() const override
    {
        return {0, static_cast<std::int64_t>(grid().size()), static_cast<std::int64_t>(setup_.plan.electrodes.size()),
                0, setup_.settings.threads, false};
    }
    Status model(std::span<const double> conductivity, const Feedback& progress,
                 std::vector<double>& resistance) override;
    void keepTrial() override { std::swap(fields_, trialFields_); }
    void holdTrial() override { std::swap(heldFields_, trialFields_); }
    void restoreTrial() override { std::swap(heldFields_, trialFields_); }
    void jacobian(std::span<const double> conductivity, std::span<const std::size_t> rows,
                  std::span<const double> resistance, const Feedback& progress, Jacobian& j) override;

private:
    const ElectrodeLine& line_;
    const LineModel& start_;
    const LineGrid& grid_;
    const Survey& survey_;
    const SettingsTable& table_;
    const ComputeControl& control_;
    std::string_view source_;
    MessageLog& log_;
    LineSetup setup_;
    LinePoleFields fields_, trialFields_, heldFields_;
};

}  // namespace vexora
