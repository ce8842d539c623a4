// The only file that sees CGAL: its Delaunay triangulation with exact
// orientation and in-circle predicates keeps near-duplicate and
// near-collinear terrain points from producing flipped or missing triangles.

#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>

#include <cmath>
#include <exception>
#include <utility>

#include "core/mesh/Topography.h"

namespace vexora {

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using VertexBase = CGAL::Triangulation_vertex_base_with_info_2<double, Kernel>;  // info: elevation
using DataStructure = CGAL::Triangulation_data_structure_2<VertexBase>;
using Delaunay = CGAL::Delaunay_triangulation_2<Kernel, DataStructure>;
using Point = Kernel::Point_2;

// Planar interpolation: the plane through the triangle's three vertices,
// z = z0 + w1 (z1 - z0) + w2 (z2 - z0) with (w1, w2) the barycentric
// weights of p relative to vertex 0.
double planeThrough(const Delaunay::Face_handle& face, double px, double py)
{
    const Point& a = face->vertex(0)->point();
    const Point& b = face->vertex(1)->point();
    const Point& c = face->vertex(2)->point();
    const double za = face->vertex(0)->info(), zb = face->vertex(1)->info(), zc = face->vertex(2)->info();
    const double bx = b.x() - a.x(), by = b.y() - a.y();
    const double cx = c.x() - a.x(), cy = c.y() - a.y();
    const double qx = px - a.x(), qy = py - a.y();
    const double area = bx * cy - cx * by;  // twice the signed area; never 0 for a Delaunay face
    const double wb = (qx * cy - cx * qy) / area;
    const double wc = (bx * qy - qx * by) / area;
    return za + wb * (zb - za) + wc * (zc - za);
}

TopographyStatus interpolate(const std::vector<TopographyPoint>& points, const MeshLines& lines,
                             std::vector<double>& surface, MessageLog& log)
{
    std::vector<std::pair<Point, double>> sites;
    sites.reserve(points.size());
    for (const TopographyPoint& p : points) sites.emplace_back(Point(p.x, p.y), p.z);
    Delaunay triangulation;
    triangulation.insert(sites.begin(), sites.end());  // spatially sorted: O(n log n)
    if (triangulation.dimension() < 2) {
        log.subWriteToTextBox(std::string(kLineBreak) + std::string(kCollinearPointsMessage));
        return TopographyStatus::Fatal;
    }

    const std::size_t nx = lines.x.size(), ny = lines.y.size();
    std::vector<double> next(nx * ny);
    // Neighbouring intersections lie in the same or an adjacent triangle, so
    // each walk starts from the triangle of the previous one.
    Delaunay::Face_handle hint;
    for (std::size_t ix = 0; ix < nx; ++ix)
        for (std::size_t iy = 0; iy < ny; ++iy) {
            const Point p(lines.x[ix], lines.y[iy]);
            Delaunay::Locate_type type;
            int vertexIndex = 0;
            const Delaunay::Face_handle face = triangulation.locate(p, type, vertexIndex, hint);
            double z = 0;
            if (type == Delaunay::VERTEX) z = face->vertex(vertexIndex)->info();
            else if (type == Delaunay::FACE || type == Delaunay::EDGE) z = planeThrough(face, p.x(), p.y());
            else z = triangulation.nearest_vertex(p, face)->info();
            next[ix * ny + iy] = z;
            if (!triangulation.is_infinite(face)) hint = face;
        }
    surface = std::move(next);
    return TopographyStatus::Ready;
}

}  // namespace

TopographyStatus InterpolateTerrainSurface(const std::vector<TopographyPoint>& points, const MeshLines& lines,
                                           std::vector<double>& surface, MessageLog& log)
{
    try {
        return interpolate(points, lines, surface, log);
    }
    catch (const std::exception& failure) {
        log.logError("InterpolateTerrainSurface", std::string("Terrain not triangulated: ") + failure.what());
        return TopographyStatus::Fatal;
    }
}

}  // namespace vexora
