#include "core/fielddata/ElectrodeEdits.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <numeric>
#include <optional>

#include "core/fielddata/AcceptImport.h"
#include "core/import/tables/ImportFill.h"
#include "core/io/Blanks.h"
#include "core/settings/NumberText.h"

namespace vexora {

namespace {

constexpr std::string_view kSteeperThanSpacing =
    "Unable to compute true horizontal coordinates: the terrain elevation changes more than the distance between "
    "two neighbouring electrodes.";

// Electrodes further off the line through the profile's ends than this share
// of its length do not belong to it: a straight line laid out in the field,
// measured with some scatter.
constexpr double kProfileOffsetShare = 0.05;

EditOutcome refused(std::string_view message) { return {EditStatus::Refused, std::string(message)}; }

// The whole typed text as one finite number; a typed number is refused
// rather than read as far as it goes.
std::optional<double> typedNumber(std::string_view text)
{
    text = trimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool validRows(const Survey& survey, const std::vector<std::size_t>& rows)
{
    return !rows.empty() &&
           std::all_of(rows.begin(), rows.end(), [&](std::size_t r) { return r < survey.electrodes.size(); });
}

std::string lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The selection seen along the line from its first to its last electrode:
// the line's origin and unit direction, and per row its distance along the
// line and its sideways offset.
struct Profile {
    double x0 = 0, y0 = 0, ux = 0, uy = 0;
    std::vector<double> along, offset;
};

std::optional<Profile> profileOf(const Survey& survey, const std::vector<std::size_t>& rows)
{
    if (rows.size() < 2) return std::nullopt;
    const Electrode& first = survey.electrodes[rows.front()];
    const Electrode& last = survey.electrodes[rows.back()];
    const double length = std::hypot(last.x - first.x, last.y - first.y);
    if (!(length > 0) || !std::isfinite(length)) return std::nullopt;
    Profile p{first.x, first.y, (last.x - first.x) / length, (last.y - first.y) / length, {}, {}};
    for (std::size_t r : rows) {
        const double dx = survey.electrodes[r].x - p.x0, dy = survey.electrodes[r].y - p.y0;
        p.along.push_back(dx * p.ux + dy * p.uy);
        p.offset.push_back(-dx * p.uy + dy * p.ux);
        if (std::abs(p.offset.back()) > kProfileOffsetShare * length) return std::nullopt;
    }
    return p;
}

// Positions of the selection (indices into `rows`) in increasing distance
// along the profile.
std::vector<std::size_t> orderAlong(const Profile& p)
{
    std::vector<std::size_t> order(p.along.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return p.along[a] < p.along[b]; });
    return order;
}

void place(Electrode& e, const Profile& p, double along, double offset)
{
    e.x = p.x0 + along * p.ux - offset * p.uy;
    e.y = p.y0 + along * p.uy + offset * p.ux;
}

}  // namespace

EditOutcome renameCable(Survey& survey, std::int32_t cable, std::string_view typed)
{
    if (cable < 1 || static_cast<std::size_t>(cable) > survey.cableNames.size()) return refused(kNoElectrodesSelected);
    const std::string name = cleanCableName(typed);
    if (name.empty()) return {};
    const std::string key = lower(name);
    for (std::size_t c = 0; c < survey.cableNames.size(); ++c)
        if (static_cast<std::int32_t>(c + 1) != cable && lower(survey.cableNames[c]) == key)
            return refused(kCableNameUsed);
    if (const auto why = cableNameRefusal(name)) return refused(*why);
    survey.cableNames[static_cast<std::size_t>(cable - 1)] = name;
    return {};
}

EditOutcome setCoordinateSeries(Survey& survey, const std::vector<std::size_t>& rows, Axis axis, std::string_view typed)
{
    if (!validRows(survey, rows)) return refused(kNoElectrodesSelected);
    const std::size_t split = typed.find(';');
    if (split == std::string_view::npos) return refused(kInvalidStartAndStep);
    const std::optional<double> start = typedNumber(typed.substr(0, split));
    const std::optional<double> step = typedNumber(typed.substr(split + 1));
    if (!start || !step) return refused(kInvalidStartAndStep);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        Electrode& e = survey.electrodes[rows[k]];
        double& coordinate = axis == Axis::X ? e.x : axis == Axis::Y ? e.y : e.z;
        coordinate = *start + static_cast<double>(k) * *step;
    }
    return {};
}

