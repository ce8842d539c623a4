#include "engine/forward/ForwardModel.h"

#include "engine/forward/ForwardPass.h"
#include "core/import/GeometricFactor.h"

namespace vexora {

namespace {
constexpr const char* kSource = "RUNFORWARDMODEL";
}  // namespace

int runForwardModel(ProjectStore& store, MessageLog& log, const ComputeControl& control)
{
    ForwardSetup setup;
    if (prepareForward(store, control, false, kSource, log, setup) != kStatusOk) return kStatusError;

    ForwardSystem system;
    std::vector<double> resistance;
    const bool modelIp = setup.settings.modelIp;
    const int split = modelIp ? 50 : 100;
    if (modelResistances(store.mesh, setup, store.models.conductivity, control, 0, split, "Resistivity", kSource, log,
                         system, resistance) != kStatusOk)
        return kStatusError;

    std::vector<double> chargeability;
    if (modelIp) {
        // Seigel: the same survey over sigma (1 - eta).
        std::vector<double> charged(store.models.conductivity.size());
        for (std::size_t e = 0; e < charged.size(); ++e)
            charged[e] = store.models.conductivity[e] * (1 - store.models.ip[e]);
        std::vector<double> chargedResistance;
        if (modelResistances(store.mesh, setup, charged, control, split, 100, "IP", kSource, log, system,
                             chargedResistance) != kStatusOk)
            return kStatusError;
        chargeability.assign(resistance.size(), kCannotCompute);
        for (std::size_t k = 0; k < resistance.size(); ++k)
            if (resistance[k] != kCannotCompute && chargedResistance[k] != kCannotCompute && chargedResistance[k] != 0)
                chargeability[k] = (chargedResistance[k] - resistance[k]) / chargedResistance[k] * store.models.ipScale;
    }

    Survey& survey = store.survey;
    survey.quadrupoles.calcResistance = std::move(resistance);
    survey.present.calcResistance = true;
    if (modelIp) {
        survey.quadrupoles.calcIp = std::move(chargeability);
        survey.present.calcIp = true;
    }
    control.report(100, "Forward model done");
    log.subWriteToTextBox(std::string("Forward model done.") + kLineBreak);
    return kStatusOk;
}

}  // namespace vexora
