#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <thread>

#include "ForwardTestSupport.h"
#include "ScriptTestSupport.h"
#include "core/jobs/RurVexora.h"
#include "core/platform/ChildProcess.h"
#include "engine/script/JobSteps.h"
#include "engine/script/ProgramArguments.h"
#include "engine/script/ScriptRunner.h"
#include "core/import/GeometricFactor.h"
#include "core/qc/ReciprocalCheck.h"
#include "engine/inversion/Inversion.h"
#include "engine/inversion/InversionMemory.h"
#include "engine/inversion/SensitivityJob.h"

namespace vexora {
namespace {

using namespace vexora::testing;

// Electrodes on a 7 x 7 grid 1 m apart (cable per row), dipole-dipole
// quadrupoles along the rows and along the columns, n = 1..4.
ProjectStore gridSurvey()
{
    constexpr int side = 7;
    ProjectStore store = lineSurvey(side * side, 1.0, {});
    Survey& s = store.survey;
    for (int i = 0; i < side * side; ++i) {
        s.electrodes[static_cast<std::size_t>(i)].x = i % side;
        s.electrodes[static_cast<std::size_t>(i)].y = i / side;
    }
    auto number = [](int x, int y) { return y * side + x + 1; };
    std::vector<Quad> quads;
    for (int line = 0; line < side; ++line)
        for (int n = 1; n <= 4; ++n)
            for (int i = 0; i + n + 2 < side; ++i) {
                quads.push_back({number(i, line), number(i + 1, line), number(i + n + 1, line), number(i + n + 2, line)});
                quads.push_back({number(line, i), number(line, i + 1), number(line, i + n + 1), number(line, i + n + 2)});
            }
    ProjectStore survey = lineSurvey(side * side, 1.0, quads);
    for (std::size_t i = 0; i < survey.survey.electrodes.size(); ++i) survey.survey.electrodes[i] = s.electrodes[i];
    MessageLog log;
    EXPECT_EQ(funCreateElecTable(survey.survey, log), Status::Ok);
    EXPECT_EQ(SetDefaultMeshSettings(survey.survey, survey.settings, survey.mesh.lines, log), Status::Ok);
    return survey;
}

bool inConductor(const NodePoint& c) { return c.x > 2 && c.x < 4 && c.y > 2 && c.y < 4 && c.z < -0.5 && c.z > -1.5; }
bool inForeground(const NodePoint& c) { return c.x > 0 && c.x < 6 && c.y > 0 && c.y < 6 && c.z > -1.0; }

// The grid survey with its mesh, errors of 3 % and two threads.
ProjectStore meshedGridSurvey(bool modelIp)
{
    ProjectStore store = gridSurvey();
    setSettingText(store.settings, Item::ResNoisePercent, "3");
    setSettingText(store.settings, Item::ResNoiseConstant, "0");
    setSettingText(store.settings, Item::CpuThreads, "2");
    setSettingText(store.settings, Item::SaveIterations, "2");
    if (modelIp) {
        setSettingText(store.settings, Item::ModelIp, "1");
        store.models.ipModelling = true;
    }
    MessageLog log;
    EXPECT_EQ(buildMesh(store, log), Status::Ok) << log.plainText();
    return store;
}

struct Synthetic {
    ProjectStore store;
    std::size_t data = 0;
};

// The data of a 10 ohm m block in 100 ohm m with 3 % Gaussian noise; the
// model reset to the 100 ohm m starting model.
Synthetic synthetic(double outlierFraction)
{
    Synthetic s{meshedGridSurvey(false)};
    ProjectStore& store = s.store;
    MessageLog log;
    const std::vector<double> start = store.models.conductivity;
    for (std::size_t b = 0; b < start.size(); ++b)
        if (inConductor(blockCentre(store.mesh, b))) store.models.conductivity[b] = 0.1;
    EXPECT_EQ(runJobForwardModel(store, log), Status::Ok) << log.plainText();
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0.0, 0.03);
    std::uniform_real_distribution<double> uniform;
    auto& q = store.survey.quadrupoles;
    for (std::size_t k = 0; k < q.size(); ++k) {
        q.resistance[k] = q.calcResistance[k] * (1 + noise(rng));
        if (uniform(rng) < outlierFraction) q.resistance[k] *= 3;
    }
    s.data = q.size();
    q.calcResistance.clear();
    store.survey.present.calcResistance = false;
    store.models.conductivity = start;
    return s;
}

// The inversion of the store's data from its models; the result replaces
// them and fills the calculated columns.
InversionStatus invert(ProjectStore& store, MessageLog& log, InversionOutcome& outcome)
{
    InversionResult result;
    const InversionStatus status =
        runInversion(store.mesh, store.models, store.survey, store.settings, log, {}, {}, result);
    if (status != InversionStatus::Ok) return status;
    store.models = std::move(result.model);
    storeCalculatedData(store.survey, std::move(result.calculated));
    outcome = result.outcome;
    return status;
}

double meanResistivity(const ProjectStore& store, bool (*inside)(const NodePoint&), bool (*exclude)(const NodePoint&))
{
    double sum = 0;
    int count = 0;
    for (std::size_t b = 0; b < store.models.conductivity.size(); ++b) {
        const NodePoint c = blockCentre(store.mesh, b);
        if (!inside(c) || (exclude && exclude(c))) continue;
        sum += 1 / store.models.conductivity[b];
        ++count;
    }
    return count ? sum / count : 0.0;
}

std::string formatted(const char* pattern, double a, double b)
{
    char text[200];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

// The final lines against the unweighted misfit worked out here from the
// stored data: the errors are 3 % (meshedGridSurvey), every datum usable.
void expectFinalLines(const ProjectStore& store, const MessageLog& log, const InversionOutcome& outcome)
{
    const auto& q = store.survey.quadrupoles;
    double squares = 0, chi2 = 0;
    for (std::size_t k = 0; k < q.size(); ++k) {
        const double r = std::log(std::abs(q.resistance[k])) - std::log(std::abs(q.calcResistance[k]));
        squares += r * r;
        chi2 += (r / 0.03) * (r / 0.03);
    }
    const double n = static_cast<double>(q.size()), rms = 100 * std::sqrt(squares / n);
    chi2 /= n;
    EXPECT_NEAR(outcome.unweightedChiSquared, chi2, 1e-9 * chi2);
    const std::string text = log.plainText();
    EXPECT_NE(text.find(formatted("Final misfit: unweighted RMS %.2f %%, chi2 %.3f; weighted", rms, chi2)),
              std::string::npos)
        << text;
    const bool fitted = chi2 <= 1.01;
    EXPECT_EQ(outcome.reachedNoiseLevel, fitted);
    EXPECT_EQ(text.find(formatted("The misfit reached the noise level (unweighted chi2 %.3f).", chi2, 0)) !=
                  std::string::npos,
              fitted)
        << text;
}

TEST(InversionRecovery, FindsTheConductorAndFitsTheNoise)
{
    Synthetic s = synthetic(0.0);
    MessageLog log;
    InversionOutcome outcome;
    ASSERT_EQ(invert(s.store, log, outcome), InversionStatus::Ok) << log.plainText();
    // The default errors are 5 %, the noise 3 %: the true model itself has
    // chi^2 near 0.36, so far below that the noise would be fitted.
    EXPECT_GE(outcome.chiSquared, 0.3);
    EXPECT_LE(outcome.chiSquared, 1.5);
    const double conductor = meanResistivity(s.store, inConductor, nullptr);
    const double background = meanResistivity(s.store, inForeground, [](const NodePoint& c) {
        return c.x > 1 && c.x < 5 && c.y > 1 && c.y < 5;  // away from the conductor
    });
    std::printf("conductor %.1f ohm m, background %.1f ohm m\n", conductor, background);
    EXPECT_LT(conductor, 50.0);
    EXPECT_NEAR(background, 100.0, 20.0);
    EXPECT_EQ(s.store.survey.quadrupoles.calcResistance.size(), s.data);
    EXPECT_NE(log.plainText().find("Iteration 1: roughness"), std::string::npos);
    expectFinalLines(s.store, log, outcome);
}

// With each trial modelled, the full step to the chosen trial takes the
// fields and V/I its trial solve left: three solves an iteration for three
// trials, not four, and the result's V/I are still those of its model.
TEST(InversionRecovery, TheChosenModelledTrialIsNotSolvedAgain)
{
    Synthetic s = synthetic(0.0);
    setSettingText(s.store.settings, Item::RoughnessTrials, "3 2");
    setSettingText(s.store.settings, Item::MaxIterationsRho, "2");
    setSettingText(s.store.settings, Item::UseRobustInversion, "2");
    MessageLog log;
    InversionOutcome outcome;
    ASSERT_EQ(invert(s.store, log, outcome), InversionStatus::Ok) << log.plainText();
    ASSERT_GE(outcome.iterations, 1);
    const std::string text = log.plainText();
    for (int at = 1; at <= outcome.iterations; ++at) {
        const std::size_t line = text.find("Iteration " + std::to_string(at) + ": roughness");
        ASSERT_NE(line, std::string::npos) << text;
        EXPECT_NE(text.substr(line, text.find('\n', line) - line).find("for 3 models,"), std::string::npos) << text;
    }
    // The cumulative sensitivity comes from the kept fields: with equal
    // weights it is the sensitivity job's for the final model.
    std::vector<double> sensitivity;
    CalculatedData fresh;
    ASSERT_EQ(generateSensitivity(s.store.mesh, s.store.models, s.store.survey, s.store.settings, {0, false}, log, {},
                                  sensitivity, fresh),
              Status::Ok)
        << log.plainText();
    const std::vector<double>& kept = s.store.survey.quadrupoles.calcResistance;
    ASSERT_EQ(kept.size(), fresh.resistance.size());
    for (std::size_t k = 0; k < kept.size(); ++k)
        ASSERT_NEAR(kept[k], fresh.resistance[k], 1e-5 * std::abs(fresh.resistance[k])) << k;
    ASSERT_EQ(sensitivity.size(), s.store.models.sensitivity.size());
    for (std::size_t b = 0; b < sensitivity.size(); ++b)
        ASSERT_NEAR(s.store.models.sensitivity[b], sensitivity[b], 1e-4) << b;
}

TEST(InversionRecovery, RobustWeightsResistOutliers)
{
    for (const bool robust : {true, false}) {
        SCOPED_TRACE(robust ? "robust" : "plain");
        Synthetic s = synthetic(0.05);
        setSettingText(s.store.settings, Item::UseRobustInversion, robust ? "1" : "2");
        MessageLog log;
        InversionOutcome outcome;
        ASSERT_EQ(invert(s.store, log, outcome), InversionStatus::Ok) << log.plainText();
        const double background = meanResistivity(s.store, inForeground, [](const NodePoint& c) {
            return c.x > 1 && c.x < 5 && c.y > 1 && c.y < 5;
        });
        std::printf("%s: chi2 %.2f, background %.1f ohm m\n", robust ? "robust" : "plain", outcome.chiSquared,
                    background);
        if (robust) EXPECT_NEAR(background, 100.0, 25.0);
        else EXPECT_NE(log.plainText().find("could not reach the noise level"), std::string::npos) << log.plainText();
        // The tripled data stay unfitted: only the weighted misfit may reach the noise level.
        expectFinalLines(s.store, log, outcome);
        EXPECT_GT(outcome.unweightedChiSquared, 1.5);
    }
}

// The data of eta 0.1 in the block and 0.01 around it over 100 ohm m, the
// IP with 3 % Gaussian noise and every `outlierEvery`-th reading tripled
// (none for 0); the models reset to the start.
ProjectStore chargeableBlock(int outlierEvery)
{
    ProjectStore store = meshedGridSurvey(true);
    MessageLog log;
    EXPECT_EQ(store.models.ip.size(), store.models.conductivity.size());
    const Models start = store.models;
    for (std::size_t b = 0; b < start.conductivity.size(); ++b) {
        store.models.conductivity[b] = 0.01;
        store.models.ip[b] = inConductor(blockCentre(store.mesh, b)) ? 0.1 : 0.01;
    }
    EXPECT_EQ(runJobForwardModel(store, log), Status::Ok) << log.plainText();
    auto& q = store.survey.quadrupoles;
    std::mt19937 rng(11);
    std::normal_distribution<double> noise(0.0, 0.03);
    q.resistance = q.calcResistance;
    q.ip.assign(1, q.calcIp);
    for (std::size_t k = 0; k < q.size(); ++k)
        q.ip[0][k] *= (1 + noise(rng)) * (outlierEvery > 0 && k % outlierEvery == 3 ? 3 : 1);
    store.survey.present.ip = true;
    q.calcResistance.clear();
    q.calcIp.clear();
    store.survey.present.calcResistance = store.survey.present.calcIp = false;
    store.models = start;
    return store;
}

// Unweighted RMS of measured minus calculated IP over the data inverted
// (those with a calculated value), in the IP unit.
double ipRms(const QuadrupoleTable& q)
{
    double sum = 0;
    int n = 0;
    for (std::size_t k = 0; k < q.size(); ++k)
        if (q.calcIp[k] != kCannotCompute) sum += (q.ip[0][k] - q.calcIp[k]) * (q.ip[0][k] - q.calcIp[k]), ++n;
    return std::sqrt(sum / n);
}

TEST(ChargeabilityRecovery, FindsTheChargeableBlockWithNoiseAndOutliers)
{
    for (const int outlierEvery : {0, 25}) {
        SCOPED_TRACE(outlierEvery);
        ProjectStore store = chargeableBlock(outlierEvery);
        auto& q = store.survey.quadrupoles;
        const std::vector<std::vector<double>> measured = q.ip;
        // The errors those of the noise. The IP inversion starts from the
        // median of the apparent chargeabilities inverted: the negative
        // ones (near the array's negative sensitivities) are left out.
        setSettingText(store.settings, Item::IpNoisePercent, "3");
        setSettingText(store.settings, Item::IpNoiseConstant, "0");
        std::vector<double> apparent;
        for (double v : q.ip[0])
            if (v >= 0) apparent.push_back(v);
        const std::string startLine =
            formatted("IP starting model: median apparent chargeability %.4g (IP scale %g;", medianOf(apparent),
                      store.models.ipScale);
        MessageLog log;
        InversionOutcome outcome;
        ASSERT_EQ(invert(store, log, outcome), InversionStatus::Ok) << log.plainText();
        const std::string text = log.plainText();
        EXPECT_NE(text.find(startLine), std::string::npos) << startLine << text;
        double inside = 0;
        int in = 0;
        for (std::size_t b = 0; b < store.models.ip.size(); ++b)
            if (inConductor(blockCentre(store.mesh, b))) inside += store.models.ip[b], ++in;
        std::printf("chargeability in the block: mean %.4f\n", inside / in);
        EXPECT_NEAR(inside / in, 0.1, 0.03) << text;
        EXPECT_EQ(q.ip, measured);
        ASSERT_EQ(q.calcIp.size(), q.size());
        EXPECT_NE(text.find(formatted("Final IP misfit: unweighted RMS %.4g mV/V", ipRms(q), 0)), std::string::npos)
            << text;
    }
}

// Negative and too large apparent chargeabilities (above the highest, 1000
// mV/V unless set) are counted; by default they are left out (no calculated
// IP), on request inverted; the measured values stay as they were. With
// currents in the file, so are readings on less than the least primary
// voltage (the fifth row's: 1 mV).
TEST(HostileIpData, OutOfRangeReadingsCountedAndLeftOut)
{
    const struct {
        const char* leaveOut;
        const char* highest;
        bool currents;
        const char* line;
        const char* leftOut;  // of the first five rows: x left out, - inverted
    } cases[] = {
        {"1", "1000", false, "IP data: 2 below 0 and 1 above 1000 mV/V are left out of the IP inversion.", "xxx--"},
        {"1", "100", false, "IP data: 2 below 0 and 2 above 100 mV/V are left out of the IP inversion.", "xxxx-"},
        {"2", "1000", false,
         "IP data: 2 below 0 and 1 above 1000 mV/V are inverted as they are (#ip_leave_out_range 2).", "-----"},
        {"1", "1000", true,
         "IP data: 1 measured on less than 5 mV of primary voltage are left out of the IP inversion "
         "(#ip_min_voltage).",
         "xxx-x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        ProjectStore store = chargeableBlock(0);
        auto& q = store.survey.quadrupoles;
        for (double& v : q.ip[0]) v = std::abs(v);
        q.ip[0][0] = -5, q.ip[0][1] = -0.5, q.ip[0][2] = 1500, q.ip[0][3] = 150;
        if (c.currents) {
            setSettingText(store.settings, Item::CurrentColumn, "12");
            for (std::size_t k = 0; k < q.size(); ++k) q.current[k] = (k == 4 ? 1.0 : 100.0) / std::abs(q.resistance[k]);
        }
        const std::vector<std::vector<double>> measured = q.ip;
        setSettingText(store.settings, Item::LeaveOutOfRangeIp, c.leaveOut);
        setSettingText(store.settings, Item::HighestApparentIp, c.highest);
        MessageLog log;
        InversionOutcome outcome;
        ASSERT_EQ(invert(store, log, outcome), InversionStatus::Ok) << log.plainText();
        EXPECT_NE(log.plainText().find(c.line), std::string::npos) << log.plainText();
        EXPECT_EQ(q.ip, measured);
        for (std::size_t k = 0; k < 5; ++k) EXPECT_EQ(q.calcIp[k] == kCannotCompute, c.leftOut[k] == 'x') << k;
    }
}

// Negative readings kept: the model starts at its lowest, near 0, and with a
// roughness factor of 1e30 no update is large enough to change chi^2, so no
// step is accepted and the starting model stays.
TEST(ChargeabilityInversion, NoStepAcceptedLeavesTheStartingModel)
{
    ProjectStore store = chargeableBlock(0);
    auto& q = store.survey.quadrupoles;
    for (double& v : q.ip[0]) v = -std::abs(v);
    setSettingText(store.settings, Item::LeaveOutOfRangeIp, "2");
    setSettingText(store.settings, Item::InitialRoughIp, "1e30");
    setSettingText(store.settings, Item::RoughnessTrials, "1");
    MessageLog log;
    InversionOutcome outcome;
    ASSERT_EQ(invert(store, log, outcome), InversionStatus::Ok) << log.plainText();
    EXPECT_NE(log.plainText().find("No IP step lowered the misfit: the IP model is the starting model."),
              std::string::npos)
        << log.plainText();
    for (double eta : store.models.ip) ASSERT_EQ(eta, store.models.ip.front());
    EXPECT_LT(store.models.ip.front(), 1e-4);
}

// The start sits at the highest resistivity the model takes, the data ask for
// more, and the roughness factor is so high that an update is a uniform
// shift: every resistivity step is rejected, and the IP inversion, whose
// sensitivities would be the start's, is not run.
TEST(ChargeabilityInversion, OffWhenNoResistivityStepWasAccepted)
{
    ProjectStore store = lineSurvey(8, 1.0, wenner(8));
    auto& q = store.survey.quadrupoles;
    const std::vector<double> k = funGeometricFactor(store.survey, false);
    for (std::size_t i = 0; i < q.size(); ++i) q.resistance[i] = 1e8 / k[i];
    q.ip.assign(1, std::vector<double>(q.size(), 20.0));
    store.survey.present.ip = true;
    setSettingText(store.settings, Item::BackgroundResistivity, "1e6");
    setSettingText(store.settings, Item::StartFromData, "2");
    setSettingText(store.settings, Item::InitialRoughRho, "1e8");
    setSettingText(store.settings, Item::RoughnessTrials, "1");
    setSettingText(store.settings, Item::ModelIp, "1");
    store.models.ipModelling = true;
    MessageLog log;
    ASSERT_EQ(buildMesh(store, log), Status::Ok) << log.plainText();
    InversionResult result;
    ASSERT_EQ(runInversion(store.mesh, store.models, store.survey, store.settings, log, {}, {}, result),
              InversionStatus::Ok)
        << log.plainText();
    EXPECT_EQ(result.outcome.iterations, 0);
    EXPECT_NE(log.plainText().find("The IP inversion is not run: no resistivity step was accepted, and the starting "
                                   "model's sensitivities would not describe the ground. The result has no IP model."),
              std::string::npos)
        << log.plainText();
    EXPECT_FALSE(result.model.ipModelling);
    EXPECT_EQ(result.model.ip.size(), 1u);
    EXPECT_TRUE(result.calculated.ip.empty());
}

// Wenner data the line's first steps hardly fit (10 and 50 ohm m side by
// side): a step that lowers chi^2 by less than 1 % or not at all halves the
// roughness factor, and the inversion goes on with it instead of stopping.
TEST(InversionRecovery, AStalledStepLowersTheRoughnessAndGoesOn)
{
    ProjectStore store = lineSurvey(8, 1.0, wenner(8));
    auto& q = store.survey.quadrupoles;
    const std::vector<double> k = funGeometricFactor(store.survey, false);
    const double apparent[] = {10, 50, 10, 50, 10, 30};
    for (std::size_t i = 0; i < q.size(); ++i) q.resistance[i] = apparent[i] / k[i];
    setSettingText(store.settings, Item::ResNoiseConstant, "0");
    setSettingText(store.settings, Item::MaxIterationsRho, "4");
    setSettingText(store.settings, Item::CpuThreads, "2");
    MessageLog log;
    ASSERT_EQ(buildMesh(store, log), Status::Ok) << log.plainText();
    InversionResult result;
    ASSERT_EQ(runInversion(store.mesh, store.models, store.survey, store.settings, log, {}, {}, result),
              InversionStatus::Ok)
        << log.plainText();
    const std::string text = log.plainText();
    const std::size_t stalled = text.find(": the roughness factor is lowered to 0.5 (retry 1 of 3).");
    ASSERT_NE(stalled, std::string::npos) << text;
    // The iteration goes on with the lowered factor, or a lower one still.
    const std::size_t next = text.find(": roughness 0.", stalled);
    EXPECT_NE(next, std::string::npos) << text;
    EXPECT_EQ(text.find("stopped improving"), std::string::npos) << text;
    EXPECT_GE(result.outcome.iterations, 3);
}

// Wenner data on 8 electrodes whose apparent resistivities are set: the
// median of those inverted (not the skipped one, not the negative one) is 30;
// with the skipped one it would be 40, with the negative one as 5, 20.
TEST(InversionStart, MedianApparentResistivityOrTheFixedValue)
{
    const struct {
        const char* name;
        const char* fromData;
        double expected;
        const char* line;
    } cases[] = {
        {"from the data", "1", 30.0, "Starting model: median apparent resistivity 30 ohm m."},
        {"fixed", "2", 250.0, "Starting model: fixed resistivity 250 ohm m."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProjectStore store = lineSurvey(8, 1.0, wenner(8));
        auto& q = store.survey.quadrupoles;
        ASSERT_EQ(q.size(), 6u);
        const std::vector<double> k = funGeometricFactor(store.survey, false);
        const double apparent[] = {10, 50, 20, -5, 40, 1e4};
        for (std::size_t i = 0; i < q.size(); ++i) q.resistance[i] = apparent[i] / k[i];
        q.skip[5] = 1;
        setSettingText(store.settings, Item::BackgroundResistivity, "250");
        setSettingText(store.settings, Item::StartFromData, c.fromData);
        MessageLog log;
        ASSERT_EQ(buildMesh(store, log), Status::Ok) << log.plainText();
        // Aborted before the first iteration: the result is the starting model.
        ComputeControl stop;
        stop.cancelRequested = [] { return true; };
        InversionResult result;
        ASSERT_EQ(runInversion(store.mesh, store.models, store.survey, store.settings, log, stop, {}, result),
                  InversionStatus::Aborted)
            << log.plainText();
        EXPECT_NE(log.plainText().find(c.line), std::string::npos) << log.plainText();
        for (double sigma : result.model.conductivity) ASSERT_NEAR(1 / sigma, c.expected, 1e-9 * c.expected);
    }
}

// The synthetic block's inversion as a core job: the project folder the
// workbench prepares, run by the core's program alone or as MPI ranks.
struct CoreJob {
    fs::path folder, script;
    std::size_t data = 0;
};

CoreJob syntheticJob(const std::string& name)
{
    Synthetic s = synthetic(0.0);
    CoreJob job{freshFolder(name) / "site.VXRprj", {}, s.data};
    fs::create_directory(job.folder);
    MessageLog log;
    EXPECT_EQ(prepareRurJob(s.store, job.folder, "INV", job.script, log), Status::Ok) << log.plainText();
    return job;
}

// Why the ranked tests cannot run here; empty when they can.
std::string rankedRunMissing()
{
#ifndef VEXORA_TEST_MPI
    return "the core is built without MPI";
#else
    return locateProgramOnPath("mpirun") ? "" : "mpirun is not installed";
#endif
}

// The command the manager would run for `ranks` ranks of the core on `script`.
CoreCommand rankedCommand(const fs::path& script, int ranks)
{
    std::string why;
    const std::optional<CoreCommand> command =
        coreCommand(fs::path(VEXORA_APP_DIR) / kCoreName, script, {ranks, {}}, why);
    EXPECT_TRUE(command) << why;
    return command.value_or(CoreCommand{});
}

int start(const CoreCommand& command)
{
    std::string why;
    const std::optional<int> process = startChildProcess(command.program, command.arguments, {}, &why);
    EXPECT_TRUE(process) << why;
    return process.value_or(-1);
}

std::optional<ProcessEnd> waitFor(int process, std::chrono::seconds limit = std::chrono::seconds(180))
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (process > 0 && std::chrono::steady_clock::now() < until) {
        if (std::optional<ProcessEnd> end = childProcessEnd(process)) return end;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return std::nullopt;
}

std::vector<double> resistivityOf(const fs::path& meshFile)
{
    const ViewerModel model = viewerModelAt(meshFile);
    const std::vector<double>* rho = model.quantity("Resistivity");
    return rho ? *rho : std::vector<double>{};
}

std::string lineStarting(const std::string& text, const std::string& start)
{
    const std::size_t at = text.find(start);
    return at == std::string::npos ? "" : text.substr(at, text.find_first_of("\r\n", at) - at);
}

TEST(InversionOnRanks, TwoRanksGiveTheModelOfOneEachHoldingHalfOfJ)
{
    if (const std::string missing = rankedRunMissing(); !missing.empty()) GTEST_SKIP() << missing;
    const CoreJob one = syntheticJob("vexora_ranks_one"), two = syntheticJob("vexora_ranks_two");
    ASSERT_EQ(waitFor(start(rankedCommand(one.script, 1))), ProcessEnd{}) << fileText(one.folder / kInvLogFile);
    ASSERT_EQ(waitFor(start(rankedCommand(two.script, 2))), ProcessEnd{}) << fileText(two.folder / kInvLogFile);

    const std::string log = fileText(two.folder / kInvLogFile);
    EXPECT_NE(log.find("The job runs on 2 ranks."), std::string::npos) << log;
    // Each rank holds its half of the rows of J, and says so.
    unsigned rows[2] = {}, megabytes[2] = {};
    ASSERT_EQ(std::sscanf(lineStarting(log, "Sensitivity matrix on 2 ranks: ").c_str(),
                          "Sensitivity matrix on 2 ranks: %u + %u rows, %u + %u MB", &rows[0], &rows[1], &megabytes[0],
                          &megabytes[1]),
              4)
        << log;
    EXPECT_EQ(rows[0] + rows[1], one.data);
    EXPECT_LE(std::max(rows[0], rows[1]) - std::min(rows[0], rows[1]), 1u);
    EXPECT_EQ(lineStarting(log, "Final misfit"), lineStarting(fileText(one.folder / kInvLogFile), "Final misfit"));

    const std::vector<double> a = resistivityOf(one.folder / kInvModelOutputFile);
    const std::vector<double> b = resistivityOf(two.folder / kInvModelOutputFile);
    ASSERT_EQ(a.size(), b.size());
    ASSERT_FALSE(a.empty());
    for (std::size_t k = 0; k < a.size(); ++k) ASSERT_NEAR(b[k], a[k], 1e-4 * a[k]) << "block " << k;
}

TEST(InversionOnRanks, TheAbortFileEndsEveryRank)
{
    if (const std::string missing = rankedRunMissing(); !missing.empty()) GTEST_SKIP() << missing;
    const CoreJob job = syntheticJob("vexora_ranks_abort");
    const int process = start(rankedCommand(job.script, 2));
    // Asked for once the inversion runs.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (std::chrono::steady_clock::now() < until) {
        const std::optional<ProgressState> state = lastProgress(job.folder / kProgressFile);
        if (state && state->stage.starts_with("Inversion")) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(writeFileAtomically(job.folder / kAbortFile, "Abort\r\n"));
    const std::optional<ProcessEnd> end = waitFor(process, std::chrono::seconds(120));
    ASSERT_TRUE(end) << "the ranks did not end";
    EXPECT_EQ(end->exitStatus, static_cast<int>(ScriptStatus::Aborted));
    EXPECT_NE(lastLogLine(job.folder / kInvLogFile).find("\tScript aborted "), std::string::npos)
        << fileText(job.folder / kInvLogFile);
}

// One rank whose data have nothing to invert (its own script loads them),
// the other's fine: the job stops on both, the log names the failing rank
// and its reason, and no result file is written.
TEST(InversionOnRanks, ARankThatFailsEndsTheJobWithItsReason)
{
    if (const std::string missing = rankedRunMissing(); !missing.empty()) GTEST_SKIP() << missing;
    const CoreJob job = syntheticJob("vexora_ranks_fail");
    ProjectStore skipped;  // of every reading
    MessageLog log;
    ASSERT_EQ(loadJobDataFile(skipped, job.folder / kDataInputFile, log), Status::Ok) << log.plainText();
    std::fill(skipped.survey.quadrupoles.resistance.begin(), skipped.survey.quadrupoles.resistance.end(), 0.0);
    ASSERT_EQ(saveJobDataFile(skipped, job.folder / "Unread.data", false, log), Status::Ok) << log.plainText();
    std::string text = fileText(job.script);
    text.replace(text.find(kDataInputFile), kDataInputFile.size(), "Unread.data");
    const fs::path other = job.folder / "OtherRank.txt";
    ASSERT_TRUE(writeFileAtomically(other, text));

    // "-n 2 ... CORE RUNSCRIPT SCRIPT" made "-n 1 ... CORE RUNSCRIPT SCRIPT : -n 1 CORE RUNSCRIPT OTHER".
    CoreCommand command = rankedCommand(job.script, 2);
    ASSERT_GE(command.arguments.size(), 5u);
    command.arguments[1] = "1";
    const std::string core = command.arguments[command.arguments.size() - 3];
    command.arguments.insert(command.arguments.end(), {":", "-n", "1", core, "RUNSCRIPT", other.string()});
    const std::optional<ProcessEnd> end = waitFor(start(command));
    ASSERT_TRUE(end) << "the ranks did not end";
    EXPECT_NE(end->exitStatus, 0);
    EXPECT_NE(lastLogLine(job.folder / kInvLogFile)
                  .find("\tScript stopped at line 4 (RUNINVERSION): Error: RUNINVERSION: No data to invert: every "
                        "quadrupole is skipped or has no reading. (rank 1 of 2)"),
              std::string::npos)
        << fileText(job.folder / kInvLogFile);
    for (std::string_view result : {kInvModelOutputFile, kInvFullMeshOutputFile, kInvDataOutputFile})
        EXPECT_FALSE(fs::exists(job.folder / result)) << result;
}

// Two lines of five electrodes; the last quadrupole, skipped, is the only
// one on electrode 10, and the third reads 0. A job's data file holds no
// skipped quadrupole, whatever the settings say of them; the size taken
// from the project before a run makes the lines the inversion then logs.
TEST(InversionMemory, TheSizeTakenBeforeARunIsTheOneTheInversionMeets)
{
    const std::vector<NodePoint> points = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0},
                                           {0, 2, 0}, {1, 2, 0}, {2, 2, 0}, {3, 2, 0}, {4, 2, 0}};
    const std::vector<Quad> quads = {{1, 2, 3, 4}, {2, 3, 4, 5}, {6, 7, 8, 9}, {1, 6, 2, 7}, {3, 8, 4, 9}, {6, 10, 7, 8}};
    const struct {
        const char* name;
        const char* leaveOutSkipped;
        const char* trials;
        const char* threads;
        std::int64_t electrodes, data;
        int threadCount;
        bool heldTrial;
    } cases[] = {
        {"skipped computed if written, linearised trials", "2", "4 1", "2", 9, 4, 2, false},
        {"skipped left out, modelled trials", "1", "3 2", "0", 9, 4, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProjectStore store = surfaceSurvey(points, quads, {});
        store.survey.quadrupoles.resistance[2] = 0;
        store.survey.quadrupoles.skip[5] = 1;
        setSettingText(store.settings, Item::SkipTxWithoutRx, c.leaveOutSkipped);
        setSettingText(store.settings, Item::RoughnessTrials, c.trials);
        setSettingText(store.settings, Item::CpuThreads, c.threads);
        MessageLog log;
        ASSERT_EQ(buildMesh(store, log), Status::Ok) << log.plainText();
        const InversionSize size = inversionSizeOf(store.mesh, store.survey, store.settings);
        EXPECT_EQ(size.gridPoints, static_cast<std::int64_t>(store.mesh.nodeGrid.size()));
        EXPECT_EQ(size.blocks, blockCount(store.mesh));
        EXPECT_EQ(size.electrodes, c.electrodes);
        EXPECT_EQ(size.data, c.data);
        EXPECT_EQ(size.threads, c.threadCount);
        EXPECT_EQ(size.heldTrial, c.heldTrial);
        // The core leaving the skipped one out meets what the data file holds.
        setSettingText(store.settings, Item::SkipTxWithoutRx, "1");
        // Stopped before the first iteration, after the estimate.
        ComputeControl stop;
        stop.cancelRequested = [] { return true; };
        InversionResult result;
        (void)runInversion(store.mesh, store.models, store.survey, store.settings, log, stop, {}, result);
        const std::string line = "Memory: " + inversionMemoryText(inversionMemoryPerRank(size, 1, 0), 1);
        EXPECT_NE(log.plainText().find(line), std::string::npos) << line << "\n" << log.plainText();
        const std::string counts = "Inversion: " + std::to_string(size.data) + " data, " +
                                   std::to_string(size.blocks) + " blocks, ";
        EXPECT_NE(log.plainText().find(counts), std::string::npos) << counts << "\n" << log.plainText();
        EXPECT_NE(log.plainText().find(", " + std::to_string(size.threads) + " threads"), std::string::npos);
    }
}

}  // namespace
}  // namespace vexora
