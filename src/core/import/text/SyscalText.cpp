#include "core/import/text/SyscalText.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <optional>
#include <string>

#include "core/import/text/ImportLines.h"
#include "core/import/text/PositionedRecords.h"
#include "core/import/text/TextFields.h"

namespace vexora {

namespace {

constexpr const char* kSource = "funSyscalTextImport";

// Column indices into a row's fields; -1 when the file has no such column.
struct SyscalColumns {
    std::array<int, 4> x{-1, -1, -1, -1}, y{-1, -1, -1, -1}, z{-1, -1, -1, -1};
    int v = -1, i = -1, m = -1, dev = -1, devRho = -1;
    int arrayName = -1;  // "El-array": several words in blank-separated files
    int largest() const
    {
        int k = std::max({v, i, m, dev, devRho});
        for (int p = 0; p < 4; ++p) k = std::max({k, x[p], y[p], z[p]});
        return k;
    }
};

// Lower case, blanks dropped and the unit in brackets cut off:
// "Dev. Rho (%)" -> "dev.rho", "xA (m)" -> "xa".
std::string normalName(std::string_view field)
{
    std::string name;
    for (char c : field) {
        if (c == '(') break;
        if (c != ' ' && c != '\t' && c != '"') name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return name;
}

SyscalColumns columnsOf(const std::vector<std::string_view>& header)
{
    SyscalColumns c;
    static constexpr const char* kSpa[4] = {"spa.1", "spa.2", "spa.3", "spa.4"};
    static constexpr const char* kPole = "abmn";
    for (std::size_t k = 0; k < header.size(); ++k) {
        const std::string name = normalName(header[k]);
        const int col = static_cast<int>(k);
        for (int p = 0; p < 4; ++p) {
            if (name == kSpa[p] || name == std::string("x") + kPole[p]) c.x[p] = c.x[p] < 0 ? col : c.x[p];
            if (name == std::string("y") + kPole[p] && c.y[p] < 0) c.y[p] = col;
            if (name == std::string("z") + kPole[p] && c.z[p] < 0) c.z[p] = col;
        }
        if ((name == "vp" || name == "vmn") && c.v < 0) c.v = col;
        if ((name == "in" || name == "iab") && c.i < 0) c.i = col;
        if (name == "m" && c.m < 0) c.m = col;
        if (name == "dev." && c.dev < 0) c.dev = col;
        if (name == "dev.rho" && c.devRho < 0) c.devRho = col;
        if (name == "el-array" && c.arrayName < 0) c.arrayName = col;
    }
    if (c.devRho >= 0) c.dev = c.devRho;
    return c;
}

bool isHeader(const SyscalColumns& c)
{
    return std::all_of(c.x.begin(), c.x.end(), [](int k) { return k >= 0; });
}

char delimiterOf(std::string_view header)
{
    if (header.find('\t') != std::string_view::npos) return '\t';
    if (header.find(',') != std::string_view::npos) return ',';
    if (header.find(';') != std::string_view::npos) return ';';
    return ' ';
}

const char* columnName(const SyscalColumns& c, int col)
{
    static constexpr const char* kPoles[4] = {"A", "B", "M", "N"};
    for (int p = 0; p < 4; ++p) {
        if (col == c.x[p]) return kPoles[p];
        if (col == c.y[p]) return kPoles[p];
        if (col == c.z[p]) return kPoles[p];
    }
    if (col == c.v) return "V";
    if (col == c.i) return "I";
    if (col == c.m) return "M";
    return "Dev";
}

}  // namespace

ImportStatus parseSyscalText(const std::vector<std::string_view>& lines, std::string_view fileName, ImportSet& set,
                             MessageLog& log)
{
    set.clear();
    std::vector<std::string_view> fields;
    std::size_t headerLine = 0;
    SyscalColumns c;
    char delimiter = ' ';
    for (std::size_t k = 0; k < lines.size() && k < kSyscalTextHeaderSearch && headerLine == 0; ++k) {
        delimiter = delimiterOf(lines[k]);
        splitFields(lines[k], delimiter, fields);
        c = columnsOf(fields);
        if (isHeader(c)) headerLine = k + 1;
    }
    if (headerLine == 0)
        return refuseLine(log, kSource, fileName, 1,
                          lines.empty() ? std::string("the file is empty")
                                        : "no header line naming the pole positions (Spa.1 to Spa.4, or xA (m) to "
                                          "xN (m)) in the first " +
                                              std::to_string(kSyscalTextHeaderSearch) + " lines");
    if (c.v < 0 || c.i < 0)
        return refuseLine(log, kSource, fileName, headerLine,
                          "the header names no potential (Vp or VMN) or no current (In or IAB) column");
    const int needed = c.largest() + 1;

    std::vector<SyscalRecord> records;
    records.reserve(lines.size() - headerLine);
    for (std::size_t k = headerLine; k < lines.size(); ++k) {
        const std::size_t lineNumber = k + 1;
        if (isBlankLine(lines[k], delimiter)) continue;
        splitFields(lines[k], delimiter, fields);
        // Blank-separated rows write the array name as several words: the
        // row's columns are counted from its first number on.
        int shift = 0;
        if (delimiter == ' ' && c.arrayName >= 0) {
            std::size_t first = static_cast<std::size_t>(c.arrayName);
            double ignored;
            while (first < fields.size() && !fieldNumber(fields[first], ignored)) ++first;
            shift = static_cast<int>(first) - c.arrayName - 1;
        }
        if (static_cast<int>(fields.size()) < needed + shift)
            return refuseLine(log, kSource, fileName, lineNumber,
                              std::to_string(fields.size()) + " fields, at least " + std::to_string(needed + shift) +
                                  " expected from the header on line " + std::to_string(headerLine));
        auto number = [&](int col, double& value) {
            if (col < 0) {
                value = 0;
                return true;
            }
            return fieldNumber(fields[static_cast<std::size_t>(col + shift)], value);
        };
        std::optional<int> badColumn;
        double x[4], y[4], z[4], v, i, m, dev;
        for (int p = 0; p < 4 && !badColumn; ++p) {
            if (!number(c.x[p], x[p])) badColumn = c.x[p];
            else if (!number(c.y[p], y[p])) badColumn = c.y[p];
            else if (!number(c.z[p], z[p])) badColumn = c.z[p];
        }
        if (!badColumn && !number(c.v, v)) badColumn = c.v;
        if (!badColumn && !number(c.i, i)) badColumn = c.i;
        if (!badColumn && !number(c.m, m)) badColumn = c.m;
        if (!badColumn && !number(c.dev, dev)) badColumn = c.dev;
        if (badColumn)
            return refuseLine(log, kSource, fileName, lineNumber,
                              "the " + std::string(columnName(c, *badColumn)) + " field " +
                                  quotedField(fields[static_cast<std::size_t>(*badColumn + shift)]) +
                                  " is not a number");
        SyscalRecord r;
        r.type = 3;
        r.offset = lineNumber;
        for (int p = 0; p < 4; ++p) {
            if (std::fabs(x[p]) >= kRemotePosition) {
                markRemotePole(r, p);
                continue;
            }
            r.x[p] = static_cast<float>(x[p]);
            r.y[p] = static_cast<float>(y[p]);
            r.z[p] = static_cast<float>(z[p]);
        }
        r.v = static_cast<float>(v);
        r.i = static_cast<float>(i);
        r.m = static_cast<float>(m);
        r.q = static_cast<float>(dev);
        bool finite = std::isfinite(r.v) && std::isfinite(r.i) && std::isfinite(r.m) && std::isfinite(r.q);
        for (int p = 0; p < 4; ++p)
            finite = finite && std::isfinite(r.x[p]) && std::isfinite(r.y[p]) && std::isfinite(r.z[p]);
        if (!finite) return refuseLine(log, kSource, fileName, lineNumber, "a value is beyond single precision");
        records.push_back(r);
    }
    if (records.empty())
        return refuseLine(log, kSource, fileName, headerLine, "no measurement follows the header line");
    return importPositionedRecords(records, set, log);
}

ImportStatus funSyscalTextImport(const std::filesystem::path& path, ImportSet& set, MessageLog& log)
{
    set.clear();
    ImportText text;
    if (readImportLines(path, kSource, text, log) != ImportStatus::Ok) return ImportStatus::Failed;
    const ImportStatus status = parseSyscalText(text.lines, path.string(), set, log);
    set.sourceFile = path.string();
    return status;
}

}  // namespace vexora
