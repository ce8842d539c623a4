#include "core/import/text/TextInstruments.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <unordered_map>

#include "core/import/schedule/ScheduleExtraction.h"
#include "core/import/text/ImportLines.h"
#include "core/settings/LenientNumber.h"
#include "core/settings/NumberText.h"
#include "core/settings/ParseLine.h"

namespace vexora {

namespace {

const char* sourceOf(TextInstrument format)
{
    switch (format) {
    case TextInstrument::Ares: return "funARESImport";
    case TextInstrument::Mae: return "funMAEImport";
    case TextInstrument::Pasi: return "funPASIImport";
    case TextInstrument::Siber: return "funSIBERImport";
    }
    return "";
}

// Where a format keeps its fields (tokens counted from 1; 0: not in the file).
struct TokenLayout {
    int firstPole;   // A; B, M, N follow
    int v, i, q, m;  // m is optional: read only when the line holds it
    int needed;      // tokens a measurement line must have
    double valueScale;
    int numberOffset;  // added to the electrode numbers read
};

TokenLayout layoutOf(TextInstrument format)
{
    switch (format) {
    case TextInstrument::Ares: return {1, 7, 6, 10, 11, 10, 1.0, 1};
    case TextInstrument::Mae: return {2, 7, 6, 10, 11, 10, 1.0, 0};
    case TextInstrument::Pasi: return {1, 6, 7, 0, 0, 7, 1000.0, 0};
    case TextInstrument::Siber: return {2, 8, 9, 10, 7, 10, 1.0, 0};
    }
    return {};
}

// Largest value a token may hold: scaled by 1000 it still fits a float.
constexpr double kLargestValue = 1e30;

// Lenient number of token k, or false (with the reason) when the token is
// absent or does not start with a number.
bool numberAt(const classParseLine& t, int k, double& value, std::string& why)
{
    bool found = false;
    value = lenientNumber(t.View(k), found);
    if (!found || !std::isfinite(value)) {
        why = "token " + std::to_string(k) + " \"" + std::string(t.View(k).substr(0, 40)) + "\" is not a number";
        return false;
    }
    // Values are kept in single precision, as the instruments write them.
    if (std::fabs(value) > kLargestValue) {
        why = "token " + std::to_string(k) + " \"" + std::string(t.View(k).substr(0, 40)) + "\" is out of range";
        return false;
    }
    return true;
}

bool isMeasurementLine(TextInstrument format, const classParseLine& t, std::size_t lineNumber, std::size_t lineCount)
{
    switch (format) {
    case TextInstrument::Ares: return lineNumber >= 17 && t.Number() > 4;
    case TextInstrument::Mae: {
        const double first = lenientNumber(t.View(1));
        return t.Number() > 0 && first >= 1 && first <= static_cast<double>(lineCount);
    }
    case TextInstrument::Pasi: return t.Number() >= 3 && lenientNumber(t.View(1)) != 0.0;
    case TextInstrument::Siber: return lineNumber > 1 && t.Number() >= 5;
    }
    return false;
}

// Keeps each position unless one within 1e-6 is kept already; buckets of
// that width make the test independent of how many are kept.
std::vector<double> distinctPositions(const std::vector<double>& positions)
{
    constexpr double kTolerance = 1e-6;
    std::vector<double> kept;
    std::unordered_map<long long, std::vector<double>> buckets;
    for (double p : positions) {
        // Positions beyond 9e12 m share the edge buckets: their distances are
        // still compared exactly, and the cast stays within long long.
        const double bucket = std::floor(p / kTolerance);
        const auto b = bucket > -9e18 ? (bucket < 9e18 ? static_cast<long long>(bucket) : 9'000'000'000'000'000'000LL)
                                      : -9'000'000'000'000'000'000LL;
        bool near = false;
        for (long long c = b - 1; c <= b + 1 && !near; ++c) {
            auto it = buckets.find(c);
            if (it == buckets.end()) continue;
            for (double q : it->second)
                if (std::fabs(q - p) < kTolerance) near = true;
        }
        if (near) continue;
        buckets[b].push_back(p);
        kept.push_back(p);
    }
    std::vector<double> keys(kept.size() + 1);
    std::copy(kept.begin(), kept.end(), keys.begin() + 1);
    std::vector<std::int32_t> order, rank;
    subSortDoubleWithIndex(keys, order, rank);
    return std::vector<double>(keys.begin() + 1, keys.end());
}

}  // namespace

ImportStatus parseTextInstrument(TextInstrument format, const std::vector<std::string_view>& lines,
                                 std::string_view fileName, ImportSet& set, MessageLog& log)
{
    set.clear();
    const char* source = sourceOf(format);
    const TokenLayout layout = layoutOf(format);
    classParseLine t;
    t.Defaults();
    if (format == TextInstrument::Ares || format == TextInstrument::Mae) t.AddParseChar("\"");
    if (format == TextInstrument::Pasi) t.AddParseChar("=");

    double spacing = 0.0;
    std::int32_t largest = 0;
    std::vector<double> positions;  // Siber-48: A, B, M, N positions of each kept line
    SkippedLines skipped(source, std::string(fileName), log);
    set.quadrupoles.reserve(lines.size());
    set.values.reserve(lines.size());

    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::size_t lineNumber = k + 1;
        t.AddLine(lines[k]);
        if (format == TextInstrument::Ares && lineNumber == 11) spacing = lenientNumber(t.View(2));
        if (format == TextInstrument::Mae && t.View(1) == "intervallo:") spacing = lenientNumber(t.View(2));
        if (format == TextInstrument::Pasi && t.View(1) == "a[m]") spacing = lenientNumber(t.View(2));
        if (!isMeasurementLine(format, t, lineNumber, lines.size())) continue;

        if (t.Number() < layout.needed) {
            skipped.add(lineNumber, std::to_string(t.Number()) + " tokens, " + std::to_string(layout.needed) + " needed");
            continue;
        }
        std::string why;
        double pole[4], v, i, q = 0, m = 0;
        bool ok = true;
        for (int p = 0; p < 4 && ok; ++p) ok = numberAt(t, layout.firstPole + p, pole[p], why);
        ok = ok && numberAt(t, layout.v, v, why) && numberAt(t, layout.i, i, why);
        if (ok && layout.q > 0) ok = numberAt(t, layout.q, q, why);
        if (ok && layout.m > 0 && t.Number() >= layout.m) ok = numberAt(t, layout.m, m, why);
        if (!ok) {
            skipped.add(lineNumber, why);
            continue;
        }
        ImportQuadrupole quad{};
        if (format != TextInstrument::Siber) {
            for (int p = 0; p < 4 && ok; ++p) {
                // Written so that NaN fails too; a number beyond every
                // integer type is printed as a double.
                const double number = std::nearbyint(pole[p]) + layout.numberOffset;
                if (!(number >= 1 && number <= kMaxTextElectrodeNumber)) {
                    const double read = std::nearbyint(pole[p]);
                    why = "electrode number " +
                          (std::abs(read) < 1e15 ? std::to_string(static_cast<long long>(read)) : formatNumber(read)) +
                          " for " + std::string(1, "ABMN"[p]) + ", expected " + std::to_string(1 - layout.numberOffset) + " to " +
                          std::to_string(kMaxTextElectrodeNumber - layout.numberOffset);
                    ok = false;
                    break;
                }
                quad[static_cast<std::size_t>(p)] = roundHalfEven(pole[p]) + layout.numberOffset;
                largest = std::max(largest, quad[static_cast<std::size_t>(p)]);
            }
            if (!ok) {
                skipped.add(lineNumber, why);
                continue;
            }
        } else {
            positions.insert(positions.end(), pole, pole + 4);
        }
        set.quadrupoles.push_back(quad);
        set.values.push_back({static_cast<float>(v * layout.valueScale), static_cast<float>(i * layout.valueScale),
                              static_cast<float>(q), static_cast<float>(m)});
    }
    skipped.report();
    if (set.quadrupoles.empty()) {
        log.logError(source, std::string(fileName) + ": no measurement line found.");
        set.clear();
        return ImportStatus::Failed;
    }

