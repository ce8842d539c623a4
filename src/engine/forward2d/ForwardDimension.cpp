#include "engine/forward2d/ForwardDimension.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace vexora {

namespace {

// The terrain along the line from a profile of (s, elevation), linear
// between its points and beyond the outermost ones.
double profileAt(const std::vector<std::pair<double, double>>& profile, double s)
{
    if (profile.size() == 1) return profile.front().second;
    auto it = std::upper_bound(profile.begin(), profile.end(), std::pair<double, double>{s, INFINITY});
    const std::size_t i = std::clamp<std::size_t>(static_cast<std::size_t>(it - profile.begin()), 1, profile.size() - 1);
    const auto& [s0, z0] = profile[i - 1];
    const auto& [s1, z1] = profile[i];
    return z0 + (s - s0) * (z1 - z0) / (s1 - s0);
}

// The reason the survey is not a line with terrain that stays the same
// across it, or "".
std::string notALine(const Survey& survey, ElectrodeLine& line)
{
    std::string why;
    switch (fitElectrodeLine(survey.electrodes, kLineTolerance, line, why)) {
    case LineFit::TooFew: return "the electrodes have fewer than two positions";
    case LineFit::OffLine: return "the electrodes do not lie on one line: " + why;
    case LineFit::OnLine: break;
    }
    // The profile: the electrodes' terrain and the topography points on the line.
    const double allowed = kLineTolerance * line.length;
    std::vector<std::pair<double, double>> profile;
    for (std::size_t row = 0; row < survey.electrodes.size(); ++row)
        if (survey.electrodes[row].type >= 0) profile.emplace_back(line.s[row], survey.electrodes[row].elevation);
    for (const TopographyPoint& t : survey.topography)
        if (offLine(line, t.x, t.y) <= allowed) profile.emplace_back(alongLine(line, t.x, t.y), t.z);
    std::sort(profile.begin(), profile.end());
    // One elevation per position: the first.
    profile.erase(std::unique(profile.begin(), profile.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
                  profile.end());
    for (std::size_t i = 0; i < survey.topography.size(); ++i) {
        const TopographyPoint& t = survey.topography[i];
        const double off = std::abs(t.z - profileAt(profile, alongLine(line, t.x, t.y)));
        if (off > allowed) {
            char text[200];
            std::snprintf(text, sizeof text,
                          "the ground varies across the line (topography point %zu lies %.3f m from the line's "
                          "profile, %.3f m allowed)",
                          i + 1, off, allowed);
            return text;
        }
    }
    return "";
}

}  // namespace

std::optional<ForwardDimension> parseForwardDimension(std::string_view word)
{
    if (word == "2") return ForwardDimension::Two;
    if (word == "3") return ForwardDimension::Three;
    if (word == "auto") return ForwardDimension::Automatic;
    return std::nullopt;
}

Status chooseForwardDimension(const Survey& survey, ForwardDimension asked, std::string_view source,
                              std::string_view refusal, MessageLog& log, std::optional<ElectrodeLine>& line)
{
    line.reset();
    if (asked == ForwardDimension::Three) return Status::Ok;
    ElectrodeLine fitted;
    const std::string why = notALine(survey, fitted);
    if (asked == ForwardDimension::Two && !why.empty())
        return log.error(source, std::string(refusal) + ": " + why + ".");
    if (asked == ForwardDimension::Automatic) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "Dimension auto: 2D, every electrode lies on one line (the farthest %.3f m off it, %.3f m "
                      "allowed).",
                      fitted.farthest, kLineTolerance * fitted.length);
        log.subWriteToTextBox((why.empty() ? std::string(text) : "Dimension auto: 3D, " + why + ".") + kLineBreak);
    }
    if (why.empty()) line = std::move(fitted);
    return Status::Ok;
}

}  // namespace vexora
