#pragma once
// The built-in help: the project's Markdown documents, their headings as a
// table of contents, a word search over their sections, and the section
// each window's F1 opens.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexora {

struct HelpPage {
    std::string title;
    std::string text;  // Markdown
};

struct HelpHeading {
    int level = 1;  // number of '#'
    std::string text;
    std::size_t line = 0;  // 0-based
};

// ATX headings ("## Text"), those inside fenced code blocks left out.
std::vector<HelpHeading> markdownHeadings(std::string_view text);

struct HelpHit {
    std::size_t page = 0;
    std::string heading;  // the section's heading; the page title before the first
};

// The sections (a heading to the next) holding every word of `query`,
// ignoring case, in page and reading order; at most `limit`.
std::vector<HelpHit> searchHelp(const std::vector<HelpPage>& pages, std::string_view query, std::size_t limit = 50);

struct HelpTopic {
    std::string page;     // a page title
    std::string heading;  // a heading on it, or "" for its top
};

// The section F1 opens for the window of that object name, if it has one.
std::optional<HelpTopic> helpTopicFor(std::string_view windowName);

}  // namespace vexora
