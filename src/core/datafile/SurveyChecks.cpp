#include "core/datafile/SurveyChecks.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>

#include "core/platform/Application.h"
#include "core/settings/NumberText.h"

namespace vexora {

static std::vector<std::int32_t> distinctSorted(std::vector<std::int32_t> values)
{
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
}

// Rows go into the dense table when it would hold at most this many cells
// per electrode (or a small fixed number); sparse numbering uses the hash map.
constexpr std::int64_t kDenseCellsPerElectrode = 16;
constexpr std::int64_t kDenseCellsAlways = 1 << 16;

static void buildLookup(Survey& survey, std::string* duplicates, std::vector<bool>* keep)
{
    ElectrodeLookup& lookup = survey.lookup;
    const auto& electrodes = survey.electrodes;
    std::vector<std::int32_t> cables(electrodes.size()), numbers(electrodes.size());
    for (std::size_t i = 0; i < electrodes.size(); ++i) {
        cables[i] = electrodes[i].cable;
        numbers[i] = electrodes[i].number;
    }
    lookup.cables = distinctSorted(std::move(cables));
    lookup.numbers = distinctSorted(std::move(numbers));
    lookup.electrodesOnCable.assign(lookup.cables.size(), 0);
    lookup.rowOf.clear();
    lookup.dense.clear();
    lookup.numberSpan = 0;
    if (!electrodes.empty()) {
        const std::int64_t cableSpan = static_cast<std::int64_t>(lookup.cables.back()) - lookup.cables.front() + 1;
        const std::int64_t numberSpan = static_cast<std::int64_t>(lookup.numbers.back()) - lookup.numbers.front() + 1;
        const auto count = static_cast<std::int64_t>(electrodes.size());
        if (cableSpan * numberSpan <= std::max(kDenseCellsAlways, kDenseCellsPerElectrode * count)) {
            lookup.lowestCable = lookup.cables.front();
            lookup.cableSpan = static_cast<std::int32_t>(cableSpan);
            lookup.lowestNumber = lookup.numbers.front();
            lookup.dense.assign(static_cast<std::size_t>(cableSpan * numberSpan), -1);
        }
    }
    if (lookup.dense.empty()) lookup.rowOf.reserve(electrodes.size());
    const std::int64_t span = electrodes.empty() ? 0
                              : static_cast<std::int64_t>(lookup.numbers.back()) - lookup.numbers.front() + 1;
    for (std::size_t i = 0; i < electrodes.size(); ++i) {
        const Electrode& e = electrodes[i];
        const auto row = static_cast<std::int32_t>(i);
        bool inserted;
        if (!lookup.dense.empty()) {
            std::int32_t& cell = lookup.dense[static_cast<std::size_t>((e.cable - lookup.lowestCable) * span +
                                                                       (e.number - lookup.lowestNumber))];
            inserted = cell < 0;
            if (inserted) cell = row;
        } else {
            inserted = lookup.rowOf.try_emplace(ElectrodeLookup::key(e.cable, e.number), row).second;
        }
        if (!inserted) {
            if (duplicates)
                *duplicates += "Cable " + std::to_string(e.cable) + ", Electrode " + std::to_string(e.number) + kLineBreak;
            if (keep) (*keep)[i] = false;
            continue;
        }
        ++lookup.electrodesOnCable[static_cast<std::size_t>(lookup.cableRank(e.cable) - 1)];
    }
    // Switch the dense table on only once it is filled.
    if (!lookup.dense.empty()) lookup.numberSpan = span;
}

Status funCreateElecTable(Survey& survey, MessageLog& log)
{
    std::string duplicates;
    std::vector<bool> keep(survey.electrodes.size(), true);
    buildLookup(survey, &duplicates, &keep);
    if (duplicates.empty()) return Status::Ok;

    std::vector<Electrode> kept;
    kept.reserve(survey.electrodes.size());
    for (std::size_t i = 0; i < survey.electrodes.size(); ++i)
        if (keep[i]) kept.push_back(survey.electrodes[i]);
    survey.electrodes = std::move(kept);
    buildLookup(survey, nullptr, nullptr);
    log.warning("funCreateElecTable", std::string("Duplicated electrodes detected.") + kLineBreak + duplicates +
                                          "Only the first occurence will be considered.");
    return Status::Ok;
}

Status funCheckSchedData(const Survey& survey, bool remotesAllowed, MessageLog& log)
{
    static const char* const poleName[4] = {"A", "B", "M", "N"};
    const auto remoteCable = static_cast<std::int32_t>(survey.cableNames.size()) + 1;
    const auto& rows = survey.quadrupoles.rows;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        for (int p = A; p <= N; ++p) {
            const ElectrodeRef& ref = rows[k].pole[p];
            if (survey.lookup.find(ref.cable, ref.number) >= 0) continue;
            if (remotesAllowed && ref.cable == remoteCable) continue;
            return log.error("funCheckSchedData",
                             std::string("Invalid ") + poleName[p] + " cable/electrode number detected for quadrupole " +
                                 std::to_string(k + 1) + "." + kLineBreak + "Cable: " + std::to_string(ref.cable) +
                                 ", Electrode: " + std::to_string(ref.number));
        }
    }
    return Status::Ok;
}

