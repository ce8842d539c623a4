#!/usr/bin/python3
"""Independent finite-element V/I for the forward-model reference tables.

Solves  -div(sigma grad u) = delta(x - x_A)  for a unit current at every
current electrode with FEniCSx (quadratic tetrahedra) on gmsh meshes graded
around the electrodes, which are mesh vertices. The top is a free surface; the
far faces of a box km away take sigma du/dn + sigma (cos theta / r) u = 0 about
the source. Each case runs at two refinement levels; the finer gives the
table, the relative difference between them its accuracy.

Needs Debian's python3-dolfinx and python3-gmsh (run with /usr/bin/python3).

    forward_reference.py --check            closed form on a half-space
    forward_reference.py [case ...] [--out DIR]
"""

import argparse
import math
import sys
import time

import numpy as np
import gmsh
import ufl
from mpi4py import MPI
from petsc4py import PETSc
from dolfinx import fem, mesh as dmesh
from dolfinx.io import gmshio
from dolfinx.fem.petsc import assemble_matrix

FAR = 1000.0     # half width and depth of the box, m
TAPER = 40.0     # terrain lifts the nodes above this depth, fading with depth
# (size at the electrodes m, growth of the size with distance) per level
LEVELS = [(0.08, 0.13), (0.055, 0.09)]


# ---- surveys -------------------------------------------------------------

def two_lines(count, gap, height=lambda x, y: 0.0):
    """Electrodes 1..count at x = 0..count-1 on y = 0, then the same on y = gap."""
    return [(float(i), y, height(float(i), y)) for y in (0.0, gap) for i in range(count)]


def dipole_dipole(first, count, nmax):
    return [(first + i, first + i + 1, first + i + n + 1, first + i + n + 2)
            for n in range(1, nmax + 1) for i in range(count - n - 2)]


def wenner(first, count):
    return [(first + i, first + i + 3 * a, first + i + a, first + i + 2 * a)
            for a in range(1, count) for i in range(count - 3 * a)]


def pole_dipole(first, count, nmax):
    return [(first + i, 0, first + i + n, first + i + n + 1)
            for n in range(1, nmax + 1) for i in range(count - n - 1)]


def cross_line(count):
    """Current dipole on line 1, potential dipole on line 2 shifted along X by 0, 1 or 3 m
    (a shift of 2 m, 3 m across, falls near the dipole's zero line)."""
    q = []
    for i in range(count - 1):
        for s in (-3, -1, 0, 1, 3):
            m = i + s
            if 0 <= m and m + 1 < count:
                q.append((1 + i, 2 + i, count + 1 + m, count + 2 + m))
    return q


def all_arrays(count):
    q = []
    for first in (1, count + 1):
        q += dipole_dipole(first, count, 4) + wenner(first, count) + pole_dipole(first, count, 4)
    return q + cross_line(count)


# ---- models --------------------------------------------------------------

def hill(x, y):
    return 1.5 * np.exp(-((x - 5.5) ** 2 + (y - 1.5) ** 2) / 9.0)


def profile(x):
    """Flat, 30 % up from x = 3 to 7.5, flat."""
    return 0.3 * (np.clip(x, 3.0, 7.5) - 3.0)


def contact_quads(count):
    """Current electrodes in the 30 ohm m half (x <= 4), potential ones in the other."""
    q = []
    for line in (0, count):
        for a in range(0, 5):
            for m in range(5, count - 1):
                q.append((line + a + 1, 0, line + m + 1, line + m + 2))
            if a < 4:
                for m in range(5, count - 1):
                    if m - a <= 5:
                        q.append((line + a + 1, line + a + 2, line + m + 1, line + m + 2))
        q += [(line + 1, line + 12, line + 5 + 1, line + 7 + 1)]  # wide A-B across the contact
    for a in range(0, 4):  # current dipole on line 1, potential dipole on line 2, 3 m or more along X
        for m in range(a + 3, count - 1):
            if m >= 5:
                q.append((a + 1, a + 2, count + m + 1, count + m + 2))
    return q


