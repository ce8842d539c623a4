#include "core/sequence/SequenceDesign.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "core/import/GeometricFactor.h"
#include "core/sequence/DepthOfInvestigation.h"
#include "core/settings/NumberText.h"

namespace vexora {

namespace {

constexpr const char* kSource = "SequenceDesign";
// Far beyond a day of field work, small enough to stay a few hundred MB.
constexpr std::size_t kMaxQuadrupoles = 5000000;

struct QuadrupoleKey {
    std::uint64_t currents, potentials;
    bool operator==(const QuadrupoleKey&) const = default;
};
struct QuadrupoleKeyHash {
    std::size_t operator()(const QuadrupoleKey& k) const
    {
        return std::hash<std::uint64_t>()(k.currents * 0x9E3779B97F4A7C15ULL ^ k.potentials);
    }
};
std::uint64_t pairKey(std::int32_t first, std::int32_t second)
{
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(first)) << 32) | static_cast<std::uint32_t>(second);
}
QuadrupoleKey keyOf(const DesignedQuadrupole& q) { return {pairKey(q.pole[A], q.pole[B]), pairKey(q.pole[M], q.pole[N])}; }

bool isGridArray(ArrayKind kind) { return kind == ArrayKind::Equatorial || kind == ArrayKind::CrossLine; }

// Collects the quadrupoles of the arrays, each once, in the order given.
class Collector {
public:
    explicit Collector(std::vector<DesignedQuadrupole>& out, std::vector<ArrayKind>& source)
        : out_(out), source_(source) {}

    void add(ArrayKind kind, std::int32_t a, std::int32_t b, std::int32_t m, std::int32_t n)
    {
        if (full_) return;
        const DesignedQuadrupole q{{a, b, m, n}};
        if (!seen_.insert(keyOf(q)).second) return;
        if (out_.size() == kMaxQuadrupoles) {
            full_ = true;
            return;
        }
        out_.push_back(q);
        source_.push_back(kind);
    }
    bool full() const { return full_; }

private:
    std::vector<DesignedQuadrupole>& out_;
    std::vector<ArrayKind>& source_;
    std::unordered_set<QuadrupoleKey, QuadrupoleKeyHash> seen_;
    bool full_ = false;
};

void inLineArray(ArrayKind kind, const std::vector<std::int32_t>& line, const SequenceOptions& o, std::int32_t remote,
                 Collector& c)
{
    const long long length = static_cast<long long>(line.size());
    auto at = [&](long long k) { return line[static_cast<std::size_t>(k)]; };
    auto inside = [&](long long k) { return k >= 0 && k < length; };
    for (long long a = o.aMin; a <= o.aMax && !c.full(); ++a) {
        for (long long i = 0; i < length && !c.full(); ++i) {
            switch (kind) {
            case ArrayKind::DipoleDipole:
                for (long long n = o.nMin; n <= o.nMax && inside(i + (n + 2) * a); ++n)
                    c.add(kind, at(i), at(i + a), at(i + (n + 1) * a), at(i + (n + 2) * a));
                break;
            case ArrayKind::Wenner:
                // Spacing s = n a; a spacing another a already gave is kept once by the collector.
                for (long long n = o.nMin; n <= o.nMax && inside(i + 3 * n * a); ++n) {
                    const long long s = n * a;
                    c.add(kind, at(i), at(i + 3 * s), at(i + s), at(i + 2 * s));
                }
                break;
            case ArrayKind::Schlumberger:
                for (long long n = o.nMin; n <= o.nMax && inside(i + (2 * n + 1) * a); ++n)
                    c.add(kind, at(i), at(i + (2 * n + 1) * a), at(i + n * a), at(i + (n + 1) * a));
                break;
            case ArrayKind::PoleDipole:
                for (long long n = o.nMin; n <= o.nMax; ++n) {
                    if (inside(i + (n + 1) * a)) c.add(kind, at(i), remote, at(i + n * a), at(i + (n + 1) * a));
                    if (inside(i - (n + 1) * a)) c.add(kind, at(i), remote, at(i - n * a), at(i - (n + 1) * a));
                }
                break;
            case ArrayKind::Gradient:
                if (inside(i + (o.nMax + 2) * a))
                    for (long long k = 1; k <= o.nMax; ++k)
                        c.add(kind, at(i), at(i + (o.nMax + 2) * a), at(i + k * a), at(i + (k + 1) * a));
                break;
            default: break;
            }
        }
    }
}

void crossLineArray(ArrayKind kind, const std::vector<std::int32_t>& p, const std::vector<std::int32_t>& q,
                    const SequenceOptions& o, Collector& c)
{
    const auto lengthP = static_cast<long long>(p.size()), lengthQ = static_cast<long long>(q.size());
    auto P = [&](long long k) { return p[static_cast<std::size_t>(k)]; };
    auto Q = [&](long long k) { return q[static_cast<std::size_t>(k)]; };
    for (long long a = o.aMin; a <= o.aMax && !c.full(); ++a)
        for (long long i = 0; i + a < lengthP && !c.full(); ++i) {
            if (kind == ArrayKind::Equatorial) {
                if (i + a < lengthQ) c.add(kind, P(i), P(i + a), Q(i), Q(i + a));
                continue;
            }
            for (long long k = -o.nMax; k <= o.nMax; ++k) {
                const long long m = i + k * a;
                if (k != 0 && m >= 0 && m + a < lengthQ) c.add(kind, P(i), P(i + a), Q(m), Q(m + a));
            }
        }
}

