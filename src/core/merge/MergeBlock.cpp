#include "core/merge/MergeBlock.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/datafile/ScheduleLoader.h"
#include "core/datafile/SurveyChecks.h"
#include "core/import/tables/ImportFill.h"
#include "core/survey/CableReversal.h"

namespace vexora {

namespace {

constexpr const char* kSource = "funLoadBlockFile";

// The data load refers to an absent pole of an instrument sequence as
// electrode 1 (A), 2 (B), 3 (M) or 4 (N) of the cable after the last one:
// that cable becomes "Rem" with those electrodes far outside the survey.
Status addRemoteElectrodes(MergeBlock& block, MessageLog& log)
{
    Survey& survey = block.survey;
    const auto remoteCable = static_cast<std::int32_t>(survey.cableNames.size()) + 1;
    bool used[4] = {};
    for (const Quadrupole& q : survey.quadrupoles.rows)
        for (const ElectrodeRef& ref : q.pole)
            if (ref.cable == remoteCable && ref.number >= 1 && ref.number <= 4) used[ref.number - 1] = true;
    if (!used[A] && !used[B] && !used[M] && !used[N]) return Status::Ok;
    survey.cableNames.emplace_back(kRemoteCable);
    for (int p = A; p <= N; ++p)
        if (used[p]) {
            const RemotePosition& at = kRemotePositions[p];
            survey.electrodes.push_back({remoteCable, at.number, at.x, at.y, 0.0, 0.0, -2});
        }
    block.remoteTx = used[A] || used[B];
    block.remoteRx = used[M] || used[N];
    if (funCreateElecTable(survey, log) != Status::Ok || funCheckSchedData(survey, false, log) != Status::Ok)
        return Status::Error;
    return Status::Ok;
}

std::string cableName(const Survey& survey, std::int32_t cable)
{
    return cable >= 1 && static_cast<std::size_t>(cable) <= survey.cableNames.size()
               ? survey.cableNames[static_cast<std::size_t>(cable - 1)]
               : std::to_string(cable);
}

}  // namespace

Status loadMergeBlock(const std::filesystem::path& file, int blockNumber, MergeBlock& block, MessageLog& log,
                      Questions& questions, const Feedback& feedback)
{
    const ProjectStore empty;
    ProjectStore loaded;
    const DataLoadRequest request{file, ProjectType::DataInversion, false, false};
    if (funInputScheduleFile(empty, request, loaded, log, questions, feedback) != LoadStatus::Loaded)
        return Status::Error;
    MergeBlock next;
    next.file = file;
    next.survey = std::move(loaded.survey);
    next.sequenceHeader = loaded.sequenceHeader;
    next.ipScale = loaded.dataFormat.ipScale;
    if (addRemoteElectrodes(next, log) != Status::Ok) return log.error(kSource, "Error: data not loaded.");
    for (std::string& name : next.survey.cableNames) name = std::to_string(blockNumber) + "_" + name;
    block = std::move(next);
    return Status::Ok;
}

Status modifyMergeBlock(MergeBlock& block, const BlockModification& modification, MessageLog& log)
{
    const double offset = std::round(modification.numberOffset);
    if (offset != 0) {
        constexpr double lowest = std::numeric_limits<std::int32_t>::min();
        constexpr double highest = std::numeric_limits<std::int32_t>::max();
        for (const Electrode& e : block.survey.electrodes)
            if (!(e.number + offset >= lowest && e.number + offset <= highest))
                return log.error("cmdModify_Click", "Electrode number offset " + std::to_string(static_cast<long long>(offset)) +
                                                        " takes electrode " + std::to_string(e.number) +
                                                        " out of the range of electrode numbers.");
    }
    double angle = modification.angle;
    modRototraslation(block.survey, modification.shiftX, modification.shiftY, modification.shiftZ, angle,
                      modification.radians ? "RAD" : "DEG");
    if (offset == 0) return Status::Ok;
    const auto step = static_cast<std::int32_t>(offset);
    for (Electrode& e : block.survey.electrodes) e.number += step;
    for (Quadrupole& q : block.survey.quadrupoles.rows)
        for (ElectrodeRef& ref : q.pole) ref.number += step;
    return funCreateElecTable(block.survey, log);
}

Status renameMergeCable(MergeBlock& block, std::int32_t cable, const std::string& name, MessageLog& log)
{
    constexpr const char* source = "MODIFY CABLE NAME";
    std::vector<std::string>& names = block.survey.cableNames;
    if (cable < 1 || static_cast<std::size_t>(cable) > names.size())
        return log.error(source, "There is no cable " + std::to_string(cable) + " in " + block.file.string() + ".");
    for (std::size_t c = 0; c < names.size(); ++c)
        if (names[c] == name && c + 1 != static_cast<std::size_t>(cable)) return log.error(source, kCableNameUsed);
    if (const std::optional<std::string> refused = cableNameRefusal(name)) return log.error(source, *refused);
    names[static_cast<std::size_t>(cable - 1)] = name;
    return Status::Ok;
}

Status reverseMergeBlock(MergeBlock& block, MessageLog& log)
{
    Survey reversed = block.survey;
    for (std::int32_t cable : reversibleCables(reversed))
        if (reverseCable(reversed, cable, log) != Status::Ok)
            return log.error("reverseMergeBlock", block.file.string() + ": cable " + cableName(reversed, cable) +
                                                      " not reversed.");
    block.survey = std::move(reversed);
    block.reversed = !block.reversed;
    return Status::Ok;
}

}  // namespace vexora
