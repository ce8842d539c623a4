#pragma once
// The finite-element system of the forward model on the mesh's real nodes:
// element stiffness matrices of trilinear hexahedra summed into stencil
// matrices, the outer-face conditions, and the face loops they share.
//
//   K_sigma = sum_e sigma_e K_e,   K_1 = sum_e K_e,
//   K_e(a, b) = integral over block e of grad N_a . grad N_b.
//
// The system matrix is K_sigma plus, on mixed faces, the asymptotic term
// integral sigma (cos theta / r) N_a N_b dS about a centre point, with the
// rows and columns of Dirichlet nodes decoupled (their unknown is zero).
// The Gauss points of that term are kept, so that the same term about
// another point (each source's own) can be applied without a new matrix.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "engine/forward/ForwardSettings.h"
#include "engine/forward/HexElement.h"
#include "core/mesh/Mesh.h"
#include "engine/solver/LinearSolver.h"
#include "engine/solver/StencilMatrix.h"

namespace vexora {

// A Gauss point of a mixed or Neumann outer face: its position, outward unit
// normal, sigma and dA, and the shape values of the face's four corner nodes.
struct OuterFacePoint {
    NodePoint at;
    NodePoint normal;
    double sigma = 0;
    double area = 0;
    double shared = 0;  // sigma (cos theta / r) dA about the centre: what the matrix holds
    std::array<std::int64_t, 4> node{};
    std::array<double, 4> shape{};
};

struct ForwardSystem {
    StencilMatrix system;                 // K_sigma, mixed terms about the centre, Dirichlet rows
    StencilMatrix conductivityStiffness;  // K_sigma
    StencilMatrix unitStiffness;          // K_1, the same for every model on this mesh
    std::vector<std::uint8_t> dirichlet;  // per grid point: the unknown is held at zero
    std::vector<OuterFacePoint> mixedFace;
    std::vector<OuterFacePoint> neumannFace;  // for the primary field's flux through them
    std::shared_ptr<SolverAnalysis> analysis;   // the solver's, kept for the next model on this mesh
};

// sigma (cos theta / r) dA at a mixed face point, theta between the outward
// normal and the direction from `about`.
double mixedCoefficient(const OuterFacePoint& g, const NodePoint& about);

// y += (B_about - B_c) x: the mixed term about `about` less the one in the
// matrix (zero on Dirichlet rows).
void addMixedDifference(const ForwardSystem& s, const NodePoint& about, std::span<const double> x,
                        std::span<double> y);

// Corner coordinates of block e (0-based) and its unit element matrix K_e:
// the pieces that sensitivities dV/dsigma_e = -u_A^T K_e u_M are made of.
ElementCorners3 blockCorners(const Mesh& mesh, std::int64_t block);
void blockUnitStiffness(const Mesh& mesh, std::int64_t block, ElementMatrix& k);

// K_sigma and K_1 for the conductivity per block, over `threads` threads.
void assembleStiffness(const Mesh& mesh, std::span<const double> conductivity, StencilMatrix& kSigma,
                       StencilMatrix* kUnit, int threads);

// A boundary quadrilateral of the mesh: corner grid indices in the face's
// (0,0), (1,0), (0,1), (1,1) order and the block behind it.
struct FaceQuad {
    std::array<std::int64_t, 4> node{};
    std::array<std::array<int, 3>, 4> grid{};  // (ix, iy, iz) of each corner
    std::int64_t block = 0;
};

enum class MeshFace { MinusX, PlusX, MinusY, PlusY, Bottom, Top };

// Calls f(quad) for every quadrilateral of one face of the mesh.
void forEachFaceQuad(const Mesh& mesh, MeshFace face, const std::function<void(const FaceQuad&)>& f);

// The system matrix from K_sigma: mixed terms about `centre`, Dirichlet nodes.
void applyOuterConditions(const Mesh& mesh, std::span<const double> conductivity,
                          const std::array<FaceCondition, kOuterFaces>& faces, const NodePoint& centre,
                          ForwardSystem& s);

// Everything above for one model.
void assembleForwardSystem(const Mesh& mesh, std::span<const double> conductivity,
                           const std::array<FaceCondition, kOuterFaces>& faces, const NodePoint& centre, int threads,
                           ForwardSystem& s);

}  // namespace vexora