Status checkOptions(const ElectrodeLayout& layout, const SequenceOptions& o, MessageLog& log)
{
    if (o.arrays.empty()) return log.error(kSource, "Choose one or more arrays.");
    if (o.aMin < 1 || o.aMax < o.aMin)
        return log.error(kSource, "Dipole lengths a " + std::to_string(o.aMin) + " to " + std::to_string(o.aMax) +
                                      ": 1 <= a min <= a max is needed.");
    if (o.nMin < 1 || o.nMax < o.nMin)
        return log.error(kSource, "Separation factors n " + std::to_string(o.nMin) + " to " + std::to_string(o.nMax) +
                                      ": 1 <= n min <= n max is needed.");
    if (o.lineGap < 1) return log.error(kSource, "The line gap must be 1 or more.");
    if (o.channels < 1) return log.error(kSource, "The channels per current injection must be 1 or more.");
    if (!(o.minAbsK >= 0) || !(o.maxAbsK >= 0) || !std::isfinite(o.minAbsK) || !std::isfinite(o.maxAbsK) ||
        (o.maxAbsK > 0 && o.maxAbsK <= o.minAbsK))
        return log.error(kSource, "The |K| limits must be 0 (none) or positive, the maximum above the minimum.");
    const bool gridArrays = std::any_of(o.arrays.begin(), o.arrays.end(), isGridArray);
    if (gridArrays && layout.lines.size() < 2)
        return log.error(kSource, "Equatorial and cross-line arrays need two or more lines of electrodes.");
    return Status::Ok;
}

// Each quadrupole sharing A and B with an earlier one moves up behind it,
// so that one injection reads them together.
std::vector<DesignedQuadrupole> groupByInjection(const std::vector<DesignedQuadrupole>& in)
{
    std::unordered_map<std::uint64_t, std::size_t> groupOf;
    std::vector<std::vector<DesignedQuadrupole>> groups;
    for (const DesignedQuadrupole& q : in) {
        const auto [it, added] = groupOf.try_emplace(pairKey(q.pole[A], q.pole[B]), groups.size());
        if (added) groups.emplace_back();
        groups[it->second].push_back(q);
    }
    std::vector<DesignedQuadrupole> out;
    out.reserve(in.size());
    for (const auto& g : groups) out.insert(out.end(), g.begin(), g.end());
    return out;
}

void poleGeometry(const ElectrodeLayout& layout, const DesignedQuadrupole& q, Point3 (&points)[4])
{
    for (int p = 0; p < 4; ++p) {
        const Electrode& e = layout.electrodes[static_cast<std::size_t>(q.pole[p])];
        points[p] = {e.x, e.y, e.z};
    }
}

// K with z, as the data-file writer computes it.
double factorOf(const ElectrodeLayout& layout, const DesignedQuadrupole& q)
{
    static constexpr bool present[4] = {true, true, true, true};
    Point3 points[4];
    poleGeometry(layout, q, points);
    return geometricFactor(points, present, layout.electrodes[static_cast<std::size_t>(q.pole[A])].elevation,
                           layout.electrodes[static_cast<std::size_t>(q.pole[B])].elevation, false);
}

}  // namespace

const char* arrayName(ArrayKind kind)
{
    static const char* const names[kArrayKinds] = {"dipole-dipole", "Wenner", "Schlumberger", "pole-dipole",
                                                   "gradient", "equatorial", "cross-line"};
    return names[static_cast<int>(kind)];
}

std::vector<std::string> summaryLines(const SequenceSummary& s)
{
    std::vector<std::string> lines = {
        "quadrupoles " + std::to_string(s.quadrupoles) + " (reciprocals " + std::to_string(s.quadrupoles - s.normal) + ")",
        "current injections " + std::to_string(s.injections),
        "depth of investigation " + formatNumber(std::round(s.depthOfInvestigation * 100) / 100) + " m"};
    for (int k = 0; k < kArrayKinds; ++k)
        if (s.perArray[k] > 0)
            lines.push_back(std::string(arrayName(static_cast<ArrayKind>(k))) + " " + std::to_string(s.perArray[k]));
    if (s.outsideKLimits > 0) lines.push_back("outside the |K| limits " + std::to_string(s.outsideKLimits));
    return lines;
}

std::vector<std::size_t> electrodeUse(const SequenceDesign& design)
{
    std::vector<std::size_t> use(design.layout.electrodes.size());
    for (const DesignedQuadrupole& q : design.quadrupoles)
        for (std::int32_t row : q.pole) ++use[static_cast<std::size_t>(row)];
    return use;
}

