#include "core/qc/Pseudosection.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "core/import/GeometricFactor.h"

namespace vexora {

namespace {

constexpr const char* kSource = "Pseudosection";

bool remoteCable(const Survey& survey, std::int32_t cable)
{
    if (cable < 1 || cable > static_cast<std::int32_t>(survey.cableNames.size())) return true;
    return isRemoteCableName(survey.cableNames[static_cast<std::size_t>(cable - 1)]);
}

// The value of `row` for the quantity, or nothing; `negative` counts
// apparent resistivities that a log scale cannot show.
bool valueOf(const Survey& survey, const std::vector<double>& k, PseudoQuantity quantity, std::size_t row,
             double& value, std::size_t& negative)
{
    const QuadrupoleTable& t = survey.quadrupoles;
    const auto usable = [](double v) { return std::isfinite(v) && v != kCannotCompute; };
    switch (quantity) {
    case PseudoQuantity::ApparentResistivity:
    case PseudoQuantity::CalculatedResistivity: {
        const double v = quantity == PseudoQuantity::ApparentResistivity ? t.resistance[row] : t.calcResistance[row];
        if (!usable(v) || !usable(k[row])) return false;
        value = v * k[row];
        negative += !(value > 0);
        return value > 0;
    }
    case PseudoQuantity::Chargeability: {
        double sum = 0;
        for (const auto& window : t.ip) {
            if (!usable(window[row])) return false;
            sum += window[row];
        }
        value = sum / static_cast<double>(t.ipWindows());
        return true;
    }
    case PseudoQuantity::MisfitPercent:
        if (!usable(t.resistance[row]) || !usable(t.calcResistance[row]) || t.resistance[row] == 0) return false;
        value = 100 * (t.calcResistance[row] / t.resistance[row] - 1);
        return true;
    }
    return false;
}

}  // namespace

bool isRemoteCableName(std::string_view name)
{
    return name.substr(0, 3) == "Rem";
}

QuadrupolePoles quadrupolePoles(const Survey& survey, std::size_t row)
{
    QuadrupolePoles poles{};
    for (int p = 0; p < 4; ++p) {
        const ElectrodeRef& ref = survey.quadrupoles.rows[row].pole[p];
        const std::int32_t at = survey.lookup.find(ref.cable, ref.number);
        if (at >= 0 && !remoteCable(survey, ref.cable)) poles[p] = &survey.electrodes[static_cast<std::size_t>(at)];
    }
    return poles;
}

double quadrupolePseudoDepth(const QuadrupolePoles& pole)
{
    std::vector<double> distances;
    std::vector<int> signs;
    for (int c : {A, B})
        for (int m : {M, N})
            if (pole[c] && pole[m]) {
                distances.push_back(std::max(std::hypot(pole[c]->x - pole[m]->x, pole[c]->y - pole[m]->y), 1e-9));
                signs.push_back((c == A) == (m == M) ? 1 : -1);
            }
    return medianDepthOfInvestigation(distances, signs);
}

double medianDepthOfInvestigation(const std::vector<double>& distances, const std::vector<int>& signs)
{
    double total = 0, longest = 0;
    for (std::size_t i = 0; i < distances.size(); ++i) {
        total += signs[i] / distances[i];
        longest = std::max(longest, distances[i]);
    }
    if (!(total > 0) && !(total < 0)) return 0;
    // Cumulative sensitivity from the surface to z, normalised to 1 at depth.
    const auto above = [&](double z) {
        double sum = 0;
        for (std::size_t i = 0; i < distances.size(); ++i) {
            const double r = distances[i];
            sum += signs[i] / r * (1 - r / std::sqrt(r * r + 4 * z * z));
        }
        return sum / total;
    };
    double low = 0, high = longest;
    while (above(high) < 0.5 && high < 1e6 * longest) high *= 2;
    for (int i = 0; i < 60; ++i) {
        const double mid = (low + high) / 2;
        (above(mid) < 0.5 ? low : high) = mid;
    }
    return (low + high) / 2;
}

bool pseudoQuantityFromName(std::string_view name, PseudoQuantity& quantity)
{
    static const std::map<std::string_view, PseudoQuantity> names = {
        {"rho", PseudoQuantity::ApparentResistivity},
        {"calc", PseudoQuantity::CalculatedResistivity},
        {"ip", PseudoQuantity::Chargeability},
        {"misfit", PseudoQuantity::MisfitPercent}};
    const auto it = names.find(name);
    if (it == names.end()) return false;
    quantity = it->second;
    return true;
}

std::string pseudoQuantityLabel(PseudoQuantity quantity)
{
    switch (quantity) {
    case PseudoQuantity::ApparentResistivity: return "Apparent resistivity (ohm m)";
    case PseudoQuantity::CalculatedResistivity: return "Calculated apparent resistivity (ohm m)";
    case PseudoQuantity::Chargeability: return "Apparent chargeability (IP unit)";
    case PseudoQuantity::MisfitPercent: return "Calculated / measured - 1 (%)";
    }
    return "";
}

Status pseudosectionPanels(const Survey& survey, PseudoQuantity quantity, std::string_view cable,
                           std::vector<PseudosectionPanel>& panels, MessageLog& log)
{
    const PresenceFlags& present = survey.present;
    const bool measured = quantity != PseudoQuantity::CalculatedResistivity && quantity != PseudoQuantity::Chargeability;
    const bool calculated =
        quantity == PseudoQuantity::CalculatedResistivity || quantity == PseudoQuantity::MisfitPercent;
    if (measured && !present.resistance) return log.error(kSource, "The data hold no measured V/I.");
    if (calculated && !present.calcResistance)
        return log.error(kSource, "The data hold no calculated V/I: run a forward model or an inversion first.");
    if (quantity == PseudoQuantity::Chargeability && (!present.ip || survey.quadrupoles.ipWindows() == 0))
        return log.error(kSource, "The data hold no IP values.");
    std::int32_t only = 0;
    if (!cable.empty()) {
        const auto it = std::find(survey.cableNames.begin(), survey.cableNames.end(), cable);
        if (it == survey.cableNames.end()) return log.error(kSource, "No cable named " + std::string(cable) + ".");
        only = static_cast<std::int32_t>(it - survey.cableNames.begin()) + 1;
    }

    // Each cable's line: from its lowest-numbered electrode towards its highest.
    struct Line {
        double x0 = 0, y0 = 0, ux = 1, uy = 0, length = 0;
        std::int32_t first = -1, last = -1;
    };
    std::map<std::int32_t, Line> lines;
    for (std::size_t i = 0; i < survey.electrodes.size(); ++i) {
        const Electrode& e = survey.electrodes[i];
        if (remoteCable(survey, e.cable) || (only && e.cable != only)) continue;
        Line& line = lines[e.cable];
        const auto number = [&](std::int32_t row) { return survey.electrodes[static_cast<std::size_t>(row)].number; };
        if (line.first < 0 || e.number < number(line.first)) line.first = static_cast<std::int32_t>(i);
        if (line.last < 0 || e.number > number(line.last)) line.last = static_cast<std::int32_t>(i);
    }
    for (auto& [c, line] : lines) {
        const Electrode& a = survey.electrodes[static_cast<std::size_t>(line.first)];
        const Electrode& b = survey.electrodes[static_cast<std::size_t>(line.last)];
        line.x0 = a.x, line.y0 = a.y;
        line.length = std::hypot(b.x - a.x, b.y - a.y);
        if (line.length > 0) line.ux = (b.x - a.x) / line.length, line.uy = (b.y - a.y) / line.length;
    }

    const std::vector<double> k = funGeometricFactor(survey, false);
    std::map<std::int32_t, PseudosectionPanel> made;
    std::size_t negative = 0;
    const QuadrupoleTable& table = survey.quadrupoles;
    for (std::size_t row = 0; row < table.size(); ++row) {
        if (row < table.skip.size() && table.skip[row] >= 1) continue;
        const QuadrupolePoles pole = quadrupolePoles(survey, row);
        std::int32_t onCable = 0;
        bool oneLine = true;
        for (int p = 0; p < 4; ++p) {
            if (!pole[p]) continue;
            if (onCable == 0) onCable = pole[p]->cable;
            oneLine = oneLine && pole[p]->cable == onCable;
        }
        if (!oneLine || onCable == 0 || !lines.count(onCable) || !pole[A] || !pole[M]) continue;
        double value = 0;
        if (!valueOf(survey, k, quantity, row, value, negative)) continue;
        const Line& line = lines[onCable];
        const auto along = [&](const Electrode& e) { return (e.x - line.x0) * line.ux + (e.y - line.y0) * line.uy; };
        const auto centre = [&](const Electrode* a, const Electrode* b) {
            return b ? (along(*a) + along(*b)) / 2 : along(*a);
        };
        const double depth = quadrupolePseudoDepth(pole);
        if (!(depth > 0)) continue;
        PseudosectionPanel& panel = made[onCable];
        panel.points.push_back({row, (centre(pole[A], pole[B]) + centre(pole[M], pole[N])) / 2, depth, value});
    }
    panels.clear();
    for (auto& [c, panel] : made) {
        panel.cable = survey.cableNames[static_cast<std::size_t>(c - 1)];
        panel.length = lines[c].length;
        panels.push_back(std::move(panel));
    }
    if (negative > 0)
        log.warning(kSource, std::to_string(negative) +
                                 " data with a negative or zero apparent resistivity are not shown (log scale).");
    if (panels.empty()) log.warning(kSource, "No quadrupole lies on one cable with a value to show.");
    return Status::Ok;
}

}  // namespace vexora
