// Setting tags: values that go straight into an item of the settings table,
// checked by the item's rule; a refused value leaves the item as it was.

#include <cmath>
#include <limits>

#include "core/settings/ConfigurationReading.h"
#include "core/settings/NumberText.h"

namespace vexora::configuration {

namespace {

std::vector<double> numbers(const TagLine& l, int count)
{
    std::vector<double> values(static_cast<std::size_t>(count));
    for (int k = 1; k <= count; ++k) values[static_cast<std::size_t>(k - 1)] = l.number(k);
    return values;
}

std::string spacedList(const std::vector<double>& values)
{
    std::string text;
    for (double v : values) {
        text += ' ';
        text += formatNumber(v);
    }
    return text;
}

void applySingle(ReadState& s, const TagSpec& spec, const TagLine& l)
{
    const double v = l.number(1);
    if (rejects(spec.rule, v)) return s.warn(rejectionMessage(rulePrefix(spec.rule), l.tag()));
    std::string& cell = s.cell(spec.item);
    switch (spec.stored) {
    case Stored::Token: cell = std::string(l.token(1)); break;
    case Stored::Number: cell = formatNumber(v); break;
    case Stored::Integer: {
        const double whole = std::trunc(v);
        if (!(std::fabs(whole) <= std::numeric_limits<std::int32_t>::max()))
            l.outOfRange(1, "an integer", "-2147483647..2147483647");
        cell = std::to_string(static_cast<std::int32_t>(whole));
        break;
    }
    case Stored::Value: cell = v == 1 ? "1" : "2"; break;  // the rule admits only 1 and 2
    }
}

void applyList(ReadState& s, const TagSpec& spec, const TagLine& l)
{
    std::vector<double> values = numbers(l, l.valueCount());
    for (double v : values)
        if (rejects(spec.rule, v, true)) return s.warn(rejectionMessage(rulePrefix(spec.rule), l.tag()));
    s.cell(spec.item) = spacedList(values);
}

// Five codes, for -X, +X, -Y, +Y and -Z: 0 Dirichlet, 1 mixed, 2 Neumann.
void applyBoundaryConditions(ReadState& s, const TagSpec& spec, const TagLine& l)
{
    if (l.valueCount() < 5) return s.warn(rejectionMessage(kNotEnoughPrefix, l.tag()));
    std::vector<double> values = numbers(l, l.valueCount());
    for (double v : values)
        if (v != 0 && v != 1 && v != 2) return s.warn(rejectionMessage(kBoundaryCodesPrefix, l.tag()));
    s.cell(spec.item) = spacedList(values);
}

void applySimpleInversion(ReadState& s, const TagSpec& spec, const TagLine& l)
{
    const double v = l.number(1);
    if (rejects(spec.rule, v)) return s.warn(rejectionMessage(rulePrefix(spec.rule), l.tag()));
    s.cell(spec.item) = v == 1 ? "4 1 " : "4";
}

// -X +X -Y +Y -Z +Z, the resistivity (or IP value) and, for resistivity, an
// optional radius. Lower bounds are re-formatted, the rest kept as written.
void applyAnomaly(ReadState& s, const TagSpec& spec, const TagLine& l)
{
    const bool resistivity = spec.kind == TagKind::ResistivityAnomaly;
    if (l.valueCount() < 7) return s.warn(rejectionMessage(kNotEnoughPrefix, l.tag()));
    const bool hasRadius = resistivity && l.valueCount() >= 8;
    std::vector<double> v = numbers(l, hasRadius ? 8 : 7);

    bool badPair = false;
    for (std::size_t p = 0; p < 3; ++p) badPair = badPair || v[2 * p + 1] < v[2 * p];
    const bool badValue = resistivity ? v[6] <= 0 : v[6] < 0;
    bool refused = false;
    if (badPair || badValue) {
        s.warn(rejectionMessage(kBadAnomalyPrefix, l.tag()));
        refused = true;
    }
    if (hasRadius && (v[7] <= 0 || badPair)) {
        s.warn(rejectionMessage(kBadRadiusPrefix, l.tag()));
        refused = true;
    }
    if (refused) return;

    std::string text;
    for (int p = 0; p < 3; ++p) {
        text += ' ';
        text += formatNumber(v[static_cast<std::size_t>(2 * p)]);
        text += ' ';
        text += l.token(2 * p + 2);
    }
    text += ' ';
    text += l.token(7);
    if (hasRadius) {
        text += ' ';
        text += l.token(8);
    }
    (resistivity ? s.resistivityAnomalies : s.ipAnomalies).push_back(std::move(text));
}

// -X +X -Y +Y and either -Z +Z or a depth of investigation.
void applyPlotBounds(ReadState& s, const TagSpec& spec, const TagLine& l)
{
    if (l.valueCount() < 5) return s.warn(rejectionMessage(kInvalidCountPrefix, l.tag()));
    const int count = l.valueCount() >= 6 ? 6 : 5;
    std::vector<double> v = numbers(l, count);
    for (int p = 0; 2 * p + 1 < count; ++p)
        if (v[static_cast<std::size_t>(2 * p + 1)] < v[static_cast<std::size_t>(2 * p)])
            return s.warn(rejectionMessage(kBadLimitsPrefix, l.tag()));

    std::string text;
    for (int k = 1; k <= count; ++k) {
        text += ' ';
        // Lower limits and the depth are re-formatted; upper limits kept.
        if (k % 2 == 1) text += formatNumber(v[static_cast<std::size_t>(k - 1)]);
        else text += l.token(k);
    }
    s.cell(spec.item) = std::move(text);
}

}  // namespace

void applySettingTag(ReadState& s, const TagSpec& spec, const TagLine& l)
{
    switch (spec.kind) {
    case TagKind::Choice: s.cell(spec.item) = std::string(l.restOfLine()); break;
    case TagKind::Single: applySingle(s, spec, l); break;
    case TagKind::List: applyList(s, spec, l); break;
    case TagKind::BoundaryConditions: applyBoundaryConditions(s, spec, l); break;
    case TagKind::SimpleInversion: applySimpleInversion(s, spec, l); break;
    case TagKind::ResistivityAnomaly:
    case TagKind::IpAnomaly: applyAnomaly(s, spec, l); break;
    case TagKind::PlotBounds: applyPlotBounds(s, spec, l); break;
    default: break;
    }
}

}  // namespace vexora::configuration
