#include "core/mesh/NodeSearch.h"

#include <algorithm>
#include <cmath>

namespace vexora {

namespace {

constexpr double kFarAway = 1e30;

// Smallest and largest x of the nodes of every X line index (and y of every
// Y line index) over the layers searched.
struct LineBounds {
    std::vector<double> xLo, xHi, yLo, yHi;
};

LineBounds lineBounds(const Mesh& mesh, std::int32_t firstLayer, std::int32_t lastLayer)
{
    const std::size_t nx = static_cast<std::size_t>(mesh.nx), ny = static_cast<std::size_t>(mesh.ny);
    LineBounds b{std::vector<double>(nx, INFINITY), std::vector<double>(nx, -INFINITY),
                 std::vector<double>(ny, INFINITY), std::vector<double>(ny, -INFINITY)};
    for (std::int32_t iz = firstLayer; iz <= lastLayer; ++iz)
        for (std::size_t iy = 1; iy <= ny; ++iy) {
            const NodePoint* row = &mesh.nodeGrid[static_cast<std::size_t>(nodeNumber(mesh, 1, iy, iz) - 1)];
            double yLo = b.yLo[iy - 1], yHi = b.yHi[iy - 1];
            for (std::size_t ix = 0; ix < nx; ++ix) {
                const NodePoint& n = row[ix];
                b.xLo[ix] = std::min(b.xLo[ix], n.x);
                b.xHi[ix] = std::max(b.xHi[ix], n.x);
                yLo = std::min(yLo, n.y);
                yHi = std::max(yHi, n.y);
            }
            b.yLo[iy - 1] = yLo;
            b.yHi[iy - 1] = yHi;
        }
    return b;
}

// Squared distance from v to [lo, hi]. Rounding is monotone, so it never
// exceeds the rounded squared distance to any value inside the interval:
// a safe lower bound for every node of the line.
double gapSquared(double v, double lo, double hi)
{
    if (v < lo) return (v - lo) * (v - lo);
    if (v > hi) return (v - hi) * (v - hi);
    return 0;
}

struct Nearest {
    double distance = kFarAway;
    std::int64_t node = 0;
    // Strictly closer, or as close with a lower node number: what a scan in
    // node order keeping strictly closer nodes ends with.
    void offer(double d, std::int64_t k)
    {
        if (d < distance || (d == distance && node != 0 && k < node)) {
            distance = d;
            node = k;
        }
    }
};

class ColumnSearch {
public:
    ColumnSearch(const Mesh& mesh, std::int32_t firstLayer, std::int32_t lastLayer, bool horizontal)
        : mesh_(mesh), first_(firstLayer), last_(lastLayer), horizontal_(horizontal),
          bounds_(lineBounds(mesh, firstLayer, lastLayer)), gapX_(static_cast<std::size_t>(mesh.nx)),
          gapY_(static_cast<std::size_t>(mesh.ny))
    {
        candidatesX_.reserve(gapX_.size());
        candidatesY_.reserve(gapY_.size());
    }

    std::int64_t nearest(const NodePoint& p)
    {
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || (!horizontal_ && !std::isfinite(p.z))) return 0;
        for (std::size_t i = 0; i < gapX_.size(); ++i) gapX_[i] = gapSquared(p.x, bounds_.xLo[i], bounds_.xHi[i]);
        for (std::size_t i = 0; i < gapY_.size(); ++i) gapY_[i] = gapSquared(p.y, bounds_.yLo[i], bounds_.yHi[i]);
        const std::size_t ix0 = static_cast<std::size_t>(std::min_element(gapX_.begin(), gapX_.end()) - gapX_.begin());
        const std::size_t iy0 = static_cast<std::size_t>(std::min_element(gapY_.begin(), gapY_.end()) - gapY_.begin());

        // The most promising column first gives a tight bound for the rest.
        Nearest best;
        searchColumn(p, ix0, iy0, best);
        candidatesX_.clear();
        candidatesY_.clear();
        for (std::size_t i = 0; i < gapX_.size(); ++i)
            if (gapX_[i] <= best.distance) candidatesX_.push_back(i);
        for (std::size_t i = 0; i < gapY_.size(); ++i)
            if (gapY_[i] <= best.distance) candidatesY_.push_back(i);
        for (std::size_t ix : candidatesX_)
            for (std::size_t iy : candidatesY_) {
                if (ix == ix0 && iy == iy0) continue;
                if (gapX_[ix] + gapY_[iy] > best.distance) continue;
                searchColumn(p, ix, iy, best);
            }
        return best.node;
    }

private:
    void searchColumn(const NodePoint& p, std::size_t ix, std::size_t iy, Nearest& best) const
    {
        for (std::int32_t iz = first_; iz <= last_; ++iz) {
            const std::int64_t k = nodeNumber(mesh_, static_cast<std::int64_t>(ix) + 1, static_cast<std::int64_t>(iy) + 1, iz);
            const NodePoint& n = mesh_.nodeGrid[static_cast<std::size_t>(k - 1)];
            const double dx = p.x - n.x, dy = p.y - n.y;
            double d = dx * dx + dy * dy;
            if (!horizontal_) {
                const double dz = p.z - n.z;
                d = d + dz * dz;
            }
            best.offer(d, k);
        }
    }

    const Mesh& mesh_;
    std::int32_t first_, last_;
    bool horizontal_;
    LineBounds bounds_;
    std::vector<double> gapX_, gapY_;
    std::vector<std::size_t> candidatesX_, candidatesY_;
};

}  // namespace

std::vector<std::int32_t> nearestRealNodes(const Mesh& mesh, const std::vector<NodePoint>& points,
                                           std::int32_t firstLayer, std::int32_t lastLayer, bool horizontal)
{
    std::vector<std::int32_t> nearest(points.size(), 0);
    firstLayer = std::max(firstLayer, 1);
    lastLayer = std::min(lastLayer, mesh.nz);
    const std::int64_t nodes = static_cast<std::int64_t>(mesh.nx + 2) * (mesh.ny + 2) * (mesh.nz + 2);
    if (mesh.nx < 1 || mesh.ny < 1 || firstLayer > lastLayer ||
        static_cast<std::int64_t>(mesh.nodeGrid.size()) != nodes)
        return nearest;
    ColumnSearch search(mesh, firstLayer, lastLayer, horizontal);
    for (std::size_t i = 0; i < points.size(); ++i) nearest[i] = static_cast<std::int32_t>(search.nearest(points[i]));
    return nearest;
}

}  // namespace vexora
