#include "core/import/text/Ares2dm.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "core/import/text/ImportLines.h"
#include "core/import/text/TextFields.h"
#include "core/import/text/TextInstruments.h"

namespace vexora {

namespace {

constexpr const char* kSource = "funAres2dmImport";

// The number after "<key>:" (or after `key` anywhere in the line), or NaN.
double numberAfter(std::string_view line, std::string_view key)
{
    const std::size_t at = line.find(key);
    if (at == std::string_view::npos) return NAN;
    std::vector<std::string_view> words;
    splitFields(line.substr(at + key.size()), ' ', words);
    double value;
    return !words.empty() && fieldNumber(words[0], value) ? value : NAN;
}

// "14" or "14*1": the electrode counted from 0.
bool electrodeIndex(std::string_view field, long long& index)
{
    field = trimBlanks(field);
    const std::size_t star = field.find('*');
    if (star != std::string_view::npos) field = field.substr(0, star);
    if (field.empty()) return false;
    const auto [ptr, ec] = std::from_chars(field.data(), field.data() + field.size(), index);
    return ec == std::errc() && ptr == field.data() + field.size();
}

}  // namespace

ImportStatus parseAres2dm(const std::vector<std::string_view>& lines, std::string_view fileName, double spacing,
                          ImportSet& set, MessageLog& log)
{
    set.clear();
    ImportSet out;  // handed over whole, so a refused file leaves nothing
    double headerSpacing = NAN, firstPosition = 0;
    std::vector<double> windowLengths;
    std::size_t dataLine = 0;  // the line after "Measured data:"
    std::vector<std::string_view> fields;
    for (std::size_t k = 0; k < lines.size() && dataLine == 0; ++k) {
        const std::string_view line = lines[k];
        if (line.starts_with("Electrode distance:")) headerSpacing = numberAfter(line, ":");
        if (line.find("layed from") != std::string_view::npos) {
            const double from = numberAfter(line, "layed from");
            if (std::isfinite(from)) firstPosition = from;
        }
        if (line.starts_with("IP windows:")) {
            splitFields(line.substr(11), ' ', fields);
            windowLengths.clear();
            for (std::string_view f : fields) {
                double length;
                if (fieldNumber(f, length)) windowLengths.push_back(length);
            }
        }
        if (trimBlanks(line) == "Measured data:") dataLine = k + 2;
    }
    if (dataLine == 0)
        return refuseLine(log, kSource, fileName, 1,
                          lines.empty() ? std::string("the file is empty") : "no \"Measured data:\" line");
    if (dataLine > lines.size())
        return refuseLine(log, kSource, fileName, dataLine - 1, "no column header after \"Measured data:\"");
    if (!(spacing > 0)) spacing = headerSpacing;
    if (!(spacing > 0) || !std::isfinite(spacing))
        return refuseLine(log, kSource, fileName, 1,
                          "no \"Electrode distance:\" in the header; the electrode spacing must be given");

    splitFields(lines[dataLine - 1], '\t', fields);
    int pole[4] = {-1, -1, -1, -1}, current = -1, potential = -1, deviation = -1;
    std::vector<int> windows;
    static constexpr std::string_view kPoleNames[4] = {"C1[el]", "C2[el]", "P1[el]", "P2[el]"};
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const std::string_view name = trimBlanks(fields[k]);
        const int col = static_cast<int>(k);
        for (int p = 0; p < 4; ++p)
            if (name == kPoleNames[p]) pole[p] = col;
        if (name == "I[mA]") current = col;
        if (name == "U[mV]") potential = col;
        if (name == "St-dev[%]") deviation = col;
        if (name.starts_with("IP") && name.ends_with("[%]")) windows.push_back(col);
    }
    if (std::any_of(pole, pole + 4, [](int c) { return c < 0; }) || current < 0 || potential < 0)
        return refuseLine(log, kSource, fileName, dataLine - 1,
                          "the column header lacks C1[el], C2[el], P1[el], P2[el], I[mA] or U[mV]");
    if (windowLengths.size() != windows.size()) windowLengths.assign(windows.size(), 1.0);
    double totalLength = 0;
    for (double length : windowLengths) totalLength += length;
    int needed = std::max({current, potential, deviation, *std::max_element(pole, pole + 4)}) + 1;
    if (!windows.empty()) needed = std::max(needed, windows.back() + 1);

