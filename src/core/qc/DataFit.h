#pragma once
// How well modelled data fit the measured ones, from a data file that holds
// both (an inversion's output data): the measured against the modelled
// apparent resistivity of each quadrupole in use, and the normalised
// residuals the inversion's misfit is made of,
//
//   n_i = ln(|d_obs| / |d_calc|) / e_i   (about (d_obs - d_calc) / (e_i |d_obs|))
//
// with e_i the relative error of the datum (core/qc/DataErrors.h: its
// standard deviation, else the error model of the file's settings). As in
// the inversion, a measured datum whose modelled V/I has the other sign (or
// none) counts with a residual of 0: sum n_i^2 / N is then the unweighted
// chi2 the inversion logs last, and 100 sqrt(sum ln(d_obs / d_calc)^2 / N)
// its RMS in percent.

#include <cstddef>
#include <vector>

#include "core/log/MessageLog.h"
#include "core/settings/SettingsTable.h"
#include "core/survey/SurveyTables.h"

namespace vexora {

struct CrossPlotPoint {
    std::size_t row = 0;    // quadrupole
    double measured = 0;    // apparent resistivity, ohm m
    double modelled = 0;
    bool operator==(const CrossPlotPoint&) const = default;
};

struct DataFit {
    // Quadrupoles in use with both values; a pair a log scale cannot show
    // (an apparent resistivity of 0 or less, or no geometric factor) is
    // left out of the points and counted in `notPlotted`.
    std::vector<CrossPlotPoint> points;
    std::size_t notPlotted = 0;
    // One per quadrupole the inversion compared: in use, a measured and a
    // modelled V/I of the same sign.
    std::vector<std::size_t> residualRows;
    std::vector<double> normalisedResiduals;
    double rmsPercent = 0;
    double chi2 = 0;
    std::size_t skipped = 0;      // quadrupoles not in use (skip flag set)
    std::size_t incomparable = 0; // in use, but a value missing or of the other sign
};

// Fails (logged) when the survey lacks measured or modelled V/I, or no
// quadrupole has both; `fit` is then untouched.
Status dataFit(const Survey& survey, const SettingsTable& settings, DataFit& fit, MessageLog& log);

}  // namespace vexora
