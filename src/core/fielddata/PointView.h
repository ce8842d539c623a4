#pragma once
// The 3D view of the field data window as numbers: electrodes and
// measurement points turned about the electrodes' barycentre and mapped
// onto the pixels of the picture. The screen shows x to the right and z up;
// y points out of the screen.

#include <cstdint>
#include <vector>

#include "core/import/GeometricFactor.h"  // Point3
#include "core/survey/SurveyTables.h"

namespace vexora {

struct ViewAngles {
    double theta = 0;  // about X, degrees
    double gamma = 0;  // about Y
    double phi = 0;    // about Z
};

// Barycentre of the electrodes that are not remote (all of them when every
// one is).
Point3 electrodeBarycentre(const Survey& survey);

// The point turned about X, then Y, then Z around `centre`:
//   about X: y' = cos a (y - yc) + sin a (z - zc) + yc, z' = -sin a (y - yc) + cos a (z - zc) + zc
// and about Y and Z the same on (x, z) and (x, y).
Point3 rotatePoint(const Point3& p, const Point3& centre, const ViewAngles& angles);

struct Pixel {
    int x = 0, y = 0;
    bool operator==(const Pixel&) const = default;
};

// Maps turned points onto a width x height picture with `margin` pixels
// kept free on each side: x linearly from its extent onto the columns, z
// onto the rows (largest z at the top), each rounded to a whole pixel, the
// middle of the range when the extent is zero. `zoom` scales about the
// picture's centre. With `perspective`, points nearer the viewer (larger y)
// spread out from the centre, farther ones draw in.
std::vector<Pixel> mapToPixels(const std::vector<Point3>& points, int width, int height, int margin, double zoom,
                               bool perspective);

// Where each quadrupole is drawn: the mean position of its poles that are
// not remote, lowered by a quarter of their largest spacing.
std::vector<Point3> measurementPoints(const Survey& survey);

}  // namespace vexora
