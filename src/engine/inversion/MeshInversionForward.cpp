#include "engine/inversion/MeshInversionForward.h"

namespace vexora {

Status MeshInversionForward::prepare()
{
    if (prepareForward(mesh_, start_, survey_, table_, control_, true, source_, log_, setup_) != Status::Ok)
        return Status::Error;
    stiffness_ = blockStiffnesses(mesh_);
    return Status::Ok;
}

Status MeshInversionForward::model(std::span<const double> conductivity, const Feedback& progress,
                                   std::vector<double>& resistance)
{
    ComputeControl inner;
    inner.progress = progress.progress;
    inner.memoryLimitBytes = control_.memoryLimitBytes;
    return modelFieldsAndResistances(mesh_, setup_, conductivity, inner, 0, 100, "Forward model", source_, log_,
                                     system_, trialFields_, resistance);
}

void MeshInversionForward::jacobian(std::span<const double> conductivity, std::span<const std::size_t> rows,
                                    std::span<const double> resistance, const Feedback& progress, Jacobian& j)
{
    assembleJacobian(mesh_, conductivity, setup_.plan, fields_, stiffness_, rows, resistance, setup_.settings.threads,
                     j, progress);
}

}  // namespace vexora
