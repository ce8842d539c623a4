#pragma once
// The inversion's settings, read once from the settings table: for the
// resistivity and for the IP inversion each.

#include "engine/inversion/DataMisfit.h"
#include "engine/inversion/GaussNewtonStep.h"
#include "core/log/MessageLog.h"
#include "core/settings/SettingsTable.h"

namespace vexora {

struct InversionControls {
    int maxIterations = 15;
    UpdateLimits update;           // PCG iterations and tolerance of each model update
    double optimalFactor = 0.9;    // a trial must lower chi^2 to this fraction of the current one
    double multiplier = 10;        // between roughness trials
    double initialRoughness = 10;  // lambda of the first iteration
    ErrorModel errors;
    int reweightIterations = 3;    // iterations whose data weights follow the residuals (robust)
};

struct InversionSettings {
    int roughnessTrials = 4;
    bool linearisedTrials = true;  // "simple inversion": trials judged on J dm, one forward per iteration
    Regularisation regularisation;
    bool robust = true;
    InversionControls rho, ip;
    bool startFromData = true;     // the data's median apparent values start a uniform model
    bool leaveOutOfRangeIp = true; // IP data below 0 or above the highest are not inverted
    double highestApparentIp = 1000; // in the IP unit; never above 1 as a fraction
    // IP measured on a primary voltage below this (mV) is not inverted; 0
    // when the file has no currents, from which the voltage would follow.
    double leastIpVoltage = 5;
    bool saveIterations = true;
    bool saveFullMeshIterations = false;
};

// Weight of the reference-model term relative to the roughness factor,
// when "Constrain to reference model" is on.
inline constexpr double kReferenceWeight = 0.01;

// Returns Ok, or Error with the item logged when a value is out of range.
Status readInversionSettings(const SettingsTable& table, InversionSettings& settings, MessageLog& log);

// Two more inversions for the depth-of-investigation index (#doi_index 1).
bool depthOfInvestigationAsked(const SettingsTable& table);

}  // namespace vexora