namespace {

// Finds, for each electrode, the earliest earlier electrode within the
// tolerance, by hashing positions into cubes of the tolerance's size, so
// that only neighbouring cubes are searched.
std::vector<std::size_t> earliestNeighbours(const std::vector<Electrode>& electrodes, double tolerance)
{
    const double cell = tolerance > 0 ? tolerance : 1.0;
    auto cellOf = [&](double v) { return static_cast<std::int64_t>(std::floor(v / cell)); };
    auto key = [](std::int64_t x, std::int64_t y, std::int64_t z) {
        return static_cast<std::uint64_t>(x * 73856093) ^ static_cast<std::uint64_t>(y * 19349663) ^
               static_cast<std::uint64_t>(z * 83492791);
    };
    std::unordered_multimap<std::uint64_t, std::size_t> cells;
    cells.reserve(electrodes.size());
    std::vector<std::size_t> target(electrodes.size());
    for (std::size_t i = 0; i < electrodes.size(); ++i) {
        const Electrode& e = electrodes[i];
        const std::int64_t cx = cellOf(e.x), cy = cellOf(e.y), cz = cellOf(e.z);
        target[i] = i;
        for (std::int64_t dx = -1; dx <= 1; ++dx)
            for (std::int64_t dy = -1; dy <= 1; ++dy)
                for (std::int64_t dz = -1; dz <= 1; ++dz) {
                    auto range = cells.equal_range(key(cx + dx, cy + dy, cz + dz));
                    for (auto it = range.first; it != range.second; ++it) {
                        const Electrode& o = electrodes[it->second];
                        const double d = std::sqrt((o.x - e.x) * (o.x - e.x) + (o.y - e.y) * (o.y - e.y) +
                                                   (o.z - e.z) * (o.z - e.z));
                        if (d <= tolerance && it->second < target[i]) target[i] = it->second;
                    }
                }
        cells.emplace(key(cx, cy, cz), i);
    }
    return target;
}

std::string position(const Electrode& e)
{
    return "(" + formatNumber(e.x) + ", " + formatNumber(e.y) + ", " + formatNumber(e.z) + ")";
}

}  // namespace

Status funRenumberElectAndQuad(Survey& survey, std::string_view, double tolerance, Questions& questions,
                               MessageLog& log)
{
    auto& electrodes = survey.electrodes;
    std::vector<std::size_t> target = earliestNeighbours(electrodes, tolerance);
    // Chains resolve in ascending order: an earlier target is already final.
    for (std::size_t i = 0; i < target.size(); ++i)
        if (target[i] != i) target[i] = target[target[i]];

    auto cableName = [&](std::int32_t cable) {
        return cable >= 1 && static_cast<std::size_t>(cable) <= survey.cableNames.size()
                   ? survey.cableNames[static_cast<std::size_t>(cable - 1)]
                   : std::to_string(cable);
    };
    std::string report;
    int count = 0;
    for (std::size_t i = 0; i < target.size(); ++i) {
        if (target[i] == i) continue;
        const Electrode& e = electrodes[i];
        const Electrode& t = electrodes[target[i]];
        report += std::to_string(++count) + "] Elect. " + cableName(e.cable) + ", " + std::to_string(e.number) + "   " +
                  position(e) + "   " + " dupl. of" + "   " + cableName(t.cable) + ", " + std::to_string(t.number) +
                  "   " + position(t) + kLineBreak;
    }
    const std::string title = std::string(kApplicationTitle);
    if (count == 0) {
        questions.showMessage(title, "No duplicated electrodes found.", MessageIcon::Information);
        return Status::Ok;
    }
    if (!questions.confirmList(QuestionId::ReplaceDuplicateElectrodes, title + " - Remove duplicated electrodes",
                               "The following duplicate pairs were found:", report, "Replace duplicated electrodes?"))
        return Status::Ok;

    std::unordered_map<std::uint64_t, ElectrodeRef> replacement;
    std::vector<Electrode> kept;
    for (std::size_t i = 0; i < electrodes.size(); ++i) {
        if (target[i] == i) {
            kept.push_back(electrodes[i]);
            continue;
        }
        const Electrode& t = electrodes[target[i]];
        replacement[ElectrodeLookup::key(electrodes[i].cable, electrodes[i].number)] = {t.cable, t.number};
    }
    for (Quadrupole& q : survey.quadrupoles.rows)
        for (ElectrodeRef& ref : q.pole) {
            auto it = replacement.find(ElectrodeLookup::key(ref.cable, ref.number));
            if (it != replacement.end()) ref = it->second;
        }
    electrodes = std::move(kept);
    return funCreateElecTable(survey, log);
}

}  // namespace vexora