std::size_t countInjections(const std::vector<DesignedQuadrupole>& quadrupoles, int channels)
{
    std::size_t injections = 0;
    int readings = 0;
    for (std::size_t k = 0; k < quadrupoles.size(); ++k) {
        const bool sameCurrent = k > 0 && quadrupoles[k].pole[A] == quadrupoles[k - 1].pole[A] &&
                                 quadrupoles[k].pole[B] == quadrupoles[k - 1].pole[B];
        if (!sameCurrent || readings == channels) {
            ++injections;
            readings = 0;
        }
        ++readings;
    }
    return injections;
}

Status designSequence(const ElectrodeLayout& layout, const SequenceOptions& options, SequenceDesign& design,
                      MessageLog& log)
{
    if (checkOptions(layout, options, log) != Status::Ok) return Status::Error;
    SequenceDesign result;
    result.layout = layout;
    const bool pole = std::find(options.arrays.begin(), options.arrays.end(), ArrayKind::PoleDipole) != options.arrays.end();
    const std::int32_t remote = pole ? addRemoteElectrode(result.layout) : -1;

    std::vector<DesignedQuadrupole> generated;
    std::vector<ArrayKind> source;
    Collector collector(generated, source);
    for (ArrayKind kind : options.arrays) {
        if (isGridArray(kind)) {
            for (std::size_t p = 0; p < layout.lines.size(); ++p)
                for (std::size_t q = p + 1; q < layout.lines.size() && q - p <= static_cast<std::size_t>(options.lineGap); ++q)
                    crossLineArray(kind, layout.lines[p], layout.lines[q], options, collector);
        } else {
            for (const std::vector<std::int32_t>& line : layout.lines) inLineArray(kind, line, options, remote, collector);
        }
    }
    if (collector.full())
        return log.error(kSource, "More than " + std::to_string(kMaxQuadrupoles) +
                                      " quadrupoles: lower a max, n max or the line gap.");

    // The instrument's |K| limits.
    std::vector<DesignedQuadrupole> kept;
    kept.reserve(generated.size());
    SequenceSummary& summary = result.summary;
    for (std::size_t k = 0; k < generated.size(); ++k) {
        const double magnitude = std::abs(factorOf(result.layout, generated[k]));
        if (magnitude < options.minAbsK || (options.maxAbsK > 0 && magnitude > options.maxAbsK)) {
            ++summary.outsideKLimits;
            continue;
        }
        kept.push_back(generated[k]);
        ++summary.perArray[static_cast<int>(source[k])];
    }
    if (kept.empty())
        return log.error(kSource, summary.outsideKLimits > 0
                                      ? "Every quadrupole lies outside the |K| limits: no sequence."
                                      : "The layout is too short for the chosen arrays: no quadrupole.");

    result.quadrupoles = groupByInjection(kept);
    summary.normal = result.quadrupoles.size();
    if (options.reciprocals) {
        std::unordered_set<QuadrupoleKey, QuadrupoleKeyHash> normal;
        for (const DesignedQuadrupole& q : result.quadrupoles) normal.insert(keyOf(q));
        std::vector<DesignedQuadrupole> swapped;
        swapped.reserve(result.quadrupoles.size());
        for (const DesignedQuadrupole& q : result.quadrupoles) {
            const DesignedQuadrupole r{{q.pole[M], q.pole[N], q.pole[A], q.pole[B]}};
            // A reciprocal the normal set already measures is read once.
            if (!normal.contains(keyOf(r))) swapped.push_back(r);
        }
        const std::vector<DesignedQuadrupole> grouped = groupByInjection(swapped);
        result.quadrupoles.insert(result.quadrupoles.end(), grouped.begin(), grouped.end());
    }
    summary.quadrupoles = result.quadrupoles.size();
    summary.injections = countInjections({result.quadrupoles.begin(), result.quadrupoles.begin() +
                                                                          static_cast<std::ptrdiff_t>(summary.normal)},
                                         options.channels) +
                         countInjections({result.quadrupoles.begin() + static_cast<std::ptrdiff_t>(summary.normal),
                                          result.quadrupoles.end()},
                                         options.channels);

    // K of every row; the depth of the normal rows (a reciprocal sees the same depth).
    result.geometricFactors.resize(result.quadrupoles.size());
    for (std::size_t k = 0; k < result.quadrupoles.size(); ++k) {
        const DesignedQuadrupole& q = result.quadrupoles[k];
        result.geometricFactors[k] = factorOf(result.layout, q);
        if (k >= summary.normal) continue;
        static constexpr bool present[4] = {true, true, true, true};
        Point3 points[4];
        poleGeometry(result.layout, q, points);
        summary.depthOfInvestigation = std::max(summary.depthOfInvestigation, medianDepthOfInvestigation(points, present));
    }
    design = std::move(result);
    return Status::Ok;
}

}  // namespace vexora
