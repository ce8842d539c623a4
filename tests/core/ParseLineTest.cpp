#include <gtest/gtest.h>

#include "settings/ParseLine.h"

using vexora::classParseLine;

TEST(ParseLine, Placeholder) { classParseLine p; p.AddLine("  x  "); EXPECT_EQ(p.Number(), 1); }