    if (format != TextInstrument::Siber) {
        set.electrodes.reserve(static_cast<std::size_t>(largest));
        for (std::int32_t e = 1; e <= largest; ++e) set.electrodes.push_back({e, (e - 1) * spacing, 0.0, 0.0});
        return ImportStatus::Ok;
    }
    // Siber-48: electrodes at the distinct positions, numbered along x; a pole
    // must sit exactly on one of them, otherwise it is absent.
    const std::vector<double> distinct = distinctPositions(positions);
    std::unordered_map<std::uint64_t, std::int32_t> numberAt;
    numberAt.reserve(distinct.size());
    for (std::size_t e = 0; e < distinct.size(); ++e) {
        set.electrodes.push_back({static_cast<std::int32_t>(e + 1), distinct[e], 0.0, 0.0});
        numberAt.emplace(std::bit_cast<std::uint64_t>(distinct[e] + 0.0), static_cast<std::int32_t>(e + 1));
    }
    for (std::size_t k = 0; k < set.quadrupoles.size(); ++k)
        for (std::size_t p = 0; p < 4; ++p) {
            auto it = numberAt.find(std::bit_cast<std::uint64_t>(positions[4 * k + p] + 0.0));
            set.quadrupoles[k][p] = it == numberAt.end() ? 0 : it->second;
        }
    return ImportStatus::Ok;
}

namespace {

ImportStatus importText(TextInstrument format, const std::filesystem::path& path, ImportSet& set, MessageLog& log)
{
    set.clear();
    set.sourceFile = path.string();
    ImportText text;
    if (readImportLines(path, sourceOf(format), text, log) != ImportStatus::Ok) return ImportStatus::Failed;
    return parseTextInstrument(format, text.lines, path.string(), set, log);
}

}  // namespace

ImportStatus funARESImport(const std::filesystem::path& path, ImportSet& set, MessageLog& log)
{
    return importText(TextInstrument::Ares, path, set, log);
}
ImportStatus funMAEImport(const std::filesystem::path& path, ImportSet& set, MessageLog& log)
{
    return importText(TextInstrument::Mae, path, set, log);
}
ImportStatus funPASIImport(const std::filesystem::path& path, ImportSet& set, MessageLog& log)
{
    return importText(TextInstrument::Pasi, path, set, log);
}
ImportStatus funSIBERImport(const std::filesystem::path& path, ImportSet& set, MessageLog& log)
{
    return importText(TextInstrument::Siber, path, set, log);
}

}  // namespace vexora
