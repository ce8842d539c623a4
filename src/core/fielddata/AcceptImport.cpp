#include "core/fielddata/AcceptImport.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>

#include "core/datafile/BlockReaders.h"
#include "core/datafile/SurveyChecks.h"
#include "core/import/GeometricFactor.h"
#include "core/mesh/DefaultMeshSettings.h"

namespace vexora {

namespace {

constexpr char kSource[] = "cmdImportData";

std::string lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Terrain elevation and type of the electrodes on the given cables, derived
// from each cable's layout; the other cables keep theirs (they may come from
// a data file's own columns).
Status deriveArrangement(Survey& survey, const std::unordered_set<std::int32_t>& cables, MessageLog& log)
{
    Survey part;
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < survey.electrodes.size(); ++i)
        if (cables.count(survey.electrodes[i].cable)) {
            rows.push_back(i);
            part.electrodes.push_back(survey.electrodes[i]);
        }
    if (funElecElevationAndArrangement(part, ElectrodeFormat{}, log) != Status::Ok) return Status::Error;
    for (std::size_t k = 0; k < rows.size(); ++k) survey.electrodes[rows[k]] = part.electrodes[k];
    return Status::Ok;
}

}  // namespace

std::string cleanCableName(std::string_view typed)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    std::size_t first = 0, last = typed.size();
    while (first < last && blank(typed[first])) ++first;
    while (last > first && blank(typed[last - 1])) --last;
    std::string name(typed.substr(first, last - first));
    std::replace(name.begin(), name.end(), ' ', '_');
    return name;
}

bool isRemoteCable(std::string_view name)
{
    if (name.size() <= 4 || name.substr(0, 4) != "Rem_") return false;
    return std::all_of(name.begin() + 4, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void setImportedDataLayout(SettingsTable& settings, bool hasIp)
{
    if (hasIp) (void)setSettingText(settings, Item::IpColumns, " 11 ");
    (void)setSettingText(settings, Item::CurrentColumn, hasIp ? " 12 " : " 11 ");
}

AcceptStatus computeAcceptedImport(const ImportSet& set, const ImportGrids& grids, const CableChoice& choice,
                                   const ProjectStore& store, const FieldDataValues& values, AcceptedImport& accepted,
                                   MessageLog& log)
{
    if (set.electrodes.empty() && set.quadrupoles.empty()) return AcceptStatus::NothingImported;
    const Survey& now = store.survey;
    std::int32_t cable = 0;
    if (choice.newCable) {
        const std::string name = cleanCableName(choice.name);
        if (!now.electrodes.empty()) {
            const std::string key = lower(name);
            for (const std::string& existing : now.cableNames)
                if (lower(existing) == key) return AcceptStatus::ExistingCableName;
        }
        if (const auto refused = cableNameRefusal(name)) {
            log.logError(kSource, *refused);
            return AcceptStatus::InvalidCableName;
        }
        cable = static_cast<std::int32_t>(now.cableNames.size() + 1);
    } else {
        if (choice.existing < 1 || static_cast<std::size_t>(choice.existing) > now.cableNames.size())
            return AcceptStatus::CannotUseCable;
        cable = choice.existing;
        if (isRemoteCable(now.cableNames[static_cast<std::size_t>(cable - 1)])) return AcceptStatus::RemoteCable;
        // Electrodes are appended to the cable: an imported number the cable
        // already holds would name two electrodes.
        std::unordered_set<std::int32_t> taken;
        for (const Electrode& e : now.electrodes)
            if (e.cable == cable) taken.insert(e.number);
        for (const ImportElectrode& e : set.electrodes)
            if (taken.count(e.number)) return AcceptStatus::CannotUseCable;
    }

    Survey next = now;
    if (choice.newCable) next.cableNames.push_back(cleanCableName(choice.name));
    const std::size_t cablesBefore = next.cableNames.size();
    const std::size_t rowsBefore = next.quadrupoles.size();
    appendImport(set, grids, cable, next);
    // The chosen cable, the cables of further lines and the remote cable.
    std::unordered_set<std::int32_t> received = {cable};
    for (std::size_t c = cablesBefore + 1; c <= next.cableNames.size(); ++c) received.insert(static_cast<std::int32_t>(c));
    if (funCreateElecTable(next, log) != Status::Ok || deriveArrangement(next, received, log) != Status::Ok ||
        funCheckSchedData(next, false, log) != Status::Ok) {
        log.logError(kSource, kElectrodesNotLoaded);
        return AcceptStatus::ElectrodesNotLoaded;
    }

    // The values themselves, not the grid's rounded texts of them.
    FieldDataValues nextValues = values;
    const std::size_t total = next.quadrupoles.size();
    nextValues.voltage.resize(rowsBefore, 0.0);
    nextValues.q.resize(rowsBefore, 0.0);
    nextValues.voltage.resize(total, 0.0);
    nextValues.q.resize(total, 0.0);
    for (std::size_t k = 0; k < set.values.size() && rowsBefore + k < total; ++k) {
        nextValues.voltage[rowsBefore + k] = set.values[k].v;
        nextValues.q[rowsBefore + k] = set.values[k].q;
    }
    nextValues.factor = funGeometricFactor(next, false);

    SettingsTable settings = store.settings;
    MeshLines lines = store.mesh.lines;
    setImportedDataLayout(settings, next.present.ip);
    (void)SetDefaultMeshSettings(next, settings, lines, log);
    accepted = {std::move(next), std::move(nextValues), std::move(settings), std::move(lines)};
    return AcceptStatus::Ok;
}

void takeAcceptedImport(AcceptedImport&& accepted, ProjectStore& store, FieldDataValues& values)
{
    store.survey = std::move(accepted.survey);
    values = std::move(accepted.values);
    store.settings = std::move(accepted.settings);
    store.mesh.lines = std::move(accepted.lines);
    store.reciprocals = ReciprocalPairing{};
}

AcceptStatus acceptImportInto(const ImportSet& set, const ImportGrids& grids, const CableChoice& choice,
                              ProjectStore& store, FieldDataValues& values, MessageLog& log)
{
    AcceptedImport accepted;
    const AcceptStatus status = computeAcceptedImport(set, grids, choice, store, values, accepted, log);
    if (status == AcceptStatus::Ok) takeAcceptedImport(std::move(accepted), store, values);
    return status;
}

}  // namespace vexora