CASES = {
    "cube": dict(
        title="conductive cube 10 ohm m, x 3..5, y 0.5..2.5, z -2.5..-0.5, in 100 ohm m; flat ground",
        electrodes=two_lines(12, 3.0), quads=all_arrays(12),
        boxes=[(3.0, 0.5, -2.5, 5.0, 2.5, -0.5)],
        rho=lambda p: np.where((p[:, 0] > 3) & (p[:, 0] < 5) & (p[:, 1] > 0.5) & (p[:, 1] < 2.5)
                               & (p[:, 2] > -2.5) & (p[:, 2] < -0.5), 10.0, 100.0)),
    "contact": dict(
        title="vertical contact at x = 4.5: 30 ohm m for x < 4.5, 300 ohm m for x > 4.5; flat ground",
        electrodes=two_lines(12, 3.0), quads=contact_quads(12),
        split_x=4.5, rho=lambda p: np.where(p[:, 0] < 4.5, 30.0, 300.0)),
    "terrain2d": dict(
        title="100 ohm m under z = 0.3 (min(max(x, 3), 7.5) - 3): flat, a 30 % slope, flat; kinks at x = 3 and 7.5",
        electrodes=two_lines(12, 3.0, lambda x, y: float(profile(x))), quads=all_arrays(12),
        kinks=[3.0, 7.5], lift=lambda x, y: profile(x), rho=lambda p: np.full(len(p), 100.0)),
    "hill3d": dict(
        title="100 ohm m under z = 1.5 exp(-((x - 5.5)^2 + (y - 1.5)^2) / 3^2)",
        electrodes=two_lines(12, 3.0, lambda x, y: float(hill(x, y))), quads=all_arrays(12),
        lift=hill, fine_top=(-2.0, -6.0, 13.0, 9.0, 0.6), rho=lambda p: np.full(len(p), 100.0)),
    "halfspace": dict(
        title="homogeneous half-space 100 ohm m (closed form check)",
        electrodes=two_lines(12, 3.0), quads=all_arrays(12), rho=lambda p: np.full(len(p), 100.0)),
}


# ---- mesh ----------------------------------------------------------------

def build_mesh(case, level):
    h0, growth = LEVELS[level]
    gmsh.initialize()
    gmsh.option.setNumber("General.Terminal", 0)
    occ = gmsh.model.occ
    c = case.get("split_x")
    if c is None:
        volumes = [(3, occ.addBox(-FAR, -FAR, -FAR, 2 * FAR, 2 * FAR, FAR))]
    else:  # two halves sharing the plane x = c
        volumes = [(3, occ.addBox(-FAR, -FAR, -FAR, c + FAR, 2 * FAR, FAR)),
                   (3, occ.addBox(c, -FAR, -FAR, FAR - c, 2 * FAR, FAR))]
    tools = [(3, occ.addBox(x0, y0, z0, x1 - x0, y1 - y0, z1 - z0)) for x0, y0, z0, x1, y1, z1 in case.get("boxes", [])]
    for k in case.get("kinks", []):
        tools.append((1, occ.addLine(occ.addPoint(k, -FAR, 0), occ.addPoint(k, FAR, 0))))
    flat = [(x, y) for x, y, _ in case["electrodes"]]
    tools += [(0, occ.addPoint(x, y, 0)) for x, y in flat]
    occ.fragment(volumes, tools)
    occ.synchronize()
    gmsh.model.addPhysicalGroup(3, [t for _, t in gmsh.model.getEntities(3)], 1)

    electrode_points = []
    for x, y in flat:
        hit = gmsh.model.getEntitiesInBoundingBox(x - 1e-6, y - 1e-6, -1e-6, x + 1e-6, y + 1e-6, 1e-6, 0)
        electrode_points.append(hit[0][1])
    fields = gmsh.model.mesh.field
    dist = fields.add("Distance")
    fields.setNumbers(dist, "PointsList", electrode_points)
    size = fields.add("MathEval")
    fields.setString(size, "F", f"Min({h0} + {growth} * F{dist}, {FAR / 5})")
    box = case.get("fine_top")
    if box:  # a finer top where the terrain is curved: its facets follow the lift
        x0, y0, x1, y1, depth = box
        top = fields.add("Box")
        for key, value in (("VIn", 2 * h0), ("VOut", FAR), ("XMin", x0), ("XMax", x1), ("YMin", y0),
                           ("YMax", y1), ("ZMin", -depth), ("ZMax", 1.0)):
            fields.setNumber(top, key, value)
        graded, size = size, fields.add("Min")
        fields.setNumbers(size, "FieldsList", [graded, top])
    fields.setAsBackgroundMesh(size)
    gmsh.option.setNumber("Mesh.MeshSizeExtendFromBoundary", 0)
    gmsh.option.setNumber("Mesh.MeshSizeFromPoints", 0)
    gmsh.option.setNumber("Mesh.MeshSizeFromCurvature", 0)
    gmsh.option.setNumber("Mesh.Algorithm3D", 10)  # HXT
    gmsh.option.setNumber("General.NumThreads", 2)
    gmsh.model.mesh.generate(3)
    msh, _, _ = gmshio.model_to_mesh(gmsh.model, MPI.COMM_WORLD, 0, gdim=3)
    gmsh.finalize()

    lift = case.get("lift")
    if lift:  # the top follows the terrain; its kinks and electrodes are mesh vertices
        x = msh.geometry.x
        x[:, 2] += lift(x[:, 0], x[:, 1]) * np.clip(1 + x[:, 2] / TAPER, 0, 1)
    return msh


