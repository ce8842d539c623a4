#include "core/jobs/JobLogMisfit.h"

#include <charconv>

namespace vexora {

namespace {

// The message of one log line: after the time stamp's tab, without the CR.
std::string_view messageOf(std::string_view line)
{
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (const std::size_t tab = line.find('\t'); tab != std::string_view::npos) line.remove_prefix(tab + 1);
    return line;
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// The number right after the first `label` from `from` on; `from` moves past it.
std::optional<double> numberAfter(std::string_view text, std::string_view label, std::size_t& from)
{
    const std::size_t at = text.find(label, from);
    if (at == std::string_view::npos) return std::nullopt;
    const char* first = text.data() + at + label.size();
    double value = 0;
    const auto [end, error] = std::from_chars(first, text.data() + text.size(), value);
    if (error != std::errc()) return std::nullopt;
    from = static_cast<std::size_t>(end - text.data());
    return value;
}

// "N: [roughness L, ]RMS X UNIT, chi2 Y[ (data reweighted: chi2 Z before the step)]".
std::optional<IterationMisfit> iterationLine(std::string_view rest, std::string* unit)
{
    IterationMisfit m;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), m.iteration);
    if (error != std::errc() || end == rest.data() + rest.size() || *end != ':') return std::nullopt;
    std::size_t at = 0;
    const std::optional<double> rms = numberAfter(rest, ": RMS ", at);
    const std::optional<double> rmsAfterRoughness = rms ? rms : numberAfter(rest, ", RMS ", at);
    if (!rmsAfterRoughness) return std::nullopt;
    m.rms = *rmsAfterRoughness;
    const std::size_t unitEnd = rest.find(',', at);
    if (unitEnd == std::string_view::npos) return std::nullopt;
    if (unit && unit->empty() && unitEnd > at + 1) *unit = std::string(rest.substr(at + 1, unitEnd - at - 1));
    const std::optional<double> chi2 = numberAfter(rest, "chi2 ", at);
    if (!chi2) return std::nullopt;
    m.chi2 = *chi2;
    if (rest.find("(data reweighted: chi2 ", at) != std::string_view::npos)
        m.chi2BeforeStep = numberAfter(rest, "(data reweighted: chi2 ", at);
    return m;
}

// "unweighted RMS X UNIT, chi2 Y; weighted [RMS X %, ]chi2 Z".
std::optional<FinalMisfit> finalLine(std::string_view rest)
{
    FinalMisfit f;
    std::size_t at = 0;
    const std::optional<double> rms = numberAfter(rest, "unweighted RMS ", at);
    const std::optional<double> plain = rms ? numberAfter(rest, "chi2 ", at) : std::nullopt;
    if (!plain) return std::nullopt;
    const std::size_t weighted = rest.find("; weighted ", at);
    if (weighted == std::string_view::npos) return std::nullopt;
    at = weighted;
    const std::optional<double> chi2 = numberAfter(rest, "chi2 ", at);
    if (!chi2) return std::nullopt;
    f.unweightedRms = *rms;
    f.unweightedChi2 = *plain;
    f.weightedChi2 = *chi2;
    return f;
}

}  // namespace

JobLogMisfits parseJobLogMisfits(std::string_view text)
{
    JobLogMisfits misfits;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = messageOf(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (startsWith(line, "Inversion: ")) {
            misfits.robustWeights = line.find(", robust,") != std::string_view::npos;
        } else if (startsWith(line, "Iteration ")) {
            if (misfits.resistivityFinal) continue;  // a depth-of-investigation run
            if (auto m = iterationLine(line.substr(10), nullptr)) misfits.resistivity.push_back(*m);
        } else if (startsWith(line, "IP iteration ")) {
            if (misfits.ipFinal) continue;
            if (auto m = iterationLine(line.substr(13), &misfits.ipUnit)) misfits.ip.push_back(*m);
        } else if (startsWith(line, "Final misfit: ")) {
            if (!misfits.resistivityFinal) misfits.resistivityFinal = finalLine(line.substr(14));
        } else if (startsWith(line, "Final IP misfit: ")) {
            if (!misfits.ipFinal) misfits.ipFinal = finalLine(line.substr(17));
        }
    }
    return misfits;
}

std::string lastLogMessage(std::string_view text)
{
    std::string_view last;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = messageOf(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.find_first_not_of(" \t") != std::string_view::npos) last = line;
    }
    return std::string(last);
}

}  // namespace vexora
