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
    std::vector<double> topSum(layers, 0.0);
    for (std::size_t j = 0; j < places.size(); ++j) {
        if (!places[j].underElectrodes) continue;
        values[places[j].layer].push_back(index[j]);
        topSum[places[j].layer] += places[j].top;
    }
    for (std::size_t layer = 0; layer < layers; ++layer) {
        if (values[layer].empty()) continue;
        const double top = topSum[layer] / static_cast<double>(values[layer].size());
        if (medianOf(values[layer]) > kDoiThreshold) return std::max(0.0, top);
    }
    return std::nullopt;
}

std::string constrainedDepthMessage(std::span<const ParameterPlace> places, std::span<const double> index)
{
    char text[200];
    const std::optional<double> depth = constrainedDepth(places, index);
    if (!depth) {
        double bottom = 0;
        for (const ParameterPlace& p : places)
            if (p.underElectrodes) bottom = std::max(bottom, p.bottom);
        std::snprintf(text, sizeof text,
                      "Depth of investigation: the model is constrained down to its bottom, %.1f m below the "
                      "surface (DOI index < %g in every layer).",
                      bottom, kDoiThreshold);
    }
    else if (*depth <= 0)
        std::snprintf(text, sizeof text,
                      "Depth of investigation: not even the top layer is constrained (DOI index %g or more).",
                      kDoiThreshold);
    else
        std::snprintf(text, sizeof text,
                      "Depth of investigation: the model is constrained above %.1f m below the surface (DOI index "
                      "< %g).",
                      *depth, kDoiThreshold);
    return text;
}

}  // namespace vexora
