#include "engine/forward/ForwardModel.h"

#include "engine/forward/ForwardPass.h"
#include "core/import/GeometricFactor.h"

namespace vexora {

namespace {
constexpr const char* kSource = "RUNFORWARDMODEL";
}  // namespace

void storeCalculatedData(Survey& survey, CalculatedData data)
{
    survey.quadrupoles.calcResistance = std::move(data.resistance);
    survey.present.calcResistance = true;
    if (!data.ip.empty()) {
        survey.quadrupoles.calcIp = std::move(data.ip);
        survey.present.calcIp = true;
    }
}

Status resistanceAndChargeability(std::span<const double> conductivity, std::span<const double> eta, bool modelIp,
                                  double ipScale, const ComputeControl& control, MessageLog& log,
                                  const ResistancePass& pass, CalculatedData& calculated)
{
    const int split = modelIp ? 50 : 100;
    std::vector<double> resistance;
    if (pass(conductivity, false, 0, split, resistance) != Status::Ok) return Status::Error;
    std::vector<double> chargeability;
    if (modelIp) {
        // Seigel: the same survey over sigma (1 - eta).
        std::vector<double> charged(conductivity.size());
        for (std::size_t e = 0; e < charged.size(); ++e) charged[e] = conductivity[e] * (1 - eta[e]);
        std::vector<double> chargedResistance;
        if (pass(charged, true, split, 100, chargedResistance) != Status::Ok) return Status::Error;
        chargeability.assign(resistance.size(), kCannotCompute);
        for (std::size_t k = 0; k < resistance.size(); ++k)
            if (resistance[k] != kCannotCompute && chargedResistance[k] != kCannotCompute && chargedResistance[k] != 0)
                chargeability[k] = (chargedResistance[k] - resistance[k]) / chargedResistance[k] * ipScale;
    }
    calculated.resistance = std::move(resistance);
    calculated.ip = std::move(chargeability);
    control.report(100, "Forward model done");
    log.subWriteToTextBox(std::string("Forward model done.") + kLineBreak);
    return Status::Ok;
}

Status runForwardModel(const Mesh& mesh, const Models& models, const Survey& survey, const SettingsTable& settings,
                       MessageLog& log, const ComputeControl& control, CalculatedData& calculated)
{
    ForwardSetup setup;
    if (prepareForward(mesh, models, survey, settings, control, false, kSource, log, setup) != Status::Ok)
        return Status::Error;

    ForwardSystem system;
    return resistanceAndChargeability(
        models.conductivity, models.ip, setup.settings.modelIp, models.ipScale, control, log,
        [&](std::span<const double> conductivity, bool charged, int from, int to, std::vector<double>& resistance) {
            return modelResistances(mesh, setup, conductivity, control, from, to, charged ? "IP" : "Resistivity",
                                    kSource, log, system, resistance);
        },
        calculated);
}

}  // namespace vexora