    std::int32_t largest = 0;
    out.quadrupoles.reserve(lines.size() - dataLine);
    out.values.reserve(lines.size() - dataLine);
    for (std::size_t k = dataLine; k < lines.size(); ++k) {
        const std::size_t lineNumber = k + 1;
        if (isBlankLine(lines[k], '\t')) continue;
        splitFields(lines[k], '\t', fields);
        if (static_cast<int>(fields.size()) < needed)
            return refuseLine(log, kSource, fileName, lineNumber,
                              std::to_string(fields.size()) + " fields, " + std::to_string(needed) + " expected");
        ImportQuadrupole quad{};
        for (int p = 0; p < 4; ++p) {
            long long index;
            const std::string_view field = fields[static_cast<std::size_t>(pole[p])];
            if (!electrodeIndex(field, index))
                return refuseLine(log, kSource, fileName, lineNumber,
                                  "the " + std::string(kPoleNames[p]) + " field " + quotedField(field) +
                                      " is not an electrode number");
            if (index < 0 || index >= kMaxTextElectrodeNumber)
                return refuseLine(log, kSource, fileName, lineNumber,
                                  "electrode number " + std::to_string(index) + " for " + std::string(kPoleNames[p]) +
                                      ", expected 0 to " + std::to_string(kMaxTextElectrodeNumber - 1));
            quad[static_cast<std::size_t>(p)] = static_cast<std::int32_t>(index + 1);
            largest = std::max(largest, quad[static_cast<std::size_t>(p)]);
        }
        double i, v, dev = 0, m = 0;
        auto bad = [&](int col) {
            return refuseLine(log, kSource, fileName, lineNumber,
                              "the field " + quotedField(fields[static_cast<std::size_t>(col)]) + " of column " +
                                  std::to_string(col + 1) + " is not a number");
        };
        if (!fieldNumber(fields[static_cast<std::size_t>(current)], i)) return bad(current);
        if (!fieldNumber(fields[static_cast<std::size_t>(potential)], v)) return bad(potential);
        if (deviation >= 0 && !fieldNumber(fields[static_cast<std::size_t>(deviation)], dev)) return bad(deviation);
        for (std::size_t w = 0; w < windows.size(); ++w) {
            double value;
            if (!fieldNumber(fields[static_cast<std::size_t>(windows[w])], value)) return bad(windows[w]);
            m += value * windowLengths[w];
        }
        // Per cent to mV/V.
        if (totalLength > 0) m = m / totalLength * 10.0;
        const ImportValue value{static_cast<float>(v), static_cast<float>(i), static_cast<float>(dev),
                                static_cast<float>(m)};
        if (!std::isfinite(value.v) || !std::isfinite(value.i) || !std::isfinite(value.q) || !std::isfinite(value.m))
            return refuseLine(log, kSource, fileName, lineNumber, "a value is beyond single precision");
        out.quadrupoles.push_back(quad);
        out.values.push_back(value);
    }
    if (out.quadrupoles.empty())
        return refuseLine(log, kSource, fileName, dataLine, "no measurement follows the column header");
    out.electrodes.reserve(static_cast<std::size_t>(largest));
    for (std::int32_t e = 1; e <= largest; ++e)
        out.electrodes.push_back({e, firstPosition + (e - 1) * spacing, 0.0, 0.0});
    set = std::move(out);
    return ImportStatus::Ok;
}

ImportStatus funAres2dmImport(const std::filesystem::path& path, double spacing, ImportSet& set, MessageLog& log)
{
    set.clear();
    ImportText text;
    if (readImportLines(path, kSource, text, log) != ImportStatus::Ok) return ImportStatus::Failed;
    const ImportStatus status = parseAres2dm(text.lines, path.string(), spacing, set, log);
    set.sourceFile = path.string();
    return status;
}

}  // namespace vexora
