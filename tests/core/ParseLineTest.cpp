#include <gtest/gtest.h>

#include "core/settings/ParseLine.h"

using vexora::classParseLine;

namespace {

std::vector<std::string> tokensOf(classParseLine& p, std::string_view line)
{
    p.AddLine(line);
    std::vector<std::string> tokens;
    for (int k = 1; k <= p.Number(); ++k) {
        p.SetIndex(k);
        tokens.push_back(p.Text());
    }
    return tokens;
}

}  // namespace

TEST(ParseLine, SplitsOnRunsOfDefaultSeparators)
{
    using V = std::vector<std::string>;
    const std::pair<std::string, V> cases[] = {
        {"  x  ", {"x"}},
        {"", {}},
        {",", {}},
        {" 2, 3 ", {"2", "3"}},
        {"a,,b", {"a", "b"}},
        {"a  b", {"a", "b"}},
        {"a , b", {"a", "b"}},
        {"a\tb\r", {"a", "b"}},
        {"a\nb c", {"a\nb", "c"}},  // a line feed is not a separator
        {",,1,2,,", {"1", "2"}},
    };
    for (const auto& [line, expected] : cases) {
        classParseLine p;
        EXPECT_EQ(tokensOf(p, line), expected) << '"' << line << '"';
    }
}

TEST(ParseLine, EqualsSignAddedSplitsTagLines)
{
    classParseLine p;
    ASSERT_TRUE(p.AddParseChar("="));
    EXPECT_EQ(tokensOf(p, "#elec_x_col= 3"), (std::vector<std::string>{"#elec_x_col", "3"}));
    // Separators longer than one character never match.
    classParseLine q;
    q.AddParseChar("ab");
    EXPECT_EQ(tokensOf(q, "xaby"), (std::vector<std::string>{"xaby"}));
}

TEST(ParseLine, IndexIsClamped)
{
    classParseLine p;
    p.AddLine("a b c");
    p.SetIndex(0);
    EXPECT_EQ(p.Text(), "a");
    p.SetIndex(-7);
    EXPECT_EQ(p.Text(), "a");
    p.SetIndex(9);
    EXPECT_EQ(p.Index(), 3);
    EXPECT_EQ(p.Text(), "c");
    p.AddLine("");  // index drops to Number
    for (int k : {-1, 0, 1, 5}) {
        p.SetIndex(k);
        EXPECT_EQ(p.Index(), 0);
        EXPECT_EQ(p.Text(), "");
    }
}

TEST(ParseLine, SeparatorListHoldsAtMost255)
{
    classParseLine p;
    for (int i = 0; i < 251; ++i) ASSERT_TRUE(p.AddParseChar(";")) << i;
    EXPECT_EQ(p.SeparatorCount(), 255);
    EXPECT_FALSE(p.AddParseChar(":"));
    EXPECT_EQ(p.SeparatorCount(), 255);
    EXPECT_EQ(tokensOf(p, "a:b"), (std::vector<std::string>{"a:b"}));
    p.Defaults();
    EXPECT_EQ(p.SeparatorCount(), 4);
}

TEST(ParseLine, LongLinesAndManyTokens)
{
    classParseLine p;
    std::string wide(100000, 'x');
    p.AddLine(wide);
    ASSERT_EQ(p.Number(), 1);
    EXPECT_EQ(p.View(1).size(), 100000u);

    std::string many;
    for (int i = 1; i <= 20000; ++i) many += std::to_string(i) + ",";
    p.AddLine(many);
    ASSERT_EQ(p.Number(), 20000);
    EXPECT_EQ(p.View(1), "1");
    EXPECT_EQ(p.View(12345), "12345");
    EXPECT_EQ(p.View(20000), "20000");
}

TEST(ParseLine, FillFunctionsAndFileStem)
{
    classParseLine p;
    p.AddParseChar("=");
    EXPECT_EQ(vexora::dDataFill(p, " 1.5, -2 x 3e2 "), (std::vector<double>{1.5, -2, 0, 300}));
    EXPECT_EQ(p.SeparatorCount(), 4);  // defaults restored
    EXPECT_EQ(vexora::iDataFill(p, "0.5 1.5 2.5 -2.5 2.6"), (std::vector<int>{0, 2, 2, -2, 3}));
    EXPECT_EQ(vexora::FileStem(" survey.A.data"), "survey");
    EXPECT_EQ(vexora::FileStem("..."), "");
}
