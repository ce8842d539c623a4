#include <gtest/gtest.h>

#include "engine/inversion/InversionProgress.h"

namespace vexora {
namespace {

// Four iterations and the IP inversion: 0.5 + 4 + 1 = 5.5 units of the whole.
TEST(InversionProgress, IterationPartsFollowThePreviousIterationsTiming)
{
    InversionProgress progress(4, true);
    struct Case {
        int iteration;
        IterationPart part;
        double fraction;
        int percent;
    };
    // Before any timing: sensitivities 0.2, update 0.3, forward 0.5 of an iteration.
    const Case first[] = {
        {1, IterationPart::Sensitivities, 0, 9},   // 0.5 / 5.5
        {1, IterationPart::Update, 0, 12},         // 0.7 / 5.5
        {1, IterationPart::Forward, 0.5, 22},      // 0.5 + 0.5 + 0.25
        {1, IterationPart::Forward, 1, 27},        // 1.5 / 5.5
    };
    for (const Case& c : first) EXPECT_EQ(progress.at(c.iteration, c.part, c.fraction), c.percent) << c.fraction;
    // Iteration 1 took 6 s of sensitivities, 2 s of update, 2 s of forward
    // solves: shares 0.1 + 0.7 x (0.6, 0.2, 0.2).
    progress.measured(6, 2, 2);
    const Case second[] = {
        {2, IterationPart::Sensitivities, 0, 27},  // 1.5 / 5.5: iterations start where they did
        {2, IterationPart::Sensitivities, 0.5, 32},  // 1.76 / 5.5
        {2, IterationPart::Update, 0, 36},         // 2.02 / 5.5
        {2, IterationPart::Forward, 0, 41},        // 2.26 / 5.5
        {4, IterationPart::Forward, 1, 81},        // 4.5 / 5.5
    };
    for (const Case& c : second) EXPECT_EQ(progress.at(c.iteration, c.part, c.fraction), c.percent) << c.fraction;
    EXPECT_EQ(progress.startModel(1), 9);
    EXPECT_EQ(progress.chargeability(0), 81);
    EXPECT_EQ(progress.chargeability(1), 100);
    // Without timing (a zero-length iteration) the weights stay.
    progress.measured(0, 0, 0);
    EXPECT_EQ(progress.at(2, IterationPart::Update, 0), 36);
    // Parts too quick to time keep a tenth each, so each still moves the bar.
    progress.measured(0, 0, 3);
    EXPECT_EQ(progress.at(3, IterationPart::Sensitivities, 0), 45);  // 2.5 / 5.5
    EXPECT_EQ(progress.at(3, IterationPart::Update, 0), 47);         // 2.6 / 5.5
    EXPECT_EQ(progress.at(3, IterationPart::Forward, 0), 49);        // 2.7 / 5.5
}

}  // namespace
}  // namespace vexora
