#include "engine/forward/ForwardSystem.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace vexora {

ElementCorners3 blockCorners(const Mesh& mesh, std::int64_t block)
{
    ElementCorners3 c;
    const ElementCorners& corner = mesh.elementNodes[static_cast<std::size_t>(block)];
    for (std::size_t s = 0; s < 8; ++s) c[s] = mesh.nodeGrid[static_cast<std::size_t>(corner[s] - 1)];
    return c;
}

void blockUnitStiffness(const Mesh& mesh, std::int64_t block, ElementMatrix& k)
{
    unitStiffness(blockCorners(mesh, block), k);
}

namespace {

// Element layers iz0, iz0 + 2, ... : layers two apart share no node plane,
// so each colour can be summed by several threads without locks.
void assembleLayers(const Mesh& mesh, std::span<const double> conductivity, StencilMatrix& kSigma, StencilMatrix* kUnit,
                    std::int32_t first, std::int32_t step)
{
    const std::int64_t perLayer = static_cast<std::int64_t>(mesh.nx - 1) * (mesh.ny - 1);
    ElementMatrix k;
    for (std::int32_t iz = first; iz < mesh.nz; iz += step)
        for (std::int64_t e = (iz - 1) * perLayer; e < iz * perLayer; ++e) {
            blockUnitStiffness(mesh, e, k);
            const double sigma = conductivity[static_cast<std::size_t>(e)];
            const ElementCorners& corner = mesh.elementNodes[static_cast<std::size_t>(e)];
            for (int a = 0; a < 8; ++a)
                for (int b = a; b < 8; ++b) {
                    const int dx = (b & 1) - (a & 1), dy = ((b >> 1) & 1) - ((a >> 1) & 1), dz = (b >> 2) - (a >> 2);
                    const double v = k[static_cast<std::size_t>(a * 8 + b)];
                    const std::int64_t node = corner[static_cast<std::size_t>(a)] - 1;
                    addCoupling(kSigma, node, dx, dy, dz, sigma * v);
                    if (kUnit) addCoupling(*kUnit, node, dx, dy, dz, v);
                }
        }
}

}  // namespace

void assembleStiffness(const Mesh& mesh, std::span<const double> conductivity, StencilMatrix& kSigma,
                       StencilMatrix* kUnit, int threads)
{
    kSigma = makeStencilMatrix(mesh.nx, mesh.ny, mesh.nz);
    if (kUnit) *kUnit = makeStencilMatrix(mesh.nx, mesh.ny, mesh.nz);
    threads = std::clamp(threads, 1, std::max(1, (mesh.nz - 1) / 2));
    for (std::int32_t colour = 1; colour <= 2; ++colour) {
        std::vector<std::jthread> workers;
        for (int t = 0; t < threads; ++t)
            workers.emplace_back(
                [&, t] { assembleLayers(mesh, conductivity, kSigma, kUnit, colour + 2 * t, 2 * threads); });
    }
}

void forEachFaceQuad(const Mesh& mesh, MeshFace face, const std::function<void(const FaceQuad&)>& f)
{
    // The face fixes one axis; u and v run over the other two.
    int fixedAxis = 0, fixedIndex = 1, blockIndex = 1;
    switch (face) {
        case MeshFace::MinusX:
            fixedAxis = 0, fixedIndex = 1, blockIndex = 1;
            break;
        case MeshFace::PlusX:
            fixedAxis = 0, fixedIndex = mesh.nx, blockIndex = mesh.nx - 1;
            break;
        case MeshFace::MinusY:
            fixedAxis = 1, fixedIndex = 1, blockIndex = 1;
            break;
        case MeshFace::PlusY:
            fixedAxis = 1, fixedIndex = mesh.ny, blockIndex = mesh.ny - 1;
            break;
        case MeshFace::Bottom:
            fixedAxis = 2, fixedIndex = mesh.nz, blockIndex = mesh.nz - 1;
            break;
        case MeshFace::Top:
            fixedAxis = 2, fixedIndex = 1, blockIndex = 1;
            break;
    }
    const int uAxis = fixedAxis == 0 ? 1 : 0, vAxis = fixedAxis == 2 ? 1 : 2;
    const int count[3] = {mesh.nx, mesh.ny, mesh.nz};
    FaceQuad q;
    for (int v = 1; v < count[vAxis]; ++v)
        for (int u = 1; u < count[uAxis]; ++u) {
            for (int c = 0; c < 4; ++c) {
                std::array<int, 3>& g = q.grid[static_cast<std::size_t>(c)];
                g[static_cast<std::size_t>(fixedAxis)] = fixedIndex;
                g[static_cast<std::size_t>(uAxis)] = u + (c & 1);
                g[static_cast<std::size_t>(vAxis)] = v + (c >> 1);
                q.node[static_cast<std::size_t>(c)] = nodeNumber(mesh, g[0], g[1], g[2]) - 1;
            }
            std::array<int, 3> b{};
            b[static_cast<std::size_t>(fixedAxis)] = blockIndex;
            b[static_cast<std::size_t>(uAxis)] = u;
            b[static_cast<std::size_t>(vAxis)] = v;
            q.block = (static_cast<std::int64_t>(b[2] - 1) * (mesh.ny - 1) + (b[1] - 1)) * (mesh.nx - 1) + (b[0] - 1);
            f(q);
        }
}

