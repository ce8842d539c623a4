#include "engine/inversion/LineInversionForward.h"

#include "engine/forward2d/LineSensitivity.h"

namespace vexora {

Status LineInversionForward::prepare()
{
    return prepareLineForward(line_, start_, survey_, table_, true, source_, log_, setup_);
}

Status LineInversionForward::model(std::span<const double> conductivity, int, std::vector<double>& resistance)
{
    // The abort request is honoured between iterations, not inside a model.
    return lineResistances(grid_, setup_, conductivity, ComputeControl{}, 0, 0, source_, log_, resistance);
}

Status LineInversionForward::jacobian(std::span<const double> conductivity, std::span<const std::size_t> rows,
                                      std::span<const double> resistance, Jacobian& j)
{
    // The line model is cheap to solve again: nothing of it is kept between
    // the accepted model and its sensitivities.
    std::vector<double> again;
    LineJacobian dv;
    if (lineSensitivities(grid_, setup_, conductivity, ComputeControl{}, source_, log_, again, dv) != Status::Ok)
        return Status::Error;
    j.rows = rows.size();
    j.cols = dv.cells;
    j.values.resize(j.rows * j.cols);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const double* d = dv.row(rows[i]);
        const double v = resistance[rows[i]];
        std::span<float> out = j.row(i);
        for (std::size_t c = 0; c < j.cols; ++c) out[c] = static_cast<float>(conductivity[c] * d[c] / v);
    }
    return Status::Ok;
}

}  // namespace vexora
