#include "core/import/GeometricFactor.h"

#include <cmath>

namespace vexora {

double geometricFactor(const Point3 pole[4], const bool present[4], double elevationA, double elevationB,
                       bool ignoreZ)
{
    // Contribution of current pole c to potential pole p: direct term plus the
    // term of the current pole's image; sign + for AM and BN, - for AN and BM.
    const double elevation[2] = {elevationA, elevationB};
    double sum = 0.0;
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
            if (direct == 0.0 || image == 0.0) return kCannotCompute;
            sum += sign * (1.0 / direct + 1.0 / image);
        }
    }
    if (sum == 0.0 || !std::isfinite(sum)) return kCannotCompute;
    return 4.0 * kGeometricPi / sum;
}

std::vector<double> funGeometricFactor(const Survey& survey, bool ignoreZ)
{
    const QuadrupoleTable& q = survey.quadrupoles;
    std::vector<double> factors(q.size());
    for (std::size_t k = 0; k < q.size(); ++k) {
        Point3 pole[4];
        bool present[4];
        double elevation[2] = {0.0, 0.0};
        for (int p = A; p <= N; ++p) {
            const ElectrodeRef& ref = q.rows[k].pole[p];
            const std::int32_t row = survey.lookup.find(ref.cable, ref.number);
            present[p] = row >= 0;
            if (!present[p]) continue;
            const Electrode& e = survey.electrodes[static_cast<std::size_t>(row)];
            pole[p] = {e.x, e.y, e.z};
            if (p <= B) elevation[p] = e.elevation;
        }
        factors[k] = geometricFactor(pole, present, elevation[0], elevation[1], ignoreZ);
    }
    return factors;
}

}  // namespace vexora
