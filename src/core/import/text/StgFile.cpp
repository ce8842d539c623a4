#include "core/import/text/StgFile.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <tuple>

#include "core/import/tables/ElectrodeLines.h"
#include "core/import/text/ImportLines.h"
#include "core/import/text/PositionedRecords.h"
#include "core/import/text/TextFields.h"

namespace vexora {

namespace {

constexpr const char* kSource = "funStgImport";
constexpr std::size_t kRecordFields = 21;
constexpr std::size_t kFirstPosition = 9;  // 0-based field of A's x

bool isRecordNumber(std::string_view field)
{
    field = trimBlanks(field);
    return !field.empty() && std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; });
}

using Position = std::tuple<double, double, double>;

// The electrode rows put onto the records' distinct positions: the
// `remoteCount` positions farthest from the mean are the remote rows, the
// others, in order along x, y, z, the other rows.
bool mapPositions(const std::vector<Position>& distinct, const std::vector<StgElectrodeRow>& rows,
                  std::map<Position, StgElectrodeRow>& mapped)
{
    const auto remoteCount = static_cast<std::size_t>(
        std::count_if(rows.begin(), rows.end(), [](const StgElectrodeRow& r) { return r.remote; }));
    if (distinct.size() != rows.size()) return false;
    double mx = 0, my = 0, mz = 0;
    for (const auto& [x, y, z] : distinct) {
        mx += x;
        my += y;
        mz += z;
    }
    const double n = static_cast<double>(distinct.size());
    mx /= n;
    my /= n;
    mz /= n;
    std::vector<Position> byDistance = distinct;
    auto distance = [&](const Position& p) {
        return std::hypot(std::get<0>(p) - mx, std::get<1>(p) - my, std::get<2>(p) - mz);
    };
    std::stable_sort(byDistance.begin(), byDistance.end(),
                     [&](const Position& a, const Position& b) { return distance(a) > distance(b); });
    std::vector<Position> line(byDistance.begin() + static_cast<std::ptrdiff_t>(remoteCount), byDistance.end());
    std::sort(line.begin(), line.end());
    std::size_t nextLine = 0, nextRemote = 0;
    for (const StgElectrodeRow& row : rows) {
        if (row.remote) mapped[byDistance[nextRemote++]] = row;
        else mapped[line[nextLine++]] = row;
    }
    return true;
}

}  // namespace

ImportStatus parseStgElectrodes(const std::vector<std::string_view>& lines, std::string_view fileName,
                                std::vector<StgElectrodeRow>& rows, MessageLog& log)
{
    rows.clear();
    std::vector<std::string_view> fields;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        if (isBlankLine(lines[k], ',')) continue;
        const char delimiter = lines[k].find(',') != std::string_view::npos ? ',' : ' ';
        splitFields(lines[k], delimiter, fields);
        double value[3] = {0, 0, 0};
        bool numbers = fields.size() >= 2 && fields.size() <= 3;
        for (std::size_t c = 0; c < fields.size() && numbers; ++c) numbers = fieldNumber(fields[c], value[c]);
        if (!numbers) {
            if (k == 0 && rows.empty()) continue;  // the header line
            rows.clear();
            return refuseLine(log, kSource, fileName, k + 1, "an electrode row is two or three numbers: x, y[, z]");
        }
        const bool remote = std::fabs(value[0]) >= kRemotePosition || std::fabs(value[1]) >= kRemotePosition ||
                            std::fabs(value[2]) >= kRemotePosition;
        rows.push_back({value[0], value[1], value[2], remote});
    }
    if (rows.empty()) return refuseLine(log, kSource, fileName, 1, "no electrode row");
    return ImportStatus::Ok;
}

