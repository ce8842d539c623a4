#include "core/qc/SurveyValues.h"

#include "core/import/GeometricFactor.h"
#include "core/qc/Histogram.h"

namespace vexora {

namespace {

double product(double l, double r) { return l == kCannotCompute || r == kCannotCompute ? kCannotCompute : l * r; }

}  // namespace

Status histogramValues(const Survey& survey, std::string_view quantity, bool ignoreZ, std::vector<double>& values,
                       MessageLog& log)
{
    constexpr char kSource[] = "histogramValues";
    values.clear();
    if (!histogramQuantity(quantity)) return log.error(kSource, "Unknown quantity " + std::string(quantity) + ".");
    const QuadrupoleTable& q = survey.quadrupoles;
    const std::size_t n = q.size();
    auto present = [n](const std::vector<double>& column) { return n > 0 && column.size() == n; };
    const bool needResistance = quantity == "V/I" || quantity == "V" || quantity == "Rho";
    if (needResistance && !present(q.resistance)) return log.error(kSource, "No V/I values loaded.");
    if ((quantity == "V" || quantity == "I") && !present(q.current)) return log.error(kSource, "No currents loaded.");
    if (quantity == "IP" && (q.ip.empty() || !present(q.ip[0]))) return log.error(kSource, "No IP values loaded.");
    if (quantity == "q") return log.error(kSource, "No q values in a loaded data file.");
    if (n == 0) return log.error(kSource, "No quadrupoles loaded.");
    std::vector<double> k;
    if (quantity == "K" || quantity == "Rho") k = funGeometricFactor(survey, ignoreZ);
    values.reserve(n);
    for (std::size_t r = 0; r < n; ++r) {
        if (r < q.skip.size() && q.skip[r] != 0) continue;
        if (quantity == "V/I") values.push_back(q.resistance[r]);
        else if (quantity == "V") values.push_back(product(q.resistance[r], q.current[r]));
        else if (quantity == "I") values.push_back(q.current[r]);
        else if (quantity == "K") values.push_back(k[r]);
        else if (quantity == "Rho") values.push_back(product(q.resistance[r], k[r]));
        else values.push_back(q.ip[0][r]);
    }
    return Status::Ok;
}

}  // namespace vexora
