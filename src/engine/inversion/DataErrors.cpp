#include "engine/inversion/DataErrors.h"

#include "core/import/GeometricFactor.h"

namespace vexora {

std::vector<double> surveyErrors(const Survey& survey, std::span<const std::size_t> rows, const ErrorModel& model,
                                 std::size_t& fallbacks)
{
    const QuadrupoleTable& table = survey.quadrupoles;
    std::vector<double> measured(rows.size()), deviation;
    for (std::size_t r = 0; r < rows.size(); ++r) measured[r] = table.resistance[rows[r]];
    if (survey.present.resistanceStd && table.resistanceStd.size() == table.size()) {
        deviation.resize(rows.size());
        for (std::size_t r = 0; r < rows.size(); ++r) deviation[r] = table.resistanceStd[rows[r]];
    }
    std::vector<double> errors = relativeErrors(measured, deviation, model, fallbacks);
    if (model.potentialPercent > 0) {
        const std::vector<double> cancellation = cancellationFactors(survey);
        for (std::size_t r = 0; r < rows.size(); ++r)
            errors[r] += model.potentialPercent / 100.0 * cancellation[rows[r]];
    }
    return errors;
}

}  // namespace vexora
