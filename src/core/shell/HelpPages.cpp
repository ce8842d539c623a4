#include "core/shell/HelpPages.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <sstream>
#include <utility>

namespace vexora {

namespace {

std::string lowered(std::string_view text)
{
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

std::vector<HelpHeading> markdownHeadings(std::string_view text)
{
    std::vector<HelpHeading> headings;
    bool fenced = false;
    std::size_t number = 0;
    for (std::size_t at = 0; at < text.size(); ++number) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.substr(0, 3) == "```") {
            fenced = !fenced;
            continue;
        }
        if (fenced) continue;
        const std::size_t hashes = line.find_first_not_of('#');
        if (hashes == 0 || hashes > 6 || hashes == std::string_view::npos || line[hashes] != ' ') continue;
        headings.push_back({static_cast<int>(hashes), std::string(line.substr(hashes + 1)), number});
    }
    return headings;
}

std::vector<HelpHit> searchHelp(const std::vector<HelpPage>& pages, std::string_view query, std::size_t limit)
{
    std::vector<std::string> words;
    std::istringstream split{lowered(query)};
    for (std::string w; split >> w;) words.push_back(w);
    std::vector<HelpHit> hits;
    if (words.empty()) return hits;
    for (std::size_t p = 0; p < pages.size() && hits.size() < limit; ++p) {
        const std::vector<HelpHeading> headings = markdownHeadings(pages[p].text);
        // Section k runs from heading k's line to heading k+1's; section 0
        // is the text before the first heading.
        std::vector<std::string> sections(headings.size() + 1);
        std::size_t section = 0, line = 0;
        std::istringstream lines(pages[p].text);
        for (std::string text; std::getline(lines, text); ++line) {
            while (section < headings.size() && headings[section].line == line) ++section;
            sections[section] += lowered(text) + '\n';
        }
        for (std::size_t s = 0; s < sections.size() && hits.size() < limit; ++s)
            if (std::all_of(words.begin(), words.end(),
                            [&](const std::string& w) { return sections[s].find(w) != std::string::npos; }))
                hits.push_back({p, s == 0 ? pages[p].title : headings[s - 1].text});
    }
    return hits;
}

std::optional<HelpTopic> helpTopicFor(std::string_view windowName)
{
    static const std::array<std::pair<std::string_view, HelpTopic>, 6> kTopics = {{
        {"PseudoPlots", {"Vexora", "Data quality: reciprocals, histograms and pseudosections"}},
        {"frmPlots", {"Vexora", "Data quality: reciprocals, histograms and pseudosections"}},
        {"Reciprocals", {"Vexora", "Data quality: reciprocals, histograms and pseudosections"}},
        {"InvWork", {"Vexora", "A first inversion"}},
        {"Form_FileOpen", {"Vexora", "Importing instrument files"}},
        {"frmPath", {"Vexora", "External programs"}},
    }};
    for (const auto& [name, topic] : kTopics)
        if (name == windowName) return topic;
    return std::nullopt;
}

}  // namespace vexora