# ---- solve ---------------------------------------------------------------

def solve_case(case, level):
    start = time.time()
    msh = build_mesh(case, level)
    V = fem.FunctionSpace(msh, ("Lagrange", 2))
    W = fem.FunctionSpace(msh, ("DG", 0))
    sigma = fem.Function(W)
    cells = np.arange(msh.topology.index_map(3).size_local, dtype=np.int32)
    sigma.x.array[:] = 1.0 / case["rho"](dmesh.compute_midpoints(msh, 3, cells))

    fdim = 2
    far = dmesh.locate_entities_boundary(
        msh, fdim, lambda p: np.isclose(np.abs(p[0]), FAR) | np.isclose(np.abs(p[1]), FAR) | np.isclose(p[2], -FAR))
    tags = dmesh.meshtags(msh, fdim, np.sort(far), np.full(len(far), 1, dtype=np.int32))
    ds = ufl.Measure("ds", domain=msh, subdomain_data=tags)
    u, v = ufl.TrialFunction(V), ufl.TestFunction(V)
    xs = fem.Constant(msh, np.zeros(3))
    x = ufl.SpatialCoordinate(msh)
    n = ufl.FacetNormal(msh)
    d = x - xs
    volume = fem.form(sigma * ufl.inner(ufl.grad(u), ufl.grad(v)) * ufl.dx)
    mixed = fem.form(sigma * ufl.dot(d, n) / ufl.dot(d, d) * u * v * ds(1))

    K = assemble_matrix(volume)
    K.assemble()

    def system(source):
        xs.value[:] = source
        B = assemble_matrix(mixed)
        B.assemble()
        A = K.copy()
        A.axpy(1.0, B, PETSc.Mat.Structure.SUBSET_NONZERO_PATTERN)
        return A

    coords = V.tabulate_dof_coordinates()
    electrodes = np.array(case["electrodes"])
    dofs = []
    for e in electrodes:
        k = int(np.argmin(np.sum((coords - e) ** 2, axis=1)))
        assert np.linalg.norm(coords[k] - e) < 1e-9, f"electrode {e} is not a mesh vertex"
        dofs.append(k)

    sources = sorted({p for q in case["quads"] for p in q[:2] if p})
    # One preconditioner for all sources: the mixed condition about their centre.
    P = system(electrodes[np.array(sources) - 1].mean(axis=0))
    ksp = PETSc.KSP().create(msh.comm)
    ksp.setType("cg")
    ksp.getPC().setType("hypre")
    opts = PETSc.Options()
    opts["pc_hypre_type"] = "boomeramg"
    opts["pc_hypre_boomeramg_strong_threshold"] = 0.5
    opts["pc_hypre_boomeramg_coarsen_type"] = "HMIS"
    opts["pc_hypre_boomeramg_interp_type"] = "ext+i"
    opts["ksp_reuse_preconditioner"] = True
    ksp.setTolerances(rtol=1e-10, atol=0, max_it=2000)
    ksp.setFromOptions()
    ksp.getPC().setFromOptions()
    ksp.setOperators(P, P)
    ksp.setUp()

    potential = {}
    b, sol = P.createVecRight(), P.createVecRight()
    iterations = []
    for s in sources:
        A = system(electrodes[s - 1])
        ksp.setOperators(A, P)
        b.set(0.0)
        b.setValue(dofs[s - 1], 1.0)
        b.assemble()
        ksp.solve(b, sol)
        if ksp.getConvergedReason() <= 0:
            sys.exit(f"source {s}: CG did not converge ({ksp.getConvergedReason()})")
        iterations.append(ksp.getIterationNumber())
        potential[s] = sol.getArray()[dofs].copy()
        A.destroy()

    def vi(q):
        a, bb, m, nn = q
        total = 0.0
        for c, sign in ((a, 1.0), (bb, -1.0)):
            if c:
                total += sign * ((potential[c][m - 1] if m else 0.0) - (potential[c][nn - 1] if nn else 0.0))
        return total

    values = np.array([vi(q) for q in case["quads"]])
    info = dict(dofs=V.dofmap.index_map.size_global, cells=len(cells), seconds=time.time() - start,
                iterations=max(iterations))
    return values, info


