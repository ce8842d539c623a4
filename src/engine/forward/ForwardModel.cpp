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

Status runForwardModel(const Mesh& mesh, const Models& models, const Survey& survey, const SettingsTable& settings,
                       MessageLog& log, const ComputeControl& control, CalculatedData& calculated)
{
    ForwardSetup setup;
    if (prepareForward(mesh, models, survey, settings, control, false, kSource, log, setup) != Status::Ok)
        return Status::Error;

    ForwardSystem system;
    std::vector<double> resistance;
    const bool modelIp = setup.settings.modelIp;
    const int split = modelIp ? 50 : 100;
    if (modelResistances(mesh, setup, models.conductivity, control, 0, split, "Resistivity", kSource, log, system,
                         resistance) != Status::Ok)
        return Status::Error;

    std::vector<double> chargeability;
    if (modelIp) {
        // Seigel: the same survey over sigma (1 - eta).
        std::vector<double> charged(models.conductivity.size());
        for (std::size_t e = 0; e < charged.size(); ++e) charged[e] = models.conductivity[e] * (1 - models.ip[e]);
        std::vector<double> chargedResistance;
        if (modelResistances(mesh, setup, charged, control, split, 100, "IP", kSource, log, system,
                             chargedResistance) != Status::Ok)
            return Status::Error;
        chargeability.assign(resistance.size(), kCannotCompute);
        for (std::size_t k = 0; k < resistance.size(); ++k)
            if (resistance[k] != kCannotCompute && chargedResistance[k] != kCannotCompute && chargedResistance[k] != 0)
                chargeability[k] = (chargedResistance[k] - resistance[k]) / chargedResistance[k] * models.ipScale;
    }

    calculated.resistance = std::move(resistance);
    calculated.ip = std::move(chargeability);
    control.report(100, "Forward model done");
    log.subWriteToTextBox(std::string("Forward model done.") + kLineBreak);
    return Status::Ok;
}

}  // namespace vexora
