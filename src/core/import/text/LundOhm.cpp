#include "core/import/text/LundOhm.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <string>

#include "core/import/GeometricFactor.h"
#include "core/import/tables/ImportFill.h"
#include "core/import/text/ImportLines.h"
#include "core/import/text/PositionedRecords.h"
#include "core/import/text/TextFields.h"
#include "core/import/text/TextInstruments.h"
#include "core/settings/NumberText.h"

namespace vexora {

namespace {

constexpr const char* kSource = "funOhmImport";
constexpr std::size_t kHeaderLines = 5;
// The current the resistances are expressed with: the file gives none.
constexpr double kNominalCurrent = 1000.0;

bool firstNumber(std::string_view line, double& value)
{
    std::vector<std::string_view> words;
    splitFields(line, ' ', words);
    return !words.empty() && fieldNumber(words[0], value);
}

// "<count> <kind>": a block's opening line.
bool isBlockLine(const std::vector<std::string_view>& words, long long& count, int& kind)
{
    if (words.size() != 2) return false;
    double c, k;
    if (!fieldNumber(words[0], c) || !fieldNumber(words[1], k)) return false;
    if (c < 0 || c > 1e9 || c != std::floor(c) || (k != 0 && k != 1)) return false;
    count = static_cast<long long>(c);
    kind = static_cast<int>(k);
    return true;
}

// Electrodes per line from a protocol name "3D<a>X<b>", or 0.
int lineElectrodesOf(std::string_view name)
{
    if (name.size() < 3 || std::toupper(static_cast<unsigned char>(name[0])) != '3' ||
        std::toupper(static_cast<unsigned char>(name[1])) != 'D')
        return 0;
    int a = 0;
    const auto [ptr, ec] = std::from_chars(name.data() + 2, name.data() + name.size(), a);
    if (ec != std::errc() || ptr == name.data() + name.size() || (*ptr != 'X' && *ptr != 'x')) return 0;
    return a > 0 ? a : 0;
}

struct OhmRow {
    double pole[4];
    double value, deviation;
    std::size_t line;
};

}  // namespace

ImportStatus parseOhm(const std::vector<std::string_view>& lines, std::string_view fileName,
                      const OhmOptions& options, ImportSet& set, MessageLog& log)
{
    set.clear();
    if (lines.size() < kHeaderLines)
        return refuseLine(log, kSource, fileName, std::max<std::size_t>(lines.size(), 1),
                          "the file ends inside the five header lines");
    double firstStation, spacing;
    if (!firstNumber(lines[1], firstStation))
        return refuseLine(log, kSource, fileName, 2, "the first station coordinate is not a number");
    if (!firstNumber(lines[3], spacing))
        return refuseLine(log, kSource, fileName, 4, "the electrode take-out spacing is not a number");
    if (options.spacing > 0) spacing = options.spacing;

    std::vector<std::string_view> words;
    int lineElectrodes = options.lineElectrodes;
    bool threeD = lineElectrodes > 0;
    std::vector<OhmRow> rows;
    rows.reserve(lines.size());
    int kind = -1;
    std::size_t k = kHeaderLines;
    // The protocol names, up to the first block.
    long long count = 0;
    for (; k < lines.size(); ++k) {
        splitFields(lines[k], ' ', words);
        if (isBlockLine(words, count, kind)) break;
        if (!words.empty() && lineElectrodesOf(words[0]) > 0) {
            threeD = true;
            if (lineElectrodes == 0) lineElectrodes = lineElectrodesOf(words[0]);
        }
    }
    if (k == lines.size()) return refuseLine(log, kSource, fileName, k, "no block line (measurement count, kind)");
    int fileKind = kind;
    while (k < lines.size()) {
        const std::size_t blockLine = k + 1;
        if (kind != fileKind)
            return refuseLine(log, kSource, fileName, blockLine, "blocks of resistances and of apparent resistivities");
        ++k;
        // The station and date lines, then `count` measurements.
        long long read = 0;
        for (; k < lines.size() && read < count; ++k) {
            splitFields(lines[k], ' ', words);
            if (words.empty()) continue;
            if (words.size() < 6) {
                if (read == 0) continue;  // still the station and date lines
                return refuseLine(log, kSource, fileName, k + 1,
                                  std::to_string(words.size()) + " fields, at least 6 expected (A B M N value deviation)");
            }
            OhmRow row{};
            row.line = k + 1;
            double* target[6] = {&row.pole[0], &row.pole[1], &row.pole[2], &row.pole[3], &row.value, &row.deviation};
            for (int f = 0; f < 6; ++f)
                if (!fieldNumber(words[static_cast<std::size_t>(f)], *target[f])) {
                    if (read == 0 && f == 0) break;  // the date line
                    return refuseLine(log, kSource, fileName, k + 1,
                                      "field " + std::to_string(f + 1) + " " +
                                          quotedField(words[static_cast<std::size_t>(f)]) + " is not a number");
                }
            double ignored;
            if (read == 0 && !fieldNumber(words[0], ignored)) continue;
            rows.push_back(row);
            ++read;
        }
        if (read < count)
            return refuseLine(log, kSource, fileName, lines.size(),
                              "the file ends after " + std::to_string(read) + " of the " + std::to_string(count) +
                                  " measurements announced on line " + std::to_string(blockLine));
        // Only blank lines or a further block may follow.
        while (k < lines.size() && trimBlanks(lines[k]).empty()) ++k;
        if (k == lines.size()) break;
        splitFields(lines[k], ' ', words);
        if (!isBlockLine(words, count, kind))
            return refuseLine(log, kSource, fileName, k + 1,
                              "more measurements than the " + std::to_string(rows.size()) + " announced");
    }
    if (rows.empty()) return refuseLine(log, kSource, fileName, k, "no measurement");

    ImportSet out;
    if (threeD) {
        if (lineElectrodes <= 0)
            return refuseLine(log, kSource, fileName, 6, "a 3D block file needs the number of electrodes per line");
        if (!(spacing > 0))
            return refuseLine(log, kSource, fileName, 4, "the electrode spacing must be above 0");
        std::int32_t largest = 0;
        for (const OhmRow& row : rows) {
            ImportQuadrupole quad{};
            for (int p = 0; p < 4; ++p) {
                const double n = row.pole[p];
                if (!(n >= 1 && n <= kMaxTextElectrodeNumber && n == std::floor(n)))
                    return refuseLine(log, kSource, fileName, row.line,
                                      "electrode number " + formatNumber(n) +
                                          " for " + "ABMN"[p] + ", expected 1 to " +
                                          std::to_string(kMaxTextElectrodeNumber));
                quad[static_cast<std::size_t>(p)] = static_cast<std::int32_t>(n);
                largest = std::max(largest, quad[static_cast<std::size_t>(p)]);
            }
            out.quadrupoles.push_back(quad);
            out.values.push_back({0, static_cast<float>(kNominalCurrent), static_cast<float>(row.deviation), 0});
        }
        for (std::int32_t e = 1; e <= largest; ++e)
            out.electrodes.push_back({e, ((e - 1) % lineElectrodes) * spacing, ((e - 1) / lineElectrodes) * spacing, 0});
    } else {
        std::vector<SyscalRecord> records;
        records.reserve(rows.size());
        for (const OhmRow& row : rows) {
            SyscalRecord r;
            r.type = 3;
            r.offset = row.line;
            for (int p = 0; p < 4; ++p) {
                r.x[p] = static_cast<float>(firstStation + row.pole[p]);
                if (!std::isfinite(r.x[p]) || std::fabs(r.x[p]) >= kRemotePosition)
                    return refuseLine(log, kSource, fileName, row.line, std::string("the position of ") + "ABMN"[p] +
                                                                            " is beyond the line");
            }
            r.i = static_cast<float>(kNominalCurrent);
            r.q = static_cast<float>(row.deviation);
            records.push_back(r);
        }
        if (importPositionedRecords(records, out, log) != ImportStatus::Ok) return ImportStatus::Failed;
    }
    // Resistances as they are; apparent resistivities through K.
    std::vector<double> factors;
    if (fileKind == 0) factors = subGF(out.electrodes, out.quadrupoles);
    for (std::size_t q = 0; q < rows.size(); ++q) {
        double resistance = rows[q].value;
        if (fileKind == 0) {
            if (!(std::isfinite(factors[q]) && factors[q] != 0 && std::fabs(factors[q]) < kCannotCompute))
                return refuseLine(log, kSource, fileName, rows[q].line,
                                  "no geometric factor for the apparent resistivity");
            resistance /= factors[q];
        }
        const float v = static_cast<float>(resistance * kNominalCurrent);
        if (!std::isfinite(v) || !std::isfinite(out.values[q].q))
            return refuseLine(log, kSource, fileName, rows[q].line, "a value is beyond single precision");
        out.values[q].v = v;
    }
    set = std::move(out);
    return ImportStatus::Ok;
}

ImportStatus funOhmImport(const std::filesystem::path& path, const OhmOptions& options, ImportSet& set,
                          MessageLog& log)
{
    set.clear();
    ImportText text;
    if (readImportLines(path, kSource, text, log) != ImportStatus::Ok) return ImportStatus::Failed;
    const ImportStatus status = parseOhm(text.lines, path.string(), options, set, log);
    set.sourceFile = path.string();
    return status;
}

}  // namespace vexora
