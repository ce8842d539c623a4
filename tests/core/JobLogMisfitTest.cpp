#include <gtest/gtest.h>

#include "core/jobs/JobLogMisfit.h"

namespace vexora {
namespace {

// A job log as the core writes it: time stamps, CR LF, the retry and
// depth-of-investigation lines the misfit curve must not take.
const char* const kLog =
    "2026-12-08 05:00:00\tInversion: 1402 data, 75168 blocks, 4 roughness trials (linearised), robust, 2 threads\r\n"
    "2026-12-08 05:00:01\tIteration 0: RMS 37.87 %, chi2 52.098\r\n"
    "2026-12-08 05:00:09\tIteration 1: roughness 1, RMS 6.56 %, chi2 1.505, 1402 data, 17.7 s (forward 8.6 s)\r\n"
    "2026-12-08 05:00:10\tIteration 2: chi2 1.505 before the step, higher after every step length: the roughness "
    "factor is lowered to 0.1 (retry 1 of 3).\r\n"
    "2026-12-08 05:00:19\tIteration 2: roughness 0.1, RMS 4.58 %, chi2 0.475 (data reweighted: chi2 1.210 before "
    "the step), 1402 data, 8.8 s\r\n"
    "2026-12-08 05:00:20\tFinal misfit: unweighted RMS 4.58 %, chi2 0.735; weighted RMS 3.86 %, chi2 0.475 (robust "
    "weights).\r\n"
    "2026-12-08 05:00:21\tIP iteration 0: RMS 3.2 mV/V, chi2 4.100\r\n"
    "2026-12-08 05:00:22\tIP iteration 1: roughness 10, RMS 1.05 mV/V, chi2 0.980\r\n"
    "2026-12-08 05:00:22\tFinal IP misfit: unweighted RMS 1.05 mV/V, chi2 0.990; weighted chi2 0.980 (robust "
    "weights).\r\n"
    "2026-12-08 05:00:23\tDepth of investigation: inversion from and towards the reference model 500 ohm m.\r\n"
    "2026-12-08 05:00:24\tIteration 0: RMS 90.00 %, chi2 300.000\r\n"
    "2026-12-08 05:00:25\tIteration 1: roughness 1, RMS 5.00 %, chi2 0.900, 1402 data, 3.0 s\r\n"
    "2026-12-08 05:00:26\tFinal misfit: unweighted RMS 5.00 %, chi2 0.900; weighted RMS 5.00 %, chi2 0.900 (robust "
    "weights).\r\n"
    "2026-12-08 05:00:27\tScript completed.\r\n";

TEST(JobLogMisfit, TakesTheResultsIterationsAndLeavesTheRestOut)
{
    const JobLogMisfits m = parseJobLogMisfits(kLog);
    EXPECT_TRUE(m.robustWeights);
    EXPECT_EQ(m.resistivity, (std::vector<IterationMisfit>{{0, 37.87, 52.098, std::nullopt},
                                                           {1, 6.56, 1.505, std::nullopt},
                                                           {2, 4.58, 0.475, 1.210}}));
    ASSERT_TRUE(m.resistivityFinal);
    EXPECT_EQ(*m.resistivityFinal, (FinalMisfit{4.58, 0.735, 0.475}));
    EXPECT_EQ(m.ip, (std::vector<IterationMisfit>{{0, 3.2, 4.1, std::nullopt}, {1, 1.05, 0.98, std::nullopt}}));
    EXPECT_EQ(m.ipUnit, "mV/V");
    ASSERT_TRUE(m.ipFinal);
    EXPECT_EQ(*m.ipFinal, (FinalMisfit{1.05, 0.99, 0.98}));
    EXPECT_EQ(lastLogMessage(kLog), "Script completed.");
}

TEST(JobLogMisfit, OddLogs)
{
    const struct {
        const char* name;
        const char* text;
        std::size_t iterations;
        const char* last;
    } cases[] = {
        {"empty", "", 0, ""},
        {"no time stamps, LF ends", "Iteration 0: RMS 10.00 %, chi2 4.000\nIteration 1: roughness 1, RMS 5 %, chi2 1\n",
         2, "Iteration 1: roughness 1, RMS 5 %, chi2 1"},
        {"cut in the middle of a line", "x\tIteration 0: RMS 10.00 %, chi2 4.000\r\nx\tIteration 1: roughness 1, RMS", 1,
         "Iteration 1: roughness 1, RMS"},
        {"numbers that are not", "x\tIteration a: RMS 1 %, chi2 1\r\nx\tIteration 1: RMS x %, chi2 1\r\n\r\n  \r\n", 0,
         "Iteration 1: RMS x %, chi2 1"},
        {"a failed job's last word", "x\tIteration 0: RMS 1 %, chi2 1\r\nx\tJob failed: the core ended: exit status 1.\r\n",
         1, "Job failed: the core ended: exit status 1."},
    };
    for (const auto& c : cases) {
        const JobLogMisfits m = parseJobLogMisfits(c.text);
        EXPECT_EQ(m.resistivity.size(), c.iterations) << c.name;
        EXPECT_FALSE(m.resistivityFinal) << c.name;
        EXPECT_EQ(lastLogMessage(c.text), c.last) << c.name;
    }
}

}  // namespace
}  // namespace vexora