def closed_form(case):
    e = np.array(case["electrodes"])

    def pot(c, m):
        return 100.0 / (2 * math.pi * np.linalg.norm(e[c - 1] - e[m - 1]))

    out = []
    for a, b, m, n in case["quads"]:
        v = 0.0
        for c, sign in ((a, 1.0), (b, -1.0)):
            if c:
                v += sign * ((pot(c, m) if m else 0.0) - (pot(c, n) if n else 0.0))
        out.append(v)
    return np.array(out)


def write_table(path, name, case, values, diff, infos):
    lines = [f"# Independent reference V/I (ohm), case {name}: {case['title']}.",
             "# Quadratic tetrahedra (FEniCSx 0.5, gmsh), electrodes at mesh vertices, unit point sources,",
             f"# free top surface, far faces {FAR:g} m away with sigma du/dn + sigma (cos theta / r) u = 0 about the source.",
             "# Levels (size at the electrodes m, growth): " + ", ".join(f"{h:g} {g:g}" for h, g in LEVELS) + ";",
             "# degrees of freedom " + ", ".join(str(i["dofs"]) for i in infos) +
             f"; largest relative difference between the levels {diff.max():.2e}, median {np.median(diff):.2e}.",
             "# E <number> <x> <y> <z>; Q <a> <b> <m> <n> <V/I of the finer level> <relative level difference>;",
             "# pole 0 is absent. Made by scripts/reference/forward_reference.py."]
    for k, (x, y, z) in enumerate(case["electrodes"], 1):
        lines.append(f"E\t{k}\t{x:.9g}\t{y:.9g}\t{z:.9g}")
    for q, v, d in zip(case["quads"], values, diff):
        lines.append("Q\t" + "\t".join(str(p) for p in q) + f"\t{v:.9g}\t{d:.1e}")
    with open(path, "w", encoding="ascii", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("cases", nargs="*", default=["cube", "contact", "terrain2d", "hill3d"])
    parser.add_argument("--out", default="tests/engine/reference")
    parser.add_argument("--check", action="store_true", help="half-space against its closed form")
    parser.add_argument("--levels", type=int, default=2)
    args = parser.parse_args()
    for name in (["halfspace"] if args.check else args.cases):
        case = CASES[name]
        results = [solve_case(case, level) for level in range(args.levels)]
        for level, (values, info) in enumerate(results):
            print(f"{name} level {level}: {len(values)} quadrupoles, {info['dofs']} dofs, {info['cells']} cells, "
                  f"{info['seconds']:.0f} s, at most {info['iterations']} CG iterations", flush=True)
        values = results[-1][0]
        diff = np.abs(results[-1][0] / results[0][0] - 1) if len(results) > 1 else np.zeros(len(values))
        print(f"{name}: level difference max {diff.max():.2e} median {np.median(diff):.2e} "
              f"(worst {case['quads'][int(np.argmax(diff))]})")
        if args.check:
            for level, (vals, _) in enumerate(results):
                err = np.abs(vals / closed_form(case) - 1)
                print(f"closed form, level {level}: max {err.max():.2e} median {np.median(err):.2e} "
                      f"(worst {case['quads'][int(np.argmax(err))]})")
        else:
            write_table(f"{args.out}/{name}.tsv", name, case, values, diff, [r[1] for r in results])


if __name__ == "__main__":
    main()
