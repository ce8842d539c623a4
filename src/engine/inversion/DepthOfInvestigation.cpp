#include "engine/inversion/DepthOfInvestigation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/qc/ReciprocalCheck.h"

namespace vexora {

std::vector<double> doiIndex(std::span<const double> first, std::span<const double> second, double firstReference,
                             double secondReference)
{
    std::vector<double> index(first.size());
    for (std::size_t j = 0; j < index.size(); ++j)
        index[j] = std::abs((first[j] - second[j]) / (firstReference - secondReference));
    return index;
}

std::optional<double> constrainedDepth(std::span<const ParameterPlace> places, std::span<const double> index)
{
    std::size_t layers = 0;
    for (const ParameterPlace& p : places) layers = std::max(layers, p.layer + 1);
    std::vector<std::vector<double>> values(layers);
    std::vector<double> bottomSum(layers, 0.0);
    for (std::size_t j = 0; j < places.size(); ++j) {
        if (!places[j].underElectrodes) continue;
        values[places[j].layer].push_back(index[j]);
        bottomSum[places[j].layer] += places[j].bottom;
    }
    std::optional<double> depth;
    for (std::size_t layer = 0; layer < layers; ++layer) {
        if (values[layer].empty()) continue;
        const double bottom = bottomSum[layer] / static_cast<double>(values[layer].size());
        if (medianOf(values[layer]) < kDoiThreshold) depth = bottom;
        else if (depth) break;
    }
    return depth;
}

std::string constrainedDepthMessage(std::span<const ParameterPlace> places, std::span<const double> index)
{
    char text[200];
    if (const std::optional<double> depth = constrainedDepth(places, index))
        std::snprintf(text, sizeof text,
                      "Depth of investigation: the model is constrained above %.1f m below the surface (DOI index "
                      "< %g).",
                      *depth, kDoiThreshold);
    else
        std::snprintf(text, sizeof text,
                      "Depth of investigation: no layer under the electrodes has a median DOI index below %g: the "
                      "data constrain none of the model.",
                      kDoiThreshold);
    return text;
}

}  // namespace vexora