namespace {

NodePoint blockCentre(const Mesh& mesh, std::int64_t block)
{
    NodePoint c;
    for (const NodePoint& p : blockCorners(mesh, block)) c.x += p.x / 8, c.y += p.y / 8, c.z += p.z / 8;
    return c;
}

FaceCorners faceCorners(const Mesh& mesh, const FaceQuad& q)
{
    FaceCorners c;
    for (std::size_t i = 0; i < 4; ++i) c[i] = mesh.nodeGrid[static_cast<std::size_t>(q.node[i])];
    return c;
}

}  // namespace

double mixedCoefficient(const OuterFacePoint& g, const NodePoint& about)
{
    const double rx = g.at.x - about.x, ry = g.at.y - about.y, rz = g.at.z - about.z;
    return g.sigma * g.area * (rx * g.normal.x + ry * g.normal.y + rz * g.normal.z) / (rx * rx + ry * ry + rz * rz);
}

void applyOuterConditions(const Mesh& mesh, std::span<const double> conductivity,
                          const std::array<FaceCondition, kOuterFaces>& faces, const NodePoint& centre,
                          ForwardSystem& s)
{
    s.system = s.conductivityStiffness;
    s.dirichlet.assign(static_cast<std::size_t>(s.system.gridPoints()), 0);
    s.mixedFace.clear();
    s.neumannFace.clear();
    const MeshFace meshFace[kOuterFaces] = {MeshFace::MinusX, MeshFace::PlusX, MeshFace::MinusY, MeshFace::PlusY,
                                            MeshFace::Bottom};
    for (std::size_t f = 0; f < kOuterFaces; ++f) {
        forEachFaceQuad(mesh, meshFace[f], [&](const FaceQuad& q) {
            const double sigma = conductivity[static_cast<std::size_t>(q.block)];
            if (faces[f] == FaceCondition::Neumann) {
                forEachFaceGaussPoint(
                    faceCorners(mesh, q), blockCentre(mesh, q.block),
                    [&](const NodePoint& p, const NodePoint& n, double dA, const std::array<double, 4>& w) {
                        s.neumannFace.push_back(OuterFacePoint{p, n, sigma, dA, 0.0, q.node, w});
                    });
                return;
            }
            if (faces[f] == FaceCondition::Dirichlet) {
                for (std::int64_t k : q.node) s.dirichlet[static_cast<std::size_t>(k)] = 1;
                return;
            }
            // Mixed: du/dn + (cos theta / r) u = 0.
            std::array<double, 16> m{};
            forEachFaceGaussPoint(
                faceCorners(mesh, q), blockCentre(mesh, q.block),
                [&](const NodePoint& p, const NodePoint& n, double dA, const std::array<double, 4>& w) {
                    OuterFacePoint& g = s.mixedFace.emplace_back(OuterFacePoint{p, n, sigma, dA, 0.0, q.node, w});
                    const double c = g.shared = mixedCoefficient(g, centre);
                    for (std::size_t a = 0; a < 4; ++a)
                        for (std::size_t b = 0; b < 4; ++b) m[a * 4 + b] += c * w[a] * w[b];
                });
            for (std::size_t a = 0; a < 4; ++a)
                for (std::size_t b = a; b < 4; ++b) {
                    const auto& ga = q.grid[a];
                    const auto& gb = q.grid[b];
                    addCoupling(s.system, q.node[a], gb[0] - ga[0], gb[1] - ga[1], gb[2] - ga[2], m[a * 4 + b]);
                }
        });
    }
    // Dirichlet nodes keep their diagonal and lose every coupling.
    forEachRealNode(s.system, 1, s.system.nz + 1, [&](std::int64_t k) {
        if (!s.dirichlet[static_cast<std::size_t>(k)]) return;
        double* row = s.system.row(k);
        for (int slot = 1; slot <= kUpperNeighbours; ++slot) {
            row[slot] = 0.0;
            s.system.row(k - s.system.upperOffset[static_cast<std::size_t>(slot - 1)])[slot] = 0.0;
        }
    });
}

void addMixedDifference(const ForwardSystem& s, const NodePoint& about, std::span<const double> x, std::span<double> y)
{
    for (const OuterFacePoint& g : s.mixedFace) {
        double value = 0.0;
        for (std::size_t b = 0; b < 4; ++b) value += g.shape[b] * x[static_cast<std::size_t>(g.node[b])];
        value *= mixedCoefficient(g, about) - g.shared;
        for (std::size_t a = 0; a < 4; ++a)
            if (!s.dirichlet[static_cast<std::size_t>(g.node[a])])
                y[static_cast<std::size_t>(g.node[a])] += value * g.shape[a];
    }
}

void assembleForwardSystem(const Mesh& mesh, std::span<const double> conductivity,
                           const std::array<FaceCondition, kOuterFaces>& faces, const NodePoint& centre, int threads,
                           ForwardSystem& s)
{
    const bool unitNeeded = s.unitStiffness.coefficients.empty();
    assembleStiffness(mesh, conductivity, s.conductivityStiffness, unitNeeded ? &s.unitStiffness : nullptr, threads);
    applyOuterConditions(mesh, conductivity, faces, centre, s);
}

}  // namespace vexora
