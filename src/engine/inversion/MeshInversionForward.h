#pragma once
// The 3D forward model on the mesh as the inversion's forward model: one
// parameter per block, sensitivities from the electrode fields of the kept
// model (Sensitivity.h).

#include <string_view>

#include "engine/inversion/InversionForward.h"
#include "engine/inversion/Sensitivity.h"

namespace vexora {

class MeshInversionForward final : public InversionForward {
public:
    MeshInversionForward(const Mesh& mesh, const Models& start, const Survey& survey, const SettingsTable& settings,
                         const ComputeControl& control, std::string_view source, MessageLog& log)
        : mesh_(mesh), start_(start), survey_(survey), table_(settings), control_(control), source_(source), log_(log)
    {
    }

    Status prepare() override;

    BlockGrid grid() const override { return blockGrid(mesh_); }
    std::vector<ParameterPlace> places() const override;
    const ForwardSettings& settings() const override { return setup_.settings; }
    const QuadrupolePlan& plan() const override { return setup_.plan; }
    std::uint64_t availableBytes() const override { return setup_.availableBytes; }
    InversionSize size() const override
    {
        return {static_cast<std::int64_t>(mesh_.nodeGrid.size()), blockCount(mesh_),
                static_cast<std::int64_t>(setup_.plan.electrodes.size()), 0, setup_.settings.threads, false};
    }
    Status model(std::span<const double> conductivity, const Feedback& progress,
                 std::vector<double>& resistance) override;
    void keepTrial() override { std::swap(fields_, trialFields_); }
    void holdTrial() override { std::swap(heldFields_, trialFields_); }
    void restoreTrial() override { std::swap(heldFields_, trialFields_); }
    void jacobian(std::span<const double> conductivity, std::span<const std::size_t> rows,
                  std::span<const double> resistance, const Feedback& progress, Jacobian& j) override;

private:
    const Mesh& mesh_;
    const Models& start_;
    const Survey& survey_;
    const SettingsTable& table_;
    const ComputeControl& control_;
    std::string_view source_;
    MessageLog& log_;
    ForwardSetup setup_;
    ForwardSystem system_;
    std::vector<float> stiffness_;
    ElectrodeFields fields_, trialFields_, heldFields_;
};

}  // namespace vexora
