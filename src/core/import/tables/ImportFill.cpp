#include "core/import/tables/ImportFill.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "core/import/GeometricFactor.h"
#include "core/import/tables/RepeatedQuadrupoles.h"
#include "core/survey/CableReversal.h"

namespace vexora {

namespace {

std::string fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

const std::string kCannotComputeText = "1000000000";

}  // namespace

std::vector<double> subGF(const std::vector<ImportElectrode>& electrodes,
                          const std::vector<ImportQuadrupole>& quadrupoles)
{
    std::vector<double> factors(quadrupoles.size(), kCannotCompute);
    if (electrodes.empty()) return factors;
    double lo[3] = {electrodes[0].x, electrodes[0].y, electrodes[0].z}, hi[3] = {lo[0], lo[1], lo[2]};
    // Number -> electrode; a later electrode of the same number wins.
    std::unordered_map<std::int32_t, std::size_t> indexOf;
    indexOf.reserve(electrodes.size());
    for (std::size_t e = 0; e < electrodes.size(); ++e) {
        const ImportElectrode& el = electrodes[e];
        const double c[3] = {el.x, el.y, el.z};
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], c[a]);
            hi[a] = std::max(hi[a], c[a]);
        }
        indexOf[el.number] = e;
    }
    const double dx = hi[0] - lo[0], dy = hi[1] - lo[1], dz = hi[2] - lo[2];
    const bool buried = dz * dz >= dx * dx + dy * dy;

    for (std::size_t k = 0; k < quadrupoles.size(); ++k) {
        const ImportElectrode* pole[4] = {};
        for (int p = 0; p < 4; ++p) {
            auto it = quadrupoles[k][static_cast<std::size_t>(p)] == 0
                          ? indexOf.end()
                          : indexOf.find(quadrupoles[k][static_cast<std::size_t>(p)]);
            if (it != indexOf.end()) pole[p] = &electrodes[it->second];
        }
        // S = sum over current pole c and potential pole p of
        //     sign (1/r(c,p) + 1/r(c',p)); an absent pole contributes nothing.
        double sum = 0.0;
        bool degenerate = false;
        for (int c = 0; c < 2 && !degenerate; ++c) {
            if (!pole[c]) continue;
            for (int p = 2; p < 4; ++p) {
                if (!pole[p]) continue;
                const double sign = (c == 0) == (p == 2) ? 1.0 : -1.0;
                const double ddx = pole[c]->x - pole[p]->x, ddy = pole[c]->y - pole[p]->y;
                const double ddz = pole[c]->z - pole[p]->z;
                const double imageDz = buried ? pole[c]->z + pole[p]->z : ddz;
                const double direct = std::sqrt(ddx * ddx + ddy * ddy + ddz * ddz);
                const double image = std::sqrt(ddx * ddx + ddy * ddy + imageDz * imageDz);
                if (direct == 0.0 || image == 0.0) {
                    degenerate = true;
                    break;
                }
                sum += sign * (1.0 / direct + 1.0 / image);
            }
        }
        if (!degenerate && sum != 0.0 && std::isfinite(sum)) factors[k] = 4.0 * kGeometricPi / sum;
    }
    return factors;
}

ImportStatus subFillImportTables(const ImportSet& set, ImportGrids& grids, MessageLog& log)
{
    grids = ImportGrids{};
    if (set.electrodes.empty() || set.quadrupoles.empty() || set.quadrupoles.size() != set.values.size()) {
        log.logError("subFillImportTables", "No electrodes or quadrupoles to show.");
        return ImportStatus::Failed;
    }
    grids.factors = subGF(set.electrodes, set.quadrupoles);
    warnAboutDisagreeingRepeats(set, kRepeatDisagreementFactor, log);

    grids.electrodes.reserve(set.electrodes.size());
    for (const ImportElectrode& e : set.electrodes)
        grids.electrodes.push_back({std::to_string(e.number), fixed(e.x, 3), fixed(e.y, 3), fixed(e.z, 3)});

    bool absent[4] = {};
    grids.quadrupoles.reserve(set.quadrupoles.size());
    for (std::size_t k = 0; k < set.quadrupoles.size(); ++k) {
        const ImportQuadrupole& q = set.quadrupoles[k];
        const ImportValue& val = set.values[k];
        const double K = grids.factors[k];
        for (int p = 0; p < 4; ++p) absent[p] = absent[p] || q[static_cast<std::size_t>(p)] == 0;
        const bool noCurrent = val.i == 0.0f;
        grids.quadrupoles.push_back({std::to_string(k + 1), std::to_string(q[0]), std::to_string(q[1]),
                                     std::to_string(q[2]), std::to_string(q[3]), fixed(val.v, 3), fixed(val.i, 3),
                                     noCurrent ? kCannotComputeText : fixed(static_cast<double>(val.v) / val.i, 6),
                                     fixed(K, 1),
                                     noCurrent ? kCannotComputeText : fixed(static_cast<double>(val.v) * K / val.i, 1),
                                     fixed(val.q, 2), fixed(val.m, 2)});
    }

    // Remote poles are proposed one array length before the first or beyond
    // the last electrode.
    const ImportElectrode& first = set.electrodes.front();
    const ImportElectrode& last = set.electrodes.back();
    const double lengthX = std::fabs(first.x - last.x), lengthY = std::fabs(first.y - last.y);
    const RemoteProposal before{true, "", first.x - lengthX, first.y - lengthY, 0.0};
    const RemoteProposal beyond{true, "", last.x + lengthX, last.y + lengthY, 0.0};
    const bool potentialAbsent = absent[M] || absent[N];
    if (absent[A] || (absent[B] && potentialAbsent)) grids.remote1 = before;
    if (absent[B] && !potentialAbsent) {
        grids.remote2 = beyond;
        grids.remote2.label = "Current Pole 2";
    }
    if (potentialAbsent) {
        grids.remote2 = beyond;
        grids.remote2.label = "Potential Pole";
    }
    return ImportStatus::Ok;
}

