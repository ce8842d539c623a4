#include <gtest/gtest.h>

#include "core/shell/HelpPages.h"

namespace vexora {
namespace {

const std::string kPage = "# Title\r\nIntro words.\r\n## Meshes\r\nThe mesh follows the terrain.\r\n```\r\n# not a "
                          "heading\r\n```\r\n### Padding\r\nPads grow outward; the MESH ends.\r\n#NoSpace\r\n";

TEST(HelpPages, HeadingsSearchAndTopics)
{
    const std::vector<HelpHeading> headings = markdownHeadings(kPage);
    ASSERT_EQ(headings.size(), 3u);
    EXPECT_EQ(headings[1].text, "Meshes");
    EXPECT_EQ(headings[1].level, 2);
    EXPECT_EQ(headings[2].text, "Padding");
    EXPECT_EQ(headings[2].line, 7u);

    const std::vector<HelpPage> pages = {{"Title", kPage}, {"Other", "# Other\nnothing of meshes here\n"}};
    const struct {
        const char* query;
        std::vector<std::pair<std::size_t, std::string>> hits;
    } cases[] = {
        {"mesh", {{0, "Meshes"}, {0, "Padding"}, {1, "Other"}}},  // any case, inside longer words
        {"mesh terrain", {{0, "Meshes"}}},                         // every word in one section
        {"intro", {{0, "Title"}}},
        {"nowhere", {}},
        {"   ", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::pair<std::size_t, std::string>> found;
        for (const HelpHit& h : searchHelp(pages, c.query)) found.emplace_back(h.page, h.heading);
        EXPECT_EQ(found, c.hits) << c.query;
    }
    EXPECT_EQ(helpTopicFor("PseudoPlots")->heading, "Data quality: reciprocals, histograms and pseudosections");
    EXPECT_FALSE(helpTopicFor("lstConfig").has_value());
}

}  // namespace
}  // namespace vexora
