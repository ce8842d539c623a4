#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

#include "ForwardTestSupport.h"
#include "engine/inversion/Inversion.h"

namespace vexora {
namespace {

using namespace vexora::testing;

// A 10 ohm m block from x0 to x1, 0.5 to 1.5 m deep, in 100 ohm m under a
// line of `count` electrodes 1 m apart; the data are its 2.5D model with 3 %
// noise, and the model is back at 100 ohm m.
ProjectStore conductorUnderLine(int count, double x0, double x1)
{
    ProjectStore store = lineSurvey(count, 1.0, dipoleDipole(count));
    setSettingText(store.settings, Item::ResNoisePercent, "3");
    setSettingText(store.settings, Item::ResNoiseConstant, "0");
    setSettingText(store.settings, Item::CpuThreads, "2");
    setSettingText(store.settings, Item::SaveIterations, "2");
    MessageLog log;
    EXPECT_EQ(buildMesh(store, log), Status::Ok) << log.plainText();
    const std::vector<double> start = store.models.conductivity;
    for (std::size_t b = 0; b < start.size(); ++b) {
        const NodePoint c = blockCentre(store.mesh, b);
        if (c.x > x0 && c.x < x1 && c.z < -0.5 && c.z > -1.5) store.models.conductivity[b] = 0.1;
    }
    EXPECT_EQ(runJobForwardModel(store, log, {}, ForwardDimension::Two), Status::Ok) << log.plainText();
    std::mt19937 rng(11);
    std::normal_distribution<double> noise(0.0, 0.03);
    auto& q = store.survey.quadrupoles;
    for (std::size_t k = 0; k < q.size(); ++k) q.resistance[k] = q.calcResistance[k] * (1 + noise(rng));
    q.calcResistance.clear();
    store.survey.present.calcResistance = false;
    store.models.conductivity = start;
    return store;
}

InversionResult invert(const ProjectStore& store, ForwardDimension dimension, MessageLog& log)
{
    InversionResult result;
    EXPECT_EQ(runInversion(store.mesh, store.models, store.survey, store.settings, log, {}, {}, result, dimension),
              InversionStatus::Ok)
        << log.plainText();
    return result;
}

// Mean of `values` over the blocks beside the line (|y| < 0.5) where `inside` holds.
template <class Inside>
double meanUnderLine(const Mesh& mesh, const std::vector<double>& values, Inside inside)
{
    double sum = 0;
    int count = 0;
    for (std::size_t b = 0; b < values.size(); ++b) {
        const NodePoint c = blockCentre(mesh, b);
        if (std::abs(c.y) >= 0.5 || !inside(c)) continue;
        sum += values[b];
        ++count;
    }
    EXPECT_GT(count, 0);
    return sum / count;
}

// Mean resistivity of the blocks beside the line where `inside` holds.
template <class Inside>
double meanResistivityUnderLine(const Mesh& mesh, const std::vector<double>& conductivity, Inside inside)
{
    std::vector<double> rho(conductivity.size());
    for (std::size_t b = 0; b < rho.size(); ++b) rho[b] = 1 / conductivity[b];
    return meanUnderLine(mesh, rho, inside);
}

TEST(LineInversion, RecoversAConductiveBlockUnderTheLine)
{
    const ProjectStore store = conductorUnderLine(24, 9.0, 14.0);
    MessageLog log;
    const InversionResult result = invert(store, ForwardDimension::Two, log);
    const std::vector<double>& sigma = result.model.conductivity;
    ASSERT_EQ(sigma.size(), store.models.conductivity.size());
    const double block = meanResistivityUnderLine(store.mesh, sigma, [](const NodePoint& c) {
        return c.x > 9.5 && c.x < 13.5 && c.z < -0.6 && c.z > -1.4;
    });
    const double background = meanResistivityUnderLine(store.mesh, sigma, [](const NodePoint& c) {
        return c.x > 1 && c.x < 22 && c.z > -2.5 && (c.x < 6 || c.x > 17 || c.z > -0.25);
    });
    std::printf("2D: block %.1f ohm m, background %.1f ohm m, chi2 %.2f\n", block, background,
                result.outcome.unweightedChiSquared);
    EXPECT_LT(block, 70.0);
    EXPECT_NEAR(background, 100.0, 20.0);
    EXPECT_LT(result.outcome.unweightedChiSquared, 1.5);
    // The ground is the same across the line: so is every row of blocks along it.
    const std::size_t row = static_cast<std::size_t>(store.mesh.nx - 1);
    const std::size_t layer = row * static_cast<std::size_t>(store.mesh.ny - 1);
    for (std::size_t b = 0; b + row < sigma.size(); ++b) {
        if (b % layer + row < layer) {
            ASSERT_EQ(sigma[b], sigma[b + row]) << b;
        }
    }
    EXPECT_EQ(result.calculated.resistance.size(), store.survey.quadrupoles.size());
    const std::string text = log.plainText();
    for (const char* line : {"2D inversion of the section under the line: ", "Iteration 1: roughness",
                             "Final misfit: unweighted RMS "})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
}

// Each trial modelled on the line: the full step takes the chosen trial's
// solve (three models an iteration for three trials), and the result's V/I
// are the 2.5D model's of the result.
TEST(LineInversion, TheChosenModelledTrialIsNotSolvedAgain)
{
    ProjectStore store = conductorUnderLine(24, 9.0, 14.0);
    setSettingText(store.settings, Item::RoughnessTrials, "3 2");
    MessageLog log;
    const InversionResult result = invert(store, ForwardDimension::Two, log);
    ASSERT_GE(result.outcome.iterations, 1);
    const std::string text = log.plainText();
    for (int at = 1; at <= result.outcome.iterations; ++at) {
        const std::size_t line = text.find("Iteration " + std::to_string(at) + ": roughness");
        ASSERT_NE(line, std::string::npos) << text;
        EXPECT_NE(text.substr(line, text.find('\n', line) - line).find("for 3 models,"), std::string::npos) << text;
    }
    store.models = result.model;
    ASSERT_EQ(runJobForwardModel(store, log, {}, ForwardDimension::Two), Status::Ok) << log.plainText();
    // The section read back from the blocks differs by about 1e-5 from the
    // inverted one; another trial's V/I differ by about a percent.
    const std::vector<double>& fresh = store.survey.quadrupoles.calcResistance;
    ASSERT_EQ(fresh.size(), result.calculated.resistance.size());
    for (std::size_t k = 0; k < fresh.size(); ++k)
        ASSERT_NEAR(result.calculated.resistance[k], fresh[k], 1e-3 * std::abs(fresh[k])) << k;
}

// chi^2 of the measured data (3 % errors) against `model` under the forward
// model of `dimension`.
double chiSquaredOf(ProjectStore store, const std::vector<double>& model, ForwardDimension dimension)
{
    store.models.conductivity = model;
    MessageLog log;
    EXPECT_EQ(runJobForwardModel(store, log, {}, dimension), Status::Ok) << log.plainText();
    const auto& q = store.survey.quadrupoles;
    double sum = 0;
    for (std::size_t k = 0; k < q.size(); ++k) sum += std::pow(std::log(q.resistance[k] / q.calcResistance[k]) / 0.03, 2);
    return sum / static_cast<double>(q.size());
}

// The 2D section, taken as the same across the line, explains the data under
// the 3D forward model as well as the 3D inversion's own model does, and
// both find the block. (The 3D model varies across the line, so its section
// alone is no 2D model of the data.)
TEST(LineInversion, AgreesWithThe3DInversionUnderTheLine)
{
    const ProjectStore store = conductorUnderLine(12, 4.0, 7.0);
    MessageLog log2, log3;
    const InversionResult two = invert(store, ForwardDimension::Two, log2);
    const InversionResult three = invert(store, ForwardDimension::Three, log3);
    const double twoIn3D = chiSquaredOf(store, two.model.conductivity, ForwardDimension::Three);
    auto block = [](const NodePoint& c) { return c.x > 4.5 && c.x < 6.5 && c.z < -0.6 && c.z > -1.4; };
    const double block2 = meanResistivityUnderLine(store.mesh, two.model.conductivity, block);
    const double block3 = meanResistivityUnderLine(store.mesh, three.model.conductivity, block);
    std::printf("chi2: 2D %.2f, 3D %.2f, the 2D model in 3D %.2f; block %.1f and %.1f ohm m\n",
                two.outcome.unweightedChiSquared, three.outcome.unweightedChiSquared, twoIn3D, block2, block3);
    EXPECT_LT(two.outcome.unweightedChiSquared, 1.5);
    EXPECT_LT(three.outcome.unweightedChiSquared, 1.5);
    EXPECT_LT(twoIn3D, 1.5);
    EXPECT_LT(block2, 70.0);
    EXPECT_LT(block3, 70.0);
}

// Chargeability 0.1 in a block under the line, 0.01 around it, over
// 100 ohm m: the 2.5D IP data with 3 % noise, inverted in 2D.
TEST(LineInversion, RecoversAChargeableBlockUnderTheLine)
{
    ProjectStore store = lineSurvey(24, 1.0, dipoleDipole(24));
    setSettingText(store.settings, Item::ModelIp, "1");
    setSettingText(store.settings, Item::IpNoisePercent, "3");
    setSettingText(store.settings, Item::IpNoiseConstant, "0");
    setSettingText(store.settings, Item::CpuThreads, "2");
    store.models.ipModelling = true;
    MessageLog log;
    ASSERT_EQ(buildMesh(store, log), Status::Ok) << log.plainText();
    const Models start = store.models;
    auto inBlock = [](const NodePoint& c) { return c.x > 9.0 && c.x < 14.0 && c.z < -0.5 && c.z > -1.5; };
    store.models.ip.assign(store.models.conductivity.size(), 0.01);
    for (std::size_t b = 0; b < store.models.ip.size(); ++b)
        if (inBlock(blockCentre(store.mesh, b))) store.models.ip[b] = 0.1;
    ASSERT_EQ(runJobForwardModel(store, log, {}, ForwardDimension::Two), Status::Ok) << log.plainText();
    auto& q = store.survey.quadrupoles;
    std::mt19937 rng(5);
    std::normal_distribution<double> noise(0.0, 0.03);
    q.resistance = q.calcResistance;
    q.ip.assign(1, q.calcIp);
    for (double& v : q.ip[0]) v *= 1 + noise(rng);
    store.survey.present.ip = true;
    q.calcResistance.clear();
    q.calcIp.clear();
    store.survey.present.calcResistance = store.survey.present.calcIp = false;
    store.models = start;

    const InversionResult result = invert(store, ForwardDimension::Two, log);
    const std::string text = log.plainText();
    ASSERT_EQ(result.model.ip.size(), store.models.conductivity.size()) << text;
    double inside = 0;
    int count = 0;
    for (std::size_t b = 0; b < result.model.ip.size(); ++b) {
        const NodePoint c = blockCentre(store.mesh, b);
        if (std::abs(c.y) < 0.5 && c.x > 9.5 && c.x < 13.5 && c.z < -0.6 && c.z > -1.4)
            inside += result.model.ip[b], ++count;
    }
    ASSERT_GT(count, 0);
    std::printf("2D chargeability in the block: mean %.4f\n", inside / count);
    EXPECT_NEAR(inside / count, 0.1, 0.03) << text;
    EXPECT_EQ(result.calculated.ip.size(), q.size());
    EXPECT_NE(text.find("Final IP misfit: unweighted RMS"), std::string::npos) << text;
}

// Two more inversions towards 5 times and a fifth of the background give
// the depth-of-investigation index: near 0 where the line's data see the
// block model, near 1 in the padding beyond the line's ends and deep down;
// the log states the depth above which the model is constrained.
TEST(DepthOfInvestigation, NearZeroWhereResolvedNearOneInThePadding)
{
    ProjectStore store = conductorUnderLine(24, 9.0, 14.0);
    setSettingText(store.settings, Item::DoiIndex, "1");
    MessageLog log;
    const InversionResult result = invert(store, ForwardDimension::Two, log);
    const std::vector<double>& doi = result.model.doiIndex;
    const std::vector<double>& sensitivity = result.model.sensitivity;
    ASSERT_EQ(doi.size(), store.models.conductivity.size());
    ASSERT_EQ(sensitivity.size(), store.models.conductivity.size());
    const auto resolved = [](const NodePoint& c) { return c.x > 5 && c.x < 18 && c.z < -1.75 && c.z > -3; };
    const auto padding = [](const NodePoint& c) { return c.x < -20 || c.x > 43 || c.z < -30; };
    std::printf("DOI index: resolved %.3f, padding %.3f; sensitivity: resolved %.3g, padding %.3g\n",
                meanUnderLine(store.mesh, doi, resolved), meanUnderLine(store.mesh, doi, padding),
                meanUnderLine(store.mesh, sensitivity, resolved), meanUnderLine(store.mesh, sensitivity, padding));
    EXPECT_LT(meanUnderLine(store.mesh, doi, resolved), 0.1);
    EXPECT_GT(meanUnderLine(store.mesh, doi, padding), 0.85);
    EXPECT_EQ(*std::max_element(sensitivity.begin(), sensitivity.end()), 1.0);
    EXPECT_GT(meanUnderLine(store.mesh, sensitivity, resolved), 1e3 * meanUnderLine(store.mesh, sensitivity, padding));

    const std::string text = log.plainText();
    EXPECT_NE(text.find("Depth of investigation: two more inversions with reference models 455.5 and 18.22 ohm m."),
              std::string::npos)
        << text;
    const std::string stated = "Depth of investigation: the model is constrained above ";
    const std::size_t at = text.find(stated);
    ASSERT_NE(at, std::string::npos) << text;
    const double depth = std::stod(text.substr(at + stated.size()));
    EXPECT_GT(depth, 2.0);
    EXPECT_LT(depth, 6.0);
    EXPECT_EQ(text.substr(text.find(" m below the surface", at), 41), " m below the surface (DOI index < 0.2).\r\n");
}

}  // namespace
}  // namespace vexora
