#include "core/jobs/SolverSetup.h"

#include <cmath>

#include "core/io/Blanks.h"
#include "core/settings/LenientNumber.h"
#include "core/settings/NumberText.h"
#include "core/settings/ParseLine.h"

namespace vexora {

namespace {

enum class Rule {
    Text,         // written as given: check boxes and edges
    AtLeastZero,  // value >= 0
    Positive,     // value > 0
    BelowOne,     // 0 < value < 1
    Omega,        // 0 <= value <= 2
};

struct Step {
    Item item;
    Rule rule;
    bool integer;
    std::string_view message;
};

bool accepted(Rule rule, double value)
{
    if (!std::isfinite(value)) return false;
    switch (rule) {
    case Rule::Text: return true;
    case Rule::AtLeastZero: return value >= 0;
    case Rule::Positive: return value > 0;
    case Rule::BelowOne: return value > 0 && value < 1;
    case Rule::Omega: return value >= 0 && value <= 2;
    }
    return false;
}

SetupOutcome applySteps(SettingsTable& settings, const SetupForm& form, const std::vector<Step>& steps)
{
    for (const Step& step : steps) {
        const auto found = form.find(step.item);
        const std::string text = found == form.end() ? std::string() : found->second;
        if (step.rule == Rule::Text) {
            (void)setSettingText(settings, step.item, text);  // every item of the forms is in the table
            continue;
        }
        double value = lenientNumber(text);
        if (step.integer && std::isfinite(value)) value = roundHalfEven(value);
        if (!accepted(step.rule, value)) return {Status::Error, step.item, std::string(step.message)};
        (void)setSettingText(settings, step.item, formatNumber(value));
    }
    return {};
}

const std::vector<Step>& forwardSteps()
{
    static const std::vector<Step> steps = {
        {Item::SsorOmega, Rule::Omega, false, "Only positive <2 values allowed for Omega!"},
        {Item::ForwardTolerance, Rule::Positive, false, "Only positive values allowed for Tolerance!"},
        {Item::ForwardMaxIterations, Rule::Positive, true,
         "Only positive values allowed for Maximum number of iterations!"},
        {Item::SkipTxWithoutRx, Rule::Text, false, ""},
        {Item::BoundaryConditions, Rule::Text, false, ""},
    };
    return steps;
}

const std::vector<Step>& inverseSteps()
{
    static const std::vector<Step> steps = {
        {Item::MaxIterationsRho, Rule::AtLeastZero, true,
         "Only positive values allowed for Maximum number of Rho Inversion iterations!"},
        {Item::MaxIterationsIp, Rule::AtLeastZero, true,
         "Only positive values allowed for Maximum number of IP Inversion iterations!"},
        {Item::MaxPcgRho, Rule::Positive, true,
         "Only positive values allowed for Rho Maximum internal Inverse PCG iterations!"},
        {Item::MaxPcgIp, Rule::Positive, true,
         "Only positive values allowed for IP Maximum internal Inverse PCG iterations!"},
        {Item::PcgToleranceRho, Rule::Positive, false,
         "Only positive values allowed for Tolerance for Inverse Rho PCG iterations!"},
        {Item::PcgToleranceIp, Rule::Positive, false,
         "Only positive values allowed for Tolerance for Inverse IP PCG iterations!"},
        {Item::InitialRoughRho, Rule::Positive, false, "Only positive values allowed for Initial Rho Roughness Factor!"},
        {Item::InitialRoughIp, Rule::Positive, false, "Only positive values allowed for Initial IP Roughness Factor!"},
        {Item::RoughMultiplierRho, Rule::Positive, false,
         "Only positive values allowed for Multiplier for changing Rho Roughness Factor!"},
        {Item::RoughMultiplierIp, Rule::Positive, false,
         "Only positive values allowed for Multiplier for changing IP Roughness Factor!"},
        {Item::OptimalRoughFactorRho, Rule::BelowOne, false,
         "Only positive <1 values allowed for Factor for choosing optimal Rho Roughness Factor!"},
        {Item::OptimalRoughFactorIp, Rule::BelowOne, false,
         "Only positive <1 values allowed for Factor for choosing optimal IP Roughness Factor!"},
        {Item::XRoughWeight, Rule::Positive, false, "Only positive values allowed for Roughness X Weights!"},
        {Item::YRoughWeight, Rule::Positive, false, "Only positive values allowed for Roughness Y Weights!"},
        {Item::ZRoughWeight, Rule::Positive, false, "Only positive values allowed for Roughness Z Weights!"},
        {Item::ResNoisePercent, Rule::Positive, false, "Only positive values allowed for Rho Data percent error!"},
        {Item::IpNoisePercent, Rule::Positive, false, "Only positive values allowed for IP Data percent error!"},
        {Item::ResNoiseConstant, Rule::Positive, false,
         "Only positive values allowed for Rho Data constant error term!"},
        {Item::IpNoiseConstant, Rule::Positive, false, "Only positive values allowed for IP Data constant error term!"},
        {Item::UseRobustInversion, Rule::Text, false, ""},
        {Item::ReweightIterationsRho, Rule::Positive, true,
         "Only positive values allowed for Rho Number of reweight iterations!"},
        {Item::ReweightIterationsIp, Rule::Positive, true,
         "Only positive values allowed for IP Number of reweight iterations!"},
    };
    return steps;
}

std::vector<Item> itemsOf(const std::vector<Step>& steps)
{
    std::vector<Item> items;
    for (const Step& step : steps) items.push_back(step.item);
    return items;
}

}  // namespace

EdgeConditions readEdgeConditions(std::string_view itemText)
{
    classParseLine tokenizer;
    const std::vector<double> values = dDataFill(tokenizer, itemText);
    EdgeConditions edges{1, 1, 1, 1, 1};
    for (std::size_t i = 0; i < edges.size() && i < values.size(); ++i) {
        const int value = roundHalfEven(values[i]);
        if (value >= 0 && value <= 2) edges[i] = value;
    }
    return edges;
}

std::string edgeConditionsText(const EdgeConditions& edges)
{
    std::string text;
    for (int edge : edges) text += (text.empty() ? "" : " ") + std::to_string(edge);
    return text;
}

bool virtualSourceEnabled(const EdgeConditions& edges)
{
    for (int edge : edges)
        if (edge == 1) return true;
    return false;
}

const std::vector<Item>& forwardSetupItems()
{
    static const std::vector<Item> items = itemsOf(forwardSteps());
    return items;
}

const std::vector<Item>& inverseSetupItems()
{
    static const std::vector<Item> items = itemsOf(inverseSteps());
    return items;
}

SetupForm readSetupForm(const SettingsTable& settings, const std::vector<Item>& items)
{
    SetupForm form;
    for (Item item : items) form[item] = std::string(trimBlanks(settingText(settings, item)));
    return form;
}

SetupOutcome applyForwardSetup(SettingsTable& settings, const SetupForm& form)
{
    return applySteps(settings, form, forwardSteps());
}

SetupOutcome applyInverseSetup(SettingsTable& settings, const SetupForm& form)
{
    return applySteps(settings, form, inverseSteps());
}

}  // namespace vexora
