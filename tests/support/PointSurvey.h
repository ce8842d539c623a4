#pragma once
// A survey of surface electrodes at given (x, y) on one cable, numbered 1..n
// in order, and quadrupoles A B M N by those numbers: geometry made by hand
// for the geometric-factor tests.

#include <array>
#include <vector>

#include "core/datafile/SurveyChecks.h"

namespace vexora::testing {

inline Survey pointSurvey(const std::vector<std::array<double, 2>>& xy, const std::vector<std::array<int, 4>>& quads)
{
    Survey s;
    s.cableNames = {"L"};
    for (std::size_t i = 0; i < xy.size(); ++i) {
        Electrode e;
        e.cable = 1, e.number = static_cast<int>(i + 1), e.x = xy[i][0], e.y = xy[i][1], e.type = 2;
        s.electrodes.push_back(e);
    }
    MessageLog log;
    (void)funCreateElecTable(s, log);  // distinct numbers on one cable: Ok
    for (const std::array<int, 4>& poles : quads) {
        Quadrupole q;
        for (std::size_t p = 0; p < 4; ++p) q.pole[p] = {1, poles[p]};
        s.quadrupoles.rows.push_back(q);
    }
    return s;
}

}  // namespace vexora::testing
