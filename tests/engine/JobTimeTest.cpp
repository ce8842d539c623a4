#include <gtest/gtest.h>

#include "engine/script/JobTime.h"

namespace vexora {
namespace {

TEST(JobTime, ElapsedAndRemainingText)
{
    struct Case {
        double elapsed;
        int percent;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, "Elapsed 0:00, estimating the time left..."},
        {3.4, 2, "Elapsed 0:03, estimating the time left..."},
        {30, 3, "Elapsed 0:30, about 16:10 left"},  // 30 * 97 / 3 = 970 s
        {65, 50, "Elapsed 1:05, about 1:05 left"},
        {90, 75, "Elapsed 1:30, about 0:30 left"},
        {3599.6, 99, "Elapsed 1:00:00, about 0:36 left"},
        {3725, 25, "Elapsed 1:02:05, about 3:06:15 left"},
        {327.7, 100, "Elapsed 5:28"},
        {-1, 40, "Elapsed 0:00, about 0:00 left"},
    };
    for (const Case& c : cases) EXPECT_EQ(jobTimeText(c.elapsed, c.percent), c.text) << c.elapsed << " s, " << c.percent;
}

}  // namespace
}  // namespace vexora
