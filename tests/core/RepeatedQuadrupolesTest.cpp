#include <gtest/gtest.h>

#include "core/import/tables/RepeatedQuadrupoles.h"

namespace {

using namespace vexora;

MessageLog quietLog() { return MessageLog([] { return std::string("DATE"); }); }

TEST(RepeatedQuadrupoles, RepeatsThatDisagreeAreNamed)
{
    struct Case {
        const char* what;
        ImportQuadrupole repeat;
        float v;
        bool named;
    };
    // The first reading: A 1, B 2, M 4, N 5, V/I = 10 / 5 = 2.
    const Case cases[] = {
        {"same poles within the factor", {1, 2, 4, 5}, 10.5f, false},
        {"same poles beyond the factor", {1, 2, 4, 5}, 30.0f, true},
        {"a smaller value beyond the factor", {1, 2, 4, 5}, 5.0f, true},
        {"current pair swapped, sign changed", {2, 1, 4, 5}, -10.2f, false},
        {"both pairs swapped", {2, 1, 5, 4}, 9.8f, false},
        {"potential pair swapped, same sign", {1, 2, 5, 4}, 10.0f, true},
        {"the reciprocal is no repeat", {4, 5, 1, 2}, 40.0f, false},
        {"another quadrupole", {1, 2, 5, 6}, 40.0f, false},
        {"no current: not compared", {1, 2, 4, 5}, 0.0f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ImportSet set;
        set.quadrupoles = {{1, 2, 4, 5}, {3, 4, 6, 7}, c.repeat};
        set.values = {{10, 5}, {1, 5}, {c.v, c.v == 0.0f ? 0.0f : 5.0f}};
        const std::vector<DisagreeingRepeat> found = findDisagreeingRepeats(set, kRepeatDisagreementFactor);
        ASSERT_EQ(found.size(), c.named ? 1u : 0u);
        MessageLog log = quietLog();
        warnAboutDisagreeingRepeats(set, kRepeatDisagreementFactor, log);
        if (!c.named) {
            EXPECT_EQ(log.plainText().find("repeated"), std::string::npos);
            continue;
        }
        EXPECT_EQ(found[0].row, 2u);
        EXPECT_EQ(found[0].first, 0u);
        EXPECT_NE(log.plainText().find("Warning: 1 repeated quadrupoles differ from their first reading by more "
                                       "than a factor 1.1"),
                  std::string::npos) << log.plainText();
        EXPECT_NE(log.plainText().find("Records: 3 (of 1, ratio "), std::string::npos) << log.plainText();
    }
}

}  // namespace