void modRototraslation(Survey& survey, double offsetX, double offsetY, double offsetZ, double& angle,
                       std::string_view unit)
{
    if (unit == "DEG") angle = angle * 3.1415926535 / 180.0;
    const double c = std::cos(angle), s = std::sin(angle);
    for (Electrode& e : survey.electrodes) {
        const double x = e.x, y = e.y;
        e.x = c * x - s * y + offsetX;
        e.y = s * x + c * y + offsetY;
        e.z += offsetZ;
        e.elevation += offsetZ;
    }
    for (TopographyPoint& p : survey.topography) {
        const double x = p.x, y = p.y;
        p.x = c * x - s * y + offsetX;
        p.y = s * x + c * y + offsetY;
        p.z += offsetZ;
    }
}

std::optional<std::string> cableNameRefusal(std::string_view name)
{
    const std::string quoted = "Invalid cable name \"" + std::string(name) + "\": ";
    if (name.empty()) return quoted + "a cable needs a name.";
    if (name == kRemoteCableName) return quoted + "it is the cable of the remote electrodes.";
    const auto allowed = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
               c == '.';
    };
    if (!std::all_of(name.begin(), name.end(), allowed))
        return quoted + "use letters, digits, \"_\", \"-\" and \".\" only.";
    return std::nullopt;
}

void acceptImport(const ImportSet& set, const ImportGrids& grids, const std::string& cableName, Survey& survey)
{
    survey = Survey{};
    survey.cableNames.push_back(cableName);
    appendImport(set, grids, 1, survey);
}

std::string nextRemoteCableName(const std::vector<std::string>& cableNames)
{
    for (int n = 1;; ++n) {
        std::string name = "Rem_" + std::to_string(n);
        if (std::none_of(cableNames.begin(), cableNames.end(), [&](const std::string& c) { return c == name; }))
            return name;
    }
}

namespace {

std::string unusedCableName(const std::vector<std::string>& cableNames, const std::string& name)
{
    const auto used = [&](const std::string& n) { return std::find(cableNames.begin(), cableNames.end(), n) != cableNames.end(); };
    std::string candidate = name;
    for (int n = 2; used(candidate); ++n) candidate = name + "_" + std::to_string(n);
    return candidate;
}

// The cable of each line of the set: the first line on `cable` (named after
// its line when it holds no electrode yet), the others on new cables named
// after `cable` and their line.
std::vector<std::int32_t> lineCables(const ImportSet& set, std::int32_t cable, Survey& survey)
{
    if (set.lines.empty()) return {cable};
    const std::string base = survey.cableNames[static_cast<std::size_t>(cable - 1)];
    std::vector<std::int32_t> cables = {cable};
    const bool holdsElectrodes = std::any_of(survey.electrodes.begin(), survey.electrodes.end(),
                                             [&](const Electrode& e) { return e.cable == cable; });
    if (!holdsElectrodes)
        survey.cableNames[static_cast<std::size_t>(cable - 1)] =
                unusedCableName(survey.cableNames, base + "_" + set.lines.names.front());
    for (std::size_t line = 1; line < set.lines.names.size(); ++line) {
        survey.cableNames.push_back(unusedCableName(survey.cableNames, base + "_" + set.lines.names[line]));
        cables.push_back(static_cast<std::int32_t>(survey.cableNames.size()));
    }
    return cables;
}

}  // namespace

