#include "engine/inversion/MeshInversionForward.h"

namespace vexora {

Status MeshInversionForward::prepare()
{
    if (prepareForward(mesh_, start_, survey_, table_, control_, true, source_, log_, setup_) != Status::Ok)
        return Status::Error;
    stiffness_ = blockStiffnesses(mesh_);
    return Status::Ok;
}

Status MeshInversionForward::model(std::span<const double> conductivity, int percent, std::vector<double>& resistance)
{
    // The abort request is honoured between iterations, not inside a model.
    ComputeControl inner;
    inner.memoryLimitBytes = control_.memoryLimitBytes;
    return modelFieldsAndResistances(mesh_, setup_, conductivity, inner, percent, percent, "Forward model", source_,
                                     log_, system_, trialFields_, resistance);
}

void MeshInversionForward::jacobian(std::span<const double> conductivity, std::span<const std::size_t> rows,
                                    std::span<const double> resistance, Jacobian& j)
{
    assembleJacobian(mesh_, conductivity, setup_.plan, fields_, stiffness_, rows, resistance, setup_.settings.threads,
                     j);
}

}  // namespace vexora
