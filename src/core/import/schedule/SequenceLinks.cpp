#include "core/import/schedule/SequenceLinks.h"

#include <bit>
#include <unordered_map>

#include "core/import/text/ImportLines.h"
#include "core/settings/LenientNumber.h"
#include "core/settings/NumberText.h"
#include "core/settings/ParseLine.h"

namespace vexora {

namespace {

bool startsWithHash(std::string_view line)
{
    const std::size_t first = line.find_first_not_of(" \t");
    return first != std::string_view::npos && line[first] == '#';
}

struct Position {
    std::uint64_t x, y, z;
    bool operator==(const Position&) const = default;
};
struct PositionHash {
    std::size_t operator()(const Position& p) const
    {
        return static_cast<std::size_t>((p.x * 0x9E3779B97F4A7C15ull) ^ (p.y * 0xC2B2AE3D27D4EB4Full) ^
                                        (p.z * 0x165667B19E3779F9ull));
    }
};
Position positionOf(double x, double y, double z)
{
    return {std::bit_cast<std::uint64_t>(x + 0.0), std::bit_cast<std::uint64_t>(y + 0.0),
            std::bit_cast<std::uint64_t>(z + 0.0)};
}

std::string lineText(std::size_t line) { return "line " + std::to_string(line) + ": "; }

// A data file knows electrodes by positive numbers, each once: the first
// number that breaks this, with its line. `lineOf` gets every number read.
std::optional<std::string> numberingRefusal(const std::vector<std::pair<std::int32_t, std::size_t>>& numbers,
                                            std::unordered_map<std::int32_t, std::size_t>& lineOf)
{
    lineOf.reserve(numbers.size());
    for (const auto& [number, line] : numbers) {
        if (number < 1)
            return lineText(line) + "electrode number " + std::to_string(number) + "; electrode numbers start at 1.";
        const auto [first, added] = lineOf.emplace(number, line);
        if (!added)
            return lineText(line) + "electrode " + std::to_string(number) + " is listed again (first on line " +
                   std::to_string(first->second) + ").";
    }
    return std::nullopt;
}

}  // namespace

SequenceFile parseSequenceText(const std::vector<std::string_view>& lines)
{
    SequenceFile sequence;
    classParseLine t;
    t.Defaults();
    enum { Leading, Electrodes, Quadrupoles } section = Leading;
    auto take = [&](std::string_view line, std::size_t number) {
        if (section == Leading) {
            if (startsWithHash(line)) section = Electrodes;
            return;
        }
        if (section == Electrodes && startsWithHash(line)) {
            section = Quadrupoles;
            return;
        }
        t.AddLine(line);
        if (section == Electrodes && t.Number() == 4) {
            sequence.electrodes.push_back({roundHalfEven(lenientNumber(t.View(1))), lenientNumber(t.View(2)),
                                           lenientNumber(t.View(3)), lenientNumber(t.View(4))});
            sequence.electrodeLines.push_back(number);
        } else if (section == Quadrupoles && t.Number() == 5) {
            sequence.quadrupoles.push_back({roundHalfEven(lenientNumber(t.View(2))), roundHalfEven(lenientNumber(t.View(3))),
                                            roundHalfEven(lenientNumber(t.View(4))), roundHalfEven(lenientNumber(t.View(5)))});
            sequence.quadrupoleLines.push_back(number);
        }
    };
    for (std::size_t k = 0; k < lines.size(); ++k) {
        std::string_view line = lines[k];
        if (k == 0) {
            // The first line is judged by its text before the first comma; what
            // follows the comma counts as the next line.
            const std::size_t comma = line.find(',');
            take(line.substr(0, comma), 1);
            if (comma != std::string_view::npos && section != Leading) take(line.substr(comma + 1), 1);
            continue;
        }
        take(line, k + 1);
    }
    return sequence;
}

std::optional<std::string> sequenceRefusal(const SequenceFile& sequence)
{
    std::vector<std::pair<std::int32_t, std::size_t>> numbers;
    numbers.reserve(sequence.electrodes.size());
    for (std::size_t e = 0; e < sequence.electrodes.size(); ++e)
        numbers.emplace_back(sequence.electrodes[e].number, sequence.electrodeLines[e]);
    std::unordered_map<std::int32_t, std::size_t> lineOf;
    if (auto why = numberingRefusal(numbers, lineOf)) return why;
    for (std::size_t k = 0; k < sequence.quadrupoles.size(); ++k)
        for (std::int32_t pole : sequence.quadrupoles[k])
            if (pole != 0 && !lineOf.contains(pole))
                return lineText(sequence.quadrupoleLines[k]) + "the quadrupole names electrode " +
                       std::to_string(pole) + ", which the electrode list does not hold.";
    return std::nullopt;
}

std::vector<ConversionRow> parseConversionTable(const std::vector<std::string_view>& lines)
{
    std::vector<ConversionRow> rows;
    classParseLine t;
    t.Defaults();
    for (std::size_t k = 0; k < lines.size(); ++k) {
        t.AddLine(lines[k]);
        if (t.Number() < 7) continue;
        const double id = lenientNumber(t.View(1));
        if (id == 0.0) continue;
        rows.push_back({roundHalfEven(id), lenientNumber(t.View(2)), lenientNumber(t.View(3)), lenientNumber(t.View(4)),
                        lenientNumber(t.View(5)), lenientNumber(t.View(6)), lenientNumber(t.View(7)), k + 1});
    }
    return rows;
}

std::optional<std::string> conversionRefusal(const std::vector<ConversionRow>& rows)
{
    std::vector<std::pair<std::int32_t, std::size_t>> numbers;
    numbers.reserve(rows.size());
    for (const ConversionRow& row : rows) numbers.emplace_back(row.id, row.line);
    std::unordered_map<std::int32_t, std::size_t> lineOf;
    return numberingRefusal(numbers, lineOf);
}

ImportStatus linkToSequence(const SequenceFile& sequence, ImportSet& set)
{
    if (sequence.electrodes.size() < set.electrodes.size()) return ImportStatus::SequenceTooFewElectrodes;
    if (sequence.quadrupoles.size() != set.quadrupoles.size()) return ImportStatus::SequenceQuadrupoleCount;
    if (sequenceRefusal(sequence)) return ImportStatus::Failed;
    set.electrodes = sequence.electrodes;
    set.quadrupoles = sequence.quadrupoles;
    return ImportStatus::Ok;
}

ImportStatus funLinkToSequence(const std::filesystem::path& path, ImportSet& set, MessageLog& log)
{
    ImportText text;
    if (readImportLines(path, "funLinkToSequence", text, log) != ImportStatus::Ok) return ImportStatus::Failed;
    const SequenceFile sequence = parseSequenceText(text.lines);
    const ImportStatus status = linkToSequence(sequence, set);
    if (status == ImportStatus::Failed)
        log.logError("funLinkToSequence", path.string() + ": " + sequenceRefusal(sequence).value_or(""));
    else if (status != ImportStatus::Ok)
        log.subWriteToTextBox(path.string() + ": " + std::to_string(sequence.electrodes.size()) + " electrodes and " +
                              std::to_string(sequence.quadrupoles.size()) + " quadrupoles; the binary file has " +
                              std::to_string(set.electrodes.size()) + " electrodes and " +
                              std::to_string(set.quadrupoles.size()) + " quadrupoles." + kLineBreak);
    return status;
}

ImportStatus linkToConversionTable(const std::vector<ConversionRow>& rows, ImportSet& set, MessageLog& log)
{
    std::unordered_map<Position, std::int32_t, PositionHash> idAt;
    idAt.reserve(rows.size());
    for (const ConversionRow& row : rows) idAt.emplace(positionOf(row.xBin, row.yBin, row.zBin), row.id);  // first row wins
    std::unordered_map<std::int32_t, std::int32_t> newNumber;
    newNumber.reserve(set.electrodes.size());
    for (const ImportElectrode& e : set.electrodes) {
        auto it = idAt.find(positionOf(e.x, e.y, e.z));
        if (it == idAt.end()) {
            log.logError("funLinkToConversionTable", "Electrode [" + formatNumber(e.x) + ", " + formatNumber(e.y) +
                                                         ", " + formatNumber(e.z) +
                                                         "] is missing in table of conversion file.");
            return ImportStatus::Failed;
        }
        newNumber.emplace(e.number, it->second);
    }
    std::vector<ImportElectrode> electrodes;
    electrodes.reserve(rows.size());
    for (const ConversionRow& row : rows) electrodes.push_back({row.id, row.xNew, row.yNew, row.zNew});
    for (ImportQuadrupole& q : set.quadrupoles)
        for (std::int32_t& pole : q)
            if (pole != 0) {
                auto it = newNumber.find(pole);
                pole = it == newNumber.end() ? 0 : it->second;
            }
    set.electrodes = std::move(electrodes);
    return ImportStatus::Ok;
}

ImportStatus funLinkToConversionTable(const std::filesystem::path& path, ImportSet& set, MessageLog& log)
{
    ImportText text;
    if (readImportLines(path, "funLinkToConversionTable", text, log) != ImportStatus::Ok) return ImportStatus::Failed;
    const std::vector<ConversionRow> rows = parseConversionTable(text.lines);
    if (const auto why = conversionRefusal(rows)) {
        log.logError("funLinkToConversionTable", path.string() + ": " + *why);
        return ImportStatus::Failed;
    }
    return linkToConversionTable(rows, set, log);
}

}  // namespace vexora