ImportStatus parseStg(const std::vector<std::string_view>& lines, std::string_view fileName,
                      const std::vector<StgElectrodeRow>& electrodeRows, ImportSet& set, MessageLog& log)
{
    set.clear();
    std::vector<std::string_view> fields;
    std::size_t first = 0;
    long long announced = -1;
    std::size_t announcedLine = 0;
    for (; first < lines.size(); ++first) {
        splitFields(lines[first], ',', fields);
        if (fields.size() > 1 && isRecordNumber(fields[0])) break;
        const std::size_t at = lines[first].find("Records:");
        if (at != std::string_view::npos) {
            double count;
            std::vector<std::string_view> words;
            splitFields(lines[first].substr(at + 8), ' ', words);
            if (!words.empty() && fieldNumber(words[0], count) && count >= 0 && count < 1e12) {
                announced = static_cast<long long>(count);
                announcedLine = first + 1;
            }
        }
    }
    if (first == lines.size())
        return refuseLine(log, kSource, fileName, lines.empty() ? 1 : lines.size(),
                          lines.empty() ? std::string("the file is empty")
                                        : "no record line (a record number, then the fields, comma-separated)");

    std::vector<SyscalRecord> records;
    records.reserve(lines.size() - first);
    static constexpr const char* kWhat[4] = {"V/I", "error", "current", "apparent resistivity"};
    for (std::size_t k = first; k < lines.size(); ++k) {
        const std::size_t lineNumber = k + 1;
        if (isBlankLine(lines[k], ',')) continue;
        splitFields(lines[k], ',', fields);
        if (!isRecordNumber(fields[0]))
            return refuseLine(log, kSource, fileName, lineNumber,
                              "the line does not begin with a record number: " + quotedField(fields[0]));
        if (fields.size() < kRecordFields)
            return refuseLine(log, kSource, fileName, lineNumber,
                              std::to_string(fields.size()) + " fields, at least " + std::to_string(kRecordFields) +
                                  " expected");
        double value[4];
        for (int f = 0; f < 4; ++f)
            if (!fieldNumber(fields[static_cast<std::size_t>(4 + f)], value[f]))
                return refuseLine(log, kSource, fileName, lineNumber,
                                  std::string("the ") + kWhat[f] + " field " +
                                      quotedField(fields[static_cast<std::size_t>(4 + f)]) + " is not a number");
        double position[12];
        for (std::size_t f = 0; f < 12; ++f)
            if (!fieldNumber(fields[kFirstPosition + f], position[f]))
                return refuseLine(log, kSource, fileName, lineNumber,
                                  std::string("the ") + "xyz"[f % 3] + " field of " + "ABMN"[f / 3] + " " +
                                      quotedField(fields[kFirstPosition + f]) + " is not a number");
        SyscalRecord r;
        r.type = 3;
        r.offset = lineNumber;
        for (int p = 0; p < 4; ++p) {
            r.x[p] = static_cast<float>(position[3 * p]);
            r.y[p] = static_cast<float>(position[3 * p + 1]);
            r.z[p] = static_cast<float>(position[3 * p + 2]);
        }
        r.i = static_cast<float>(value[2]);
        r.v = static_cast<float>(value[0] * value[2]);  // ohm times mA: mV
        r.q = static_cast<float>(value[1] / 10.0);      // per cent
        bool finite = std::isfinite(r.v) && std::isfinite(r.i) && std::isfinite(r.q);
        for (int p = 0; p < 4; ++p)
            finite = finite && std::isfinite(r.x[p]) && std::isfinite(r.y[p]) && std::isfinite(r.z[p]) &&
                     std::fabs(r.x[p]) < kRemotePosition;
        if (!finite) return refuseLine(log, kSource, fileName, lineNumber, "a value is beyond single precision");
        records.push_back(r);
    }
    if (announced >= 0 && static_cast<std::size_t>(announced) != records.size())
        return refuseLine(log, kSource, fileName, announcedLine,
                          "the header announces " + std::to_string(announced) + " records, the file holds " +
                              std::to_string(records.size()));

    if (!electrodeRows.empty()) {
        std::vector<Position> distinct;
        for (const SyscalRecord& r : records)
            for (int p = 0; p < 4; ++p) distinct.emplace_back(r.x[p], r.y[p], r.z[p]);
        std::sort(distinct.begin(), distinct.end());
        distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
        std::map<Position, StgElectrodeRow> mapped;
        if (!mapPositions(distinct, electrodeRows, mapped))
            return refuseLine(log, kSource, fileName, first + 1,
                              "the records use " + std::to_string(distinct.size()) +
                                  " electrode positions, the electrode file lists " +
                                  std::to_string(electrodeRows.size()));
        for (SyscalRecord& r : records)
            for (int p = 0; p < 4; ++p) {
                const StgElectrodeRow& row = mapped.at(Position(r.x[p], r.y[p], r.z[p]));
                if (row.remote) {
                    markRemotePole(r, p);
                    continue;
                }
                r.x[p] = static_cast<float>(row.x);
                r.y[p] = static_cast<float>(row.y);
                r.z[p] = static_cast<float>(row.z);
            }
    }
    if (importPositionedRecords(records, set, log) != ImportStatus::Ok) return ImportStatus::Failed;
    groupElectrodesIntoLines(set);
    return ImportStatus::Ok;
}

std::filesystem::path stgElectrodeFileBeside(const std::filesystem::path& stgFile)
{
    return stgFile.parent_path() / (stgFile.stem().string() + "_elec.csv");
}

ImportStatus funStgImport(const std::filesystem::path& path, const std::filesystem::path& electrodeFile,
                          ImportSet& set, MessageLog& log)
{
    set.clear();
    std::vector<StgElectrodeRow> rows;
    if (!electrodeFile.empty()) {
        ImportText electrodes;
        if (readImportLines(electrodeFile, kSource, electrodes, log) != ImportStatus::Ok ||
            parseStgElectrodes(electrodes.lines, electrodeFile.string(), rows, log) != ImportStatus::Ok)
            return ImportStatus::Failed;
        log.subWriteToTextBox(path.string() + ": electrode positions from " + electrodeFile.string() + " (" +
                              std::to_string(rows.size()) + " rows)." + kLineBreak);
    }
    ImportText text;
    if (readImportLines(path, kSource, text, log) != ImportStatus::Ok) return ImportStatus::Failed;
    const ImportStatus status = parseStg(text.lines, path.string(), rows, set, log);
    set.sourceFile = path.string();
    return status;
}

}  // namespace vexora
