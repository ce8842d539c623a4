#pragma once
// The field data window's 3D view of a survey: electrodes and measurement
// points turned about the electrodes' barycentre and mapped onto the pixels
// of a picture, with the selections the view offers. Plain geometry: the
// window paints what these functions place.

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/survey/SurveyTables.h"

namespace vexora {

using ViewPoint = std::array<double, 3>;

// Turns in degrees about X ("Theta"), Y ("Gamma") and Z ("Phi"), applied in
// that order.
struct ViewTurn {
    double theta = 0, gamma = 0, phi = 0;
};

enum class ViewPlane { XY, ZX, ZY };
enum class ViewProjection { Orthographic, Perspective };

// The turn that shows a plane face on: XY from above (x right, y up), ZX
// from the south (x right, z up), ZY from the east (y right, z up).
ViewTurn planeTurn(ViewPlane plane);

// Whether an electrode is a remote pole (on a cable named "Rem...").
bool isRemoteElectrode(const Survey& survey, const Electrode& electrode);

// The mean position of the electrodes that are not remote poles (of all of
// them when every one is); the origin when there are none. A remote pole
// hundreds of metres away would pull the view off the survey.
ViewPoint barycentre(const Survey& survey);

// About X: y' = cos a (y - yc) + sin a (z - zc) + yc,
//          z' = -sin a (y - yc) + cos a (z - zc) + zc;
// about Y the same on (x, z) and about Z on (x, y).
ViewPoint turnAbout(const ViewPoint& point, const ViewPoint& centre, const ViewTurn& turn);

struct PictureFrame {
    int width = 1, height = 1;
    double zoom = 1;
    ViewProjection projection = ViewProjection::Orthographic;
};

struct ScreenPoint {
    int x = 0, y = 0;   // pixels, y down
    double depth = 0;   // turned z: larger is nearer the viewer
};

// The turned points seen along -z': x' to the right, y' up, mapped linearly
// from their extent onto the picture with one scale for both directions (so
// shapes keep their proportions), centred, times the zoom, rounded to whole
// pixels; a direction of zero extent goes to the middle. In perspective the
// offsets from the centre grow for nearer points, as seen from two and a
// half extents away.
std::vector<ScreenPoint> projectToPicture(std::span<const ViewPoint> points, const ViewPoint& centre,
                                          const ViewTurn& turn, const PictureFrame& frame);

// Drawing order for hidden points: farthest first, so nearer points cover them.
std::vector<std::size_t> farthestFirst(std::span<const ScreenPoint> points);

// Where each quadrupole is drawn: x and y midway between the centres of its
// current and its potential pair (remote poles left out), z the mean height
// of those electrodes less the pseudo-depth. Nothing for a quadrupole
// without a current and a potential electrode among the survey's.
std::vector<std::optional<ViewPoint>> measurementPoints(const Survey& survey);

enum class BandAxis { X, Y, Z };

// Rows whose point lies between the two bounds (either order, inclusive).
std::vector<std::size_t> selectInBand(std::span<const std::optional<ViewPoint>> points, BandAxis axis, double bound1,
                                      double bound2);

// The point drawn nearest the pixel within `radius` pixels, the nearest to
// the viewer among equals; nothing when none is that close.
std::optional<std::size_t> pickNearest(std::span<const ScreenPoint> points, int x, int y, int radius);

// "Sel. n Qp." and, for the quadrupole `row`, its A, B, M, N (cable-number),
// v (mV), i (mA), rho (ohm m), m (mean of the IP windows), q (the V/I
// deviation, %) and its drawn position; values the survey lacks are left out.
std::string selectionDescription(const Survey& survey, std::size_t selectedCount, std::size_t row,
                                 const std::optional<ViewPoint>& at);

}  // namespace vexora
