#include "core/qc/DataErrors.h"

#include <cmath>

#include "core/import/GeometricFactor.h"

namespace vexora {

ErrorModel settingsErrorModel(const SettingsTable& table, bool resistivity)
{
    ErrorModel model;
    model.percent = settingNumber(table, resistivity ? Item::ResNoisePercent : Item::IpNoisePercent);
    model.constant = settingNumber(table, resistivity ? Item::ResNoiseConstant : Item::IpNoiseConstant);
    model.potentialPercent = resistivity ? settingNumber(table, Item::ResNoisePotential) : 0;
    return model;
}

std::vector<double> relativeErrors(std::span<const double> resistances, std::span<const double> standardDeviations,
                                   const ErrorModel& model, std::size_t& fallbacks)
{
    fallbacks = 0;
    std::vector<double> errors(resistances.size());
    for (std::size_t i = 0; i < resistances.size(); ++i) {
        const double magnitude = std::abs(resistances[i]);
        if (!standardDeviations.empty()) {
            if (standardDeviations[i] > 0 && magnitude > 0) {
                errors[i] = standardDeviations[i] / magnitude;
                continue;
            }
            ++fallbacks;
        }
        errors[i] = model.percent / 100.0 + (magnitude > 0 ? model.constant / magnitude : 1.0);
    }
    return errors;
}

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
