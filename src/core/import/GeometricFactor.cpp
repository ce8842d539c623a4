#include "core/import/GeometricFactor.h"

#include <cmath>
#include <optional>

namespace vexora {

namespace {

struct PoleTerms {
    double sum = 0;        // with their signs: S
    double magnitude = 0;  // of their magnitudes
};

// The terms of S (see the header), summed with their signs and as magnitudes;
// nothing when a current pole stands on a potential pole.
std::optional<PoleTerms> poleTerms(const Point3 pole[4], const bool present[4], const double elevation[2],
                                   bool ignoreZ)
{
    // Contribution of current pole c to potential pole p: direct term plus the
    // term of the current pole's image; sign + for AM and BN, - for AN and BM.
    PoleTerms terms;
    for (int c = A; c <= B; ++c) {
        if (!present[c]) continue;
        for (int p = M; p <= N; ++p) {
            if (!present[p]) continue;
            const double sign = (c == A) == (p == M) ? 1.0 : -1.0;
            const double dx = pole[c].x - pole[p].x, dy = pole[c].y - pole[p].y;
            double direct, image;
            if (ignoreZ) {
                direct = image = std::sqrt(dx * dx + dy * dy);
            } else {
                const double dz = pole[c].z - pole[p].z;
                const double dzImage = pole[c].z + pole[p].z - 2.0 * elevation[c];
                direct = std::sqrt(dx * dx + dy * dy + dz * dz);
                image = std::sqrt(dx * dx + dy * dy + dzImage * dzImage);
            }
            if (direct == 0.0 || image == 0.0) return std::nullopt;
            const double term = 1.0 / direct + 1.0 / image;
            terms.sum += sign * term;
            terms.magnitude += term;
        }
    }
    return terms;
}

std::optional<PoleTerms> poleTermsOfRow(const Survey& survey, std::size_t k, bool ignoreZ)
{
    Point3 pole[4];
    bool present[4];
    double elevation[2] = {0.0, 0.0};
    for (int p = A; p <= N; ++p) {
        const ElectrodeRef& ref = survey.quadrupoles.rows[k].pole[p];
        const std::int32_t row = survey.lookup.find(ref.cable, ref.number);
        present[p] = row >= 0;
        if (!present[p]) continue;
        const Electrode& e = survey.electrodes[static_cast<std::size_t>(row)];
        pole[p] = {e.x, e.y, e.z};
        if (p <= B) elevation[p] = e.elevation;
    }
    return poleTerms(pole, present, elevation, ignoreZ);
}

bool computable(const std::optional<PoleTerms>& terms)
{
    return terms && terms->sum != 0.0 && std::isfinite(terms->sum);
}

double factorOf(const std::optional<PoleTerms>& terms)
{
    return computable(terms) ? 4.0 * kGeometricPi / terms->sum : kCannotCompute;
}

}  // namespace

double geometricFactor(const Point3 pole[4], const bool present[4], double elevationA, double elevationB,
                       bool ignoreZ)
{
    const double elevation[2] = {elevationA, elevationB};
    return factorOf(poleTerms(pole, present, elevation, ignoreZ));
}

std::vector<double> funGeometricFactor(const Survey& survey, bool ignoreZ)
{
    std::vector<double> factors(survey.quadrupoles.size());
    for (std::size_t k = 0; k < factors.size(); ++k) factors[k] = geometricFactorOfRow(survey, k, ignoreZ);
    return factors;
}

double geometricFactorOfRow(const Survey& survey, std::size_t row, bool ignoreZ)
{
    return factorOf(poleTermsOfRow(survey, row, ignoreZ));
}

std::vector<double> cancellationFactors(const Survey& survey)
{
    std::vector<double> factors(survey.quadrupoles.size());
    for (std::size_t k = 0; k < factors.size(); ++k) {
        const std::optional<PoleTerms> terms = poleTermsOfRow(survey, k, false);
        factors[k] = computable(terms) ? terms->magnitude / std::abs(terms->sum) : kCannotCompute;
    }
    return factors;
}

}  // namespace vexora
