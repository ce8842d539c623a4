#include "engine/inversion/SensitivityJob.h"

#include <algorithm>
#include <cmath>

#include "core/import/GeometricFactor.h"
#include "engine/inversion/Sensitivity.h"

namespace vexora {

namespace {
constexpr const char* kSource = "GENERATESENSITIVITY";
// Rows of J assembled at a time for the cumulative sensitivity: J itself
// is never held whole.
constexpr std::size_t kRowChunk = 64;
}  // namespace

Status generateSensitivity(const Mesh& mesh, const Models& models, const Survey& survey, const SettingsTable& settings,
                           const SensitivityRequest& request, MessageLog& log, const ComputeControl& control,
                           std::vector<double>& sensitivity, CalculatedData& calculated, Jacobian* whole)
{
    ForwardSetup setup;
    if (prepareForward(mesh, models, survey, settings, control, true, kSource, log, setup) != Status::Ok)
        return Status::Error;
    const QuadrupolePlan& plan = setup.plan;
    const QuadrupoleTable& table = survey.quadrupoles;

    std::vector<std::size_t> rows;
    for (std::size_t k = 0; k < table.size(); ++k)
        if (plan.computed[k] && (request.quadrupoleId == 0 || table.rows[k].id == request.quadrupoleId))
            rows.push_back(k);
    if (rows.empty())
        return log.error(kSource, request.quadrupoleId == 0
                                      ? std::string("No quadrupole to compute.")
                                      : "Quadrupole " + std::to_string(request.quadrupoleId) +
                                            " is not in the data set (or is skipped).");

    ForwardSystem system;
    ElectrodeFields fields;
    std::vector<double> resistance;
    if (modelFieldsAndResistances(mesh, setup, models.conductivity, control, 0, 80, "Pole fields", kSource, log,
                                  system, fields, resistance) != Status::Ok)
        return Status::Error;
    std::erase_if(rows, [&](std::size_t k) { return resistance[k] == kCannotCompute || resistance[k] == 0; });
    if (rows.empty()) return log.error(kSource, "The requested quadrupoles have no computable V/I.");

    control.report(80, "Sensitivities");
    const std::vector<float> stiffness = blockStiffnesses(mesh);
    const std::size_t blocks = static_cast<std::size_t>(blockCount(mesh));
    std::vector<double> values(blocks, 0.0);
    Jacobian own;
    Jacobian& j = whole && request.quadrupoleId == 0 ? *whole : own;
    if (request.quadrupoleId != 0) {
        assembleJacobian(mesh, models.conductivity, plan, fields, stiffness,
                         std::span<const std::size_t>(rows.data(), 1), resistance, setup.settings.threads, j,
                         control.part(80, 100, "Sensitivities"));
        for (std::size_t b = 0; b < blocks; ++b) values[b] = -static_cast<double>(j.row(0)[b]);
    } else {
        const std::size_t chunk = &j == whole ? rows.size() : kRowChunk;
        for (std::size_t first = 0; first < rows.size(); first += chunk) {
            const std::size_t count = std::min(chunk, rows.size() - first);
            assembleJacobian(mesh, models.conductivity, plan, fields, stiffness,
                             std::span<const std::size_t>(rows.data() + first, count), resistance,
                             setup.settings.threads, j,
                             control.part(80 + static_cast<int>(20 * first / rows.size()),
                                          80 + static_cast<int>(20 * (first + count) / rows.size()), "Sensitivities"));
            for (std::size_t r = 0; r < count; ++r)
                for (std::size_t b = 0; b < blocks; ++b) values[b] += std::abs(static_cast<double>(j.row(r)[b]));
        }
        const std::vector<double> volume = blockVolumes(mesh);
        for (std::size_t b = 0; b < blocks; ++b) values[b] /= volume[b] > 0 ? volume[b] : 1.0;
    }
    if (!request.absolute) {
        double largest = 0;
        for (double v : values) largest = std::max(largest, std::abs(v));
        if (largest > 0)
            for (double& v : values) v /= largest;
    }
    for (double v : values)
        if (!std::isfinite(v)) return log.error(kSource, "The sensitivities are not finite; nothing is written.");

    sensitivity = std::move(values);
    calculated.resistance = std::move(resistance);
    calculated.ip.clear();
    control.report(100, "Sensitivities done");
    log.subWriteToTextBox((request.quadrupoleId == 0
                               ? "Cumulative sensitivity of " + std::to_string(rows.size()) + " quadrupoles computed."
                               : "Sensitivity of quadrupole " + std::to_string(request.quadrupoleId) + " computed.") +
                          kLineBreak);
    return Status::Ok;
}

}  // namespace vexora
