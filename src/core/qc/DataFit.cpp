#include "core/qc/DataFit.h"

#include <cmath>

#include "core/import/GeometricFactor.h"
#include "core/qc/DataErrors.h"

namespace vexora {

namespace {

constexpr const char* kSource = "DataFit";

bool usable(double v) { return std::isfinite(v) && v != 0 && v != kCannotCompute; }

}  // namespace

Status dataFit(const Survey& survey, const SettingsTable& settings, DataFit& fit, MessageLog& log)
{
    const QuadrupoleTable& t = survey.quadrupoles;
    if (!survey.present.resistance || t.resistance.size() != t.size())
        return log.error(kSource, "The data hold no measured V/I.");
    if (!survey.present.calcResistance || t.calcResistance.size() != t.size())
        return log.error(kSource, "The data hold no calculated V/I: run a forward model or an inversion first.");
    DataFit next;
    const std::vector<double> k = funGeometricFactor(survey, false);
    std::vector<double> logRatios;
    std::size_t unfitted = 0;
    for (std::size_t row = 0; row < t.size(); ++row) {
        if (row < t.skip.size() && t.skip[row] >= 1) {
            ++next.skipped;
            continue;
        }
        const double measured = t.resistance[row], modelled = t.calcResistance[row];
        if (!usable(measured) || !usable(modelled) || (measured > 0) != (modelled > 0)) {
            ++next.incomparable;
            // The inversion counts a datum it could not fit with no weight.
            unfitted += usable(measured);
            continue;
        }
        next.residualRows.push_back(row);
        logRatios.push_back(std::log(measured / modelled));
        const double a = measured * k[row], b = modelled * k[row];
        if (k[row] != kCannotCompute && std::isfinite(k[row]) && a > 0 && b > 0) next.points.push_back({row, a, b});
        else ++next.notPlotted;
    }
    if (next.residualRows.empty())
        return log.error(kSource, "No quadrupole in use has both a measured and a calculated V/I to compare.");
    std::size_t fallbacks = 0;
    const std::vector<double> errors =
        surveyErrors(survey, next.residualRows, settingsErrorModel(settings, true), fallbacks);
    double squares = 0, normalisedSquares = 0;
    next.normalisedResiduals.resize(logRatios.size());
    for (std::size_t i = 0; i < logRatios.size(); ++i) {
        next.normalisedResiduals[i] = logRatios[i] / errors[i];
        squares += logRatios[i] * logRatios[i];
        normalisedSquares += next.normalisedResiduals[i] * next.normalisedResiduals[i];
    }
    const double n = static_cast<double>(logRatios.size() + unfitted);
    next.rmsPercent = 100 * std::sqrt(squares / n);
    next.chi2 = normalisedSquares / n;
    fit = std::move(next);
    return Status::Ok;
}

}  // namespace vexora