EditOutcome setTerrainElevation(Survey& survey, const std::vector<std::size_t>& rows, std::string_view typed)
{
    if (!validRows(survey, rows)) return refused(kNoElectrodesSelected);
    const std::optional<double> value = typedNumber(typed);
    if (!value) return refused(kInvalidNumber);
    for (std::size_t r : rows) survey.electrodes[r].elevation = *value;
    return {};
}

EditOutcome interpolateTerrainElevation(Survey& survey, const std::vector<std::size_t>& rows)
{
    if (!validRows(survey, rows)) return refused(kNoElectrodesSelected);
    const std::optional<Profile> p = profileOf(survey, rows);
    if (!p) return refused(kNotAProfile);
    const std::vector<std::size_t> order = orderAlong(*p);
    const std::size_t low = order.front(), high = order.back();
    const double t1 = p->along[low], t2 = p->along[high];
    const double z1 = survey.electrodes[rows[low]].elevation, z2 = survey.electrodes[rows[high]].elevation;
    if (!(t2 > t1)) return refused(kNotAProfile);
    for (std::size_t k = 0; k < rows.size(); ++k)
        survey.electrodes[rows[k]].elevation = z1 + (z2 - z1) * (p->along[k] - t1) / (t2 - t1);
    return {EditStatus::Ok, "Limits of interpolation: Z1 = " + formatNumber(z1) + "m - Z2 = " + formatNumber(z2) + "m"};
}

EditOutcome updateProfileCoordinates(Survey& survey, const std::vector<std::size_t>& rows, ProfileUpdate update)
{
    if (!validRows(survey, rows)) return refused(kNoElectrodesSelected);
    const std::optional<Profile> p = profileOf(survey, rows);
    if (!p) return refused(kNotAProfile);
    std::vector<double> along = p->along, offset = p->offset;
    if (update == ProfileUpdate::OnProfile) {
        std::fill(offset.begin(), offset.end(), 0.0);
    } else {
        const std::vector<std::size_t> order = orderAlong(*p);
        for (std::size_t i = 1; i < order.size(); ++i) {
            const std::size_t a = order[i - 1], b = order[i];
            const double laid = p->along[b] - p->along[a];
            const double rise = survey.electrodes[rows[b]].elevation - survey.electrodes[rows[a]].elevation;
            if (std::abs(rise) > laid) return refused(kSteeperThanSpacing);
            along[b] = along[a] + std::sqrt(laid * laid - rise * rise);
        }
    }
    for (std::size_t k = 0; k < rows.size(); ++k) place(survey.electrodes[rows[k]], *p, along[k], offset[k]);
    return {};
}

EditOutcome setElectrodeType(Survey& survey, const std::vector<std::size_t>& rows, std::string_view typed)
{
    if (!validRows(survey, rows)) return refused(kNoElectrodesSelected);
    const std::optional<double> value = typedNumber(typed);
    if (!value || (*value != 1 && *value != 2)) return refused(kInvalidElectrodeType);
    for (std::size_t r : rows) {
        std::int16_t& type = survey.electrodes[r].type;
        type = static_cast<std::int16_t>(type < 0 ? -*value : *value);
    }
    return {};
}

void clearRemoteFlag(Survey& survey, const std::vector<std::size_t>& rows)
{
    for (std::size_t r : rows)
        if (r < survey.electrodes.size()) survey.electrodes[r].type = static_cast<std::int16_t>(std::abs(survey.electrodes[r].type));
}

}  // namespace vexora
