#include "engine/inversion/InversionSettings.h"

#include <string>

#include "core/settings/ParseLine.h"

namespace vexora {

namespace {

constexpr const char* kSource = "RUNINVERSION";

Status readControls(const SettingsTable& table, bool rho, InversionControls& c, MessageLog& log)
{
    auto pick = [rho](Item r, Item i) { return rho ? r : i; };
    c.maxIterations = settingInteger(table, pick(Item::MaxIterationsRho, Item::MaxIterationsIp));
    c.update.maxIterations = settingInteger(table, pick(Item::MaxPcgRho, Item::MaxPcgIp));
    c.update.tolerance = settingNumber(table, pick(Item::PcgToleranceRho, Item::PcgToleranceIp));
    c.optimalFactor = settingNumber(table, pick(Item::OptimalRoughFactorRho, Item::OptimalRoughFactorIp));
    c.multiplier = settingNumber(table, pick(Item::RoughMultiplierRho, Item::RoughMultiplierIp));
    c.initialRoughness = settingNumber(table, pick(Item::InitialRoughRho, Item::InitialRoughIp));
    c.errors = settingsErrorModel(table, rho);
    c.reweightIterations = settingInteger(table, pick(Item::ReweightIterationsRho, Item::ReweightIterationsIp));
    const char* which = rho ? "Rho" : "IP";
    auto refuse = [&](const std::string& what) { return log.error(kSource, what + " (" + which + ")."); };
    if (c.maxIterations < 1) return refuse("The maximum number of inversion iterations must be at least 1");
    if (c.update.maxIterations < 1) return refuse("The maximum number of inverse PCG iterations must be at least 1");
    if (!(c.update.tolerance > 0 && c.update.tolerance < 1))
        return refuse("The inverse PCG tolerance must lie between 0 and 1");
    if (!(c.optimalFactor > 0 && c.optimalFactor < 1))
        return refuse("The factor for choosing the optimal roughness factor must lie between 0 and 1");
    if (!(c.multiplier > 1)) return refuse("The multiplier for changing the roughness factor must be above 1");
    if (!(c.initialRoughness > 0)) return refuse("The initial roughness factor must be positive");
    if (!(c.errors.percent >= 0 && c.errors.constant >= 0 && c.errors.percent + c.errors.constant > 0))
        return refuse("The data errors (percent and constant term) must not be negative, nor both 0");
    if (!(c.errors.potentialPercent >= 0)) return refuse("The potential error term must not be negative");
    if (c.reweightIterations < 0) c.reweightIterations = 0;
    return Status::Ok;
}

}  // namespace

Status readInversionSettings(const SettingsTable& table, InversionSettings& s, MessageLog& log)
{
    classParseLine tokenizer;
    const std::vector<double> trials = dDataFill(tokenizer, settingText(table, Item::RoughnessTrials));
    s.roughnessTrials = trials.empty() ? 0 : static_cast<int>(trials[0]);
    if (s.roughnessTrials < 1 || s.roughnessTrials > 20)
        return log.error(kSource, "The number of roughness trials must lie between 1 and 20.");
    s.linearisedTrials = trials.size() < 2 || trials[1] == 1;
    s.regularisation.weights = {settingNumber(table, Item::XRoughWeight), settingNumber(table, Item::YRoughWeight),
                                settingNumber(table, Item::ZRoughWeight)};
    const RoughnessWeights& w = s.regularisation.weights;
    if (!(w.x >= 0 && w.y >= 0 && w.z >= 0 && w.x + w.y + w.z > 0))
        return log.error(kSource, "The roughness weights (X, Y, Z) must not be negative, nor all 0.");
    s.regularisation.constrainModelRoughness = settingInteger(table, Item::SmoothnessConstraint) != 2;
    s.regularisation.referenceWeight = settingInteger(table, Item::ConstrainToReference) == 1 ? kReferenceWeight : 0;
    s.robust = settingInteger(table, Item::UseRobustInversion) == 1;
    s.startFromData = settingInteger(table, Item::StartFromData) != 2;
    s.leaveOutOfRangeIp = settingInteger(table, Item::LeaveOutOfRangeIp) != 2;
    s.highestApparentIp = settingNumber(table, Item::HighestApparentIp);
    if (!(s.highestApparentIp > 0)) return log.error(kSource, "The highest apparent IP inverted must be positive.");
    s.leastIpVoltage = settingInteger(table, Item::CurrentColumn) > 0 ? settingNumber(table, Item::LeastIpVoltage) : 0;
    if (!(s.leastIpVoltage >= 0))
        return log.error(kSource, "The least primary voltage of IP data must be 0 or positive.");
    s.saveIterations = settingInteger(table, Item::SaveIterations) == 1;
    s.saveFullMeshIterations = settingInteger(table, Item::SaveFullMesh) == 1;
    if (readControls(table, true, s.rho, log) != Status::Ok) return Status::Error;
    return readControls(table, false, s.ip, log);
}

bool depthOfInvestigationAsked(const SettingsTable& table)
{
    return settingInteger(table, Item::DoiIndex) == 1;
}

}  // namespace vexora
