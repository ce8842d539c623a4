#pragma once
// Where the electrodes of a survey to be designed stand: cables laid end to
// end along one line, a grid of parallel cables, or the electrodes of a
// loaded data file. Arrays run along the layout's lines (each an ordered
// list of electrode rows); the grid arrays pair two lines.

#include <cstdint>
#include <string>
#include <vector>

#include "core/log/MessageLog.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

struct ElectrodeLayout {
    std::vector<std::string> cableNames;
    std::vector<Electrode> electrodes;        // cable indices are 1-based into cableNames
    std::vector<std::vector<std::int32_t>> lines;  // electrode rows in order along each line
    double spacing = 1;                       // the smallest electrode spacing along the lines (m)
};

// Limits of a designed layout: enough for the largest field grids, small
// enough that a typing slip cannot ask for gigabytes.
inline constexpr int kMaxLayoutElectrodes = 100000;

// `cables` cables of `electrodesPerCable` electrodes each, laid end to end
// along x, `spacing` metres apart; cable k is named "k", its electrodes are
// numbered 1.. along the line. One line.
Status cableLineLayout(int cables, int electrodesPerCable, double spacing, ElectrodeLayout& layout, MessageLog& log);

// `nx` x `ny` electrodes, `dx` apart along x and rows `dy` apart along y;
// row k is cable "k" numbered 1..nx from west to east. Each row is a line.
Status gridLayout(int nx, int ny, double dx, double dy, ElectrodeLayout& layout, MessageLog& log);

// The electrodes of a loaded survey: each cable is a line, its electrodes in
// ascending number; cables of fewer than two electrodes (remote poles) carry
// no line.
Status surveyLayout(const Survey& survey, ElectrodeLayout& layout, MessageLog& log);

// Adds, once, a remote electrode for pole arrays on its own cable
// ("Rem_1"), far beside the layout: 20 times its largest extent from the
// centre, so its terms change K by a few percent at most. Returns its row.
std::int32_t addRemoteElectrode(ElectrodeLayout& layout);

}  // namespace vexora