void appendImport(const ImportSet& set, const ImportGrids& grids, std::int32_t cable, Survey& survey)
{
    survey.electrodes.reserve(survey.electrodes.size() + set.electrodes.size() + 4);
    // The import's electrode numbers name the electrodes on their cables.
    const std::vector<std::int32_t> cables = lineCables(set, cable, survey);
    std::unordered_map<std::int32_t, ElectrodeRef> refOf;
    for (std::size_t i = 0; i < set.electrodes.size(); ++i) {
        const ImportElectrode& e = set.electrodes[i];
        const ElectrodeRef ref = set.lines.empty()
                                     ? ElectrodeRef{cable, e.number}
                                     : ElectrodeRef{cables[set.lines.lineOf[i]], set.lines.numberOnLine[i]};
        if (!set.lines.empty()) refOf[e.number] = ref;
        survey.electrodes.push_back({ref.cable, ref.number, e.x, e.y, e.z, e.z, 2});
    }

    // Absent poles point at remote electrodes on their own cable: 1 for A,
    // 2 for B (at the first panel's position when it alone is shown), 3 for M
    // or N at the second panel.
    bool absent[4] = {};
    for (const ImportQuadrupole& q : set.quadrupoles)
        for (int p = 0; p < 4; ++p) absent[p] = absent[p] || q[static_cast<std::size_t>(p)] == 0;
    const bool anyAbsent = absent[A] || absent[B] || absent[M] || absent[N];
    std::int32_t remoteNumber[4] = {};
    std::int32_t remoteCable = 0;
    if (anyAbsent) {
        survey.cableNames.push_back(nextRemoteCableName(survey.cableNames));
        remoteCable = static_cast<std::int32_t>(survey.cableNames.size());
        auto add = [&](std::int32_t number, const RemoteProposal& at) {
            survey.electrodes.push_back({remoteCable, number, at.x, at.y, at.z, at.z, 2});
        };
        const RemoteProposal& current2 = grids.remote2.shown && !absent[M] && !absent[N] ? grids.remote2 : grids.remote1;
        if (absent[A]) add(remoteNumber[A] = 1, grids.remote1);
        if (absent[B]) add(remoteNumber[B] = 2, current2);
        if (absent[M] || absent[N]) {
            add(3, grids.remote2);
            remoteNumber[M] = remoteNumber[N] = 3;
        }
    }

    // The imported quadrupoles follow the present ones, their IDs after the
    // largest present ID; value columns the import lacks are filled with 0.
    QuadrupoleTable& table = survey.quadrupoles;
    const std::size_t before = table.size();
    const std::size_t n = set.quadrupoles.size();
    const std::size_t total = before + n;
    std::int32_t lastId = 0;
    for (const Quadrupole& q : table.rows) lastId = std::max(lastId, q.id);
    const bool hasIp = std::any_of(set.values.begin(), set.values.end(), [](const ImportValue& v) { return v.m != 0.0f; });
    if (hasIp && table.ip.empty()) table.ip.assign(1, {});
    auto grow = [total](std::vector<double>& column) {
        if (!column.empty() || total == 0) column.resize(total, 0.0);
    };
    table.rows.resize(total);
    table.resistance.resize(total, 0.0);
    table.current.resize(total, 0.0);
    table.skip.resize(total, 0);
    for (auto& window : table.ip) window.resize(total, 0.0);
    for (auto& window : table.ipStd) window.resize(total, 0.0);
    grow(table.resistanceStd);
    grow(table.calcResistance);
    grow(table.calcIp);
    grow(table.calcResistanceStd);
    grow(table.calcIpStd);
    for (std::size_t k = 0; k < n; ++k) {
        Quadrupole& quad = table.rows[before + k];
        quad.id = lastId + static_cast<std::int32_t>(k + 1);
        for (int p = 0; p < 4; ++p) {
            const std::int32_t number = set.quadrupoles[k][static_cast<std::size_t>(p)];
            if (number == 0) quad.pole[p] = ElectrodeRef{remoteCable, remoteNumber[p]};
            else if (set.lines.empty()) quad.pole[p] = ElectrodeRef{cable, number};
            else if (auto it = refOf.find(number); it != refOf.end()) quad.pole[p] = it->second;
            else quad.pole[p] = ElectrodeRef{cable, number};  // names no electrode: the checks say so
        }
        const ImportValue& v = set.values[k];
        table.resistance[before + k] = v.i == 0.0f ? kCannotCompute : static_cast<double>(v.v) / v.i;
        table.current[before + k] = v.i;
        if (hasIp) table.ip[0][before + k] = v.m;
    }
    survey.present.resistance = true;
    survey.present.ip = !table.ip.empty();
    survey.electrodesLoaded = true;
    survey.dataLoaded = true;
}

Status reverseImportedCable(ImportSet& set, MessageLog& log)
{
    // The set's electrodes form cable 1 of the survey the import becomes, so
    // the one mirror of a cable serves here too.
    ImportSet oneLine = set;
    oneLine.lines = {};
    Survey survey;
    acceptImport(oneLine, ImportGrids{}, "1", survey);
    if (reverseCable(survey, 1, log) != Status::Ok) return Status::Error;
    for (std::size_t k = 0; k < set.quadrupoles.size(); ++k)
        for (int p = 0; p < 4; ++p)
            if (set.quadrupoles[k][static_cast<std::size_t>(p)] != 0)
                set.quadrupoles[k][static_cast<std::size_t>(p)] = survey.quadrupoles.rows[k].pole[p].number;
    return Status::Ok;
}

}  // namespace vexora
