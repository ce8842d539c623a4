#pragma once
// Whether a survey's electrodes lie on one straight line, and where along it.
//
// The line is the principal direction of the ordinary electrodes' (x, y)
// through their centroid; the survey is a line when every electrode lies
// within the tolerance of it, remote electrodes included (the forward
// model places them where they are, so one off the line needs 3D).

#include <string>
#include <vector>

#include "core/survey/SurveyTables.h"

namespace vexora {

// 1 % of the line's length.
inline constexpr double kLineTolerance = 0.01;

struct ElectrodeLine {
    double originX = 0, originY = 0;        // s = 0: the first ordinary electrode along the line
    double directionX = 1, directionY = 0;  // unit; x >= 0 (y > 0 when x = 0)
    double length = 0;                      // of the ordinary electrodes
    double farthest = 0;                    // largest distance of an electrode from the line
    std::vector<double> s;                  // per electrode row
};

// Where (x, y) lies along the line (s) and how far off it.
double alongLine(const ElectrodeLine& line, double x, double y);
double offLine(const ElectrodeLine& line, double x, double y);

enum class LineFit { OnLine, OffLine, TooFew };

// Fits the line; OnLine when every electrode lies within `tolerance` times
// the length of it, OffLine otherwise (`line` then still says how far the
// farthest lies), TooFew without two distinct ordinary positions. `why` says
// which electrode is off the line.
LineFit fitElectrodeLine(const std::vector<Electrode>& electrodes, double tolerance, ElectrodeLine& line,
                         std::string& why);

}  // namespace vexora
