// The solver set-up forms: what Apply accepts, refuses and leaves written.

#include <gtest/gtest.h>

#include "core/jobs/SolverSetup.h"

namespace vexora {
namespace {

struct ApplyCase {
    Item item;
    const char* text;
    const char* written;  // nullptr: refused with `message`
    const char* message;
};

void expectApply(SetupOutcome (*apply)(SettingsTable&, const SetupForm&), const std::vector<Item>& items,
                 const std::vector<ApplyCase>& cases)
{
    for (const ApplyCase& c : cases) {
        SettingsTable settings = defaultSettingsTable();
        SetupForm form = readSetupForm(settings, items);
        const std::string before(settingText(settings, c.item));
        form[c.item] = c.text;
        const SetupOutcome outcome = apply(settings, form);
        if (c.written) {
            EXPECT_EQ(outcome.status, Status::Ok) << c.text << ": " << outcome.message;
            EXPECT_EQ(settingText(settings, c.item), c.written) << c.text;
        }
        else {
            EXPECT_EQ(outcome.status, Status::Error) << c.text;
            EXPECT_EQ(outcome.refused, c.item) << c.text;
            EXPECT_EQ(outcome.message, c.message) << c.text;
            EXPECT_EQ(settingText(settings, c.item), before) << c.text;
        }
    }
}

TEST(SolverSetup, ForwardApplyChecksEachValue)
{
    const char* omega = "Only positive <2 values allowed for Omega!";
    expectApply(applyForwardSetup, forwardSetupItems(),
                {
                    {Item::SsorOmega, "0", "0", nullptr},
                    {Item::SsorOmega, "2", "2", nullptr},
                    {Item::SsorOmega, "1.25", "1.25", nullptr},
                    {Item::SsorOmega, "abc", "0", nullptr},
                    {Item::SsorOmega, "2.0001", nullptr, omega},
                    {Item::SsorOmega, "-0.1", nullptr, omega},
                    {Item::SsorOmega, "1e400", nullptr, omega},
                    {Item::ForwardTolerance, "1e-9", "1e-09", nullptr},
                    {Item::ForwardTolerance, "0", nullptr, "Only positive values allowed for Tolerance!"},
                    {Item::ForwardTolerance, "abc", nullptr, "Only positive values allowed for Tolerance!"},
                    {Item::ForwardMaxIterations, "250", "250", nullptr},
                    {Item::ForwardMaxIterations, "0",
                     nullptr, "Only positive values allowed for Maximum number of iterations!"},
                    {Item::SkipTxWithoutRx, "1", "1", nullptr},
                    {Item::BoundaryConditions, "0 1 2 2 0", "0 1 2 2 0", nullptr},
                });
}

TEST(SolverSetup, InverseApplyChecksEachValue)
{
    expectApply(
        applyInverseSetup, inverseSetupItems(),
        {
            {Item::MaxIterationsRho, "0", "0", nullptr},
            {Item::MaxIterationsIp, "-1", nullptr,
             "Only positive values allowed for Maximum number of IP Inversion iterations!"},
            {Item::MaxPcgRho, "0", nullptr, "Only positive values allowed for Rho Maximum internal Inverse PCG iterations!"},
            {Item::MaxPcgIp, "abc", nullptr, "Only positive values allowed for IP Maximum internal Inverse PCG iterations!"},
            {Item::MaxPcgIp, "20", "20", nullptr},
            {Item::PcgToleranceIp, "0", nullptr, "Only positive values allowed for Tolerance for Inverse IP PCG iterations!"},
            {Item::InitialRoughRho, "0", nullptr, "Only positive values allowed for Initial Rho Roughness Factor!"},
            {Item::RoughMultiplierIp, "-3", nullptr,
             "Only positive values allowed for Multiplier for changing IP Roughness Factor!"},
            {Item::OptimalRoughFactorRho, "1", nullptr,
             "Only positive <1 values allowed for Factor for choosing optimal Rho Roughness Factor!"},
            {Item::OptimalRoughFactorIp, "0", nullptr,
             "Only positive <1 values allowed for Factor for choosing optimal IP Roughness Factor!"},
            {Item::OptimalRoughFactorIp, "0.999", "0.999", nullptr},
            {Item::YRoughWeight, "abc", nullptr, "Only positive values allowed for Roughness Y Weights!"},
            {Item::ZRoughWeight, "0.5", "0.5", nullptr},
            {Item::ResNoisePercent, "0", nullptr, "Only positive values allowed for Rho Data percent error!"},
            {Item::IpNoiseConstant, "0", nullptr, "Only positive values allowed for IP Data constant error term!"},
            {Item::UseRobustInversion, "2", "2", nullptr},
            {Item::ReweightIterationsIp, "0", nullptr,
             "Only positive values allowed for IP Number of reweight iterations!"},
        });
}

TEST(SolverSetup, AFailingValueKeepsTheItemsWrittenBeforeIt)
{
    SettingsTable settings = defaultSettingsTable();
    SetupForm form = readSetupForm(settings, inverseSetupItems());
    // 75 to 86 all get new values; the X weight (87) fails.
    int value = 2;
    for (Item item : {Item::MaxIterationsRho, Item::MaxIterationsIp, Item::MaxPcgRho, Item::MaxPcgIp,
                      Item::PcgToleranceRho, Item::PcgToleranceIp, Item::RoughMultiplierRho, Item::RoughMultiplierIp,
                      Item::InitialRoughRho, Item::InitialRoughIp})
        form[item] = std::to_string(value++);
    form[Item::OptimalRoughFactorRho] = "0.5";
    form[Item::OptimalRoughFactorIp] = "0.25";
    form[Item::XRoughWeight] = "0";
    form[Item::YRoughWeight] = "7";
    form[Item::ResNoisePercent] = "9";
    const SetupOutcome outcome = applyInverseSetup(settings, form);
    EXPECT_EQ(outcome.message, "Only positive values allowed for Roughness X Weights!");
    value = 2;
    for (Item item : {Item::MaxIterationsRho, Item::MaxIterationsIp, Item::MaxPcgRho, Item::MaxPcgIp,
                      Item::PcgToleranceRho, Item::PcgToleranceIp, Item::RoughMultiplierRho, Item::RoughMultiplierIp,
                      Item::InitialRoughRho, Item::InitialRoughIp})
        EXPECT_EQ(settingText(settings, item), std::to_string(value++)) << static_cast<int>(item);
    EXPECT_EQ(settingText(settings, Item::OptimalRoughFactorRho), "0.5");
    EXPECT_EQ(settingText(settings, Item::OptimalRoughFactorIp), "0.25");
    const SettingsTable defaults = defaultSettingsTable();
    for (Item item : {Item::XRoughWeight, Item::YRoughWeight, Item::ResNoisePercent})
        EXPECT_EQ(settingText(settings, item), settingText(defaults, item)) << static_cast<int>(item);
}

TEST(SolverSetup, TheForwardApplyStopsAtTheFirstRefusal)
{
    SettingsTable settings = defaultSettingsTable();
    SetupForm form = readSetupForm(settings, forwardSetupItems());
    form[Item::SsorOmega] = "1.2";
    form[Item::ForwardTolerance] = "-1";
    form[Item::ForwardMaxIterations] = "50";
    form[Item::BoundaryConditions] = "0 0 0 0 0";
    EXPECT_EQ(applyForwardSetup(settings, form).status, Status::Error);
    EXPECT_EQ(settingText(settings, Item::SsorOmega), "1.2");
    EXPECT_EQ(settingText(settings, Item::ForwardMaxIterations), " 400 ");
    EXPECT_EQ(settingText(settings, Item::BoundaryConditions), " 1 1 1 1 1 ");
}

TEST(SolverSetup, EdgesAndTheVirtualSource)
{
    const struct {
        const char* text;
        EdgeConditions edges;
        bool virtualSource;
    } cases[] = {
        {" 1 1 1 1 1 ", {1, 1, 1, 1, 1}, true},
        {"0 0 2 2 0", {0, 0, 2, 2, 0}, false},
        {"2 2 2 2 1", {2, 2, 2, 2, 1}, true},
        {"0 7 0", {0, 1, 0, 1, 1}, true},  // unknown or missing: Mixed, the default
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readEdgeConditions(c.text), c.edges) << c.text;
        EXPECT_EQ(virtualSourceEnabled(c.edges), c.virtualSource) << c.text;
    }
    EXPECT_EQ(edgeConditionsText({0, 1, 2, 1, 0}), "0 1 2 1 0");
}

}  // namespace
}  // namespace vexora
