#pragma once
// Where an inversion is on its way, in percent of the whole: the starting
// model's forward solve, then up to the maximum number of iterations, each
// its sensitivities, its model update and its forward solves, then the
// chargeability inversion when one follows. An iteration's parts are
// weighed by the time they took in the iteration before (the first by the
// shares timed on the sample survey), so the bar moves at an even pace; each
// keeps a tenth of the iteration however short it was. An
// inversion that stops early leaves the rest to the bar's jump at the end.

#include <array>

namespace vexora {

enum class IterationPart { Sensitivities, Update, Forward };

class InversionProgress {
public:
    InversionProgress(int maxIterations, bool chargeabilityFollows);

    // Percent at `fraction` (0 to 1) of the starting model's forward solve.
    int startModel(double fraction) const;
    // Percent at `fraction` of `part` of iteration `iteration` (from 1).
    int at(int iteration, IterationPart part, double fraction) const;
    // Percent at `fraction` of the chargeability inversion.
    int chargeability(double fraction) const;
    // The seconds the parts of an iteration took: the next one's weights.
    void measured(double sensitivitySeconds, double updateSeconds, double forwardSeconds);

private:
    int percentOf(double units) const;

    int iterations_;
    double totalUnits_;
    // Of one iteration; the starting model's solve counts as its forward part.
    std::array<double, 3> shares_{0.2, 0.3, 0.5};
};

}  // namespace vexora
