#include "core/mesh/ModelMask.h"

#include <tuple>

#include "core/mesh/ViewerModelFile.h"

namespace vexora {

bool maskModel(ViewerModel& model, const ModelMask& mask, std::string& why)
{
    const std::vector<double>* doi = model.quantity(kDoiIndexQuantity);
    const std::vector<double>* sensitivity = model.quantity(kSensitivityQuantity);
    for (const auto& [asked, held, name] : {std::tuple{mask.doiAbove.has_value(), doi, kDoiIndexQuantity},
                                            std::tuple{mask.sensitivityBelow.has_value(), sensitivity,
                                                       kSensitivityQuantity}})
        if (asked && !held) {
            why = "the model holds no " + std::string(name) + " to mask by (an inversion writes it";
            why += name == kDoiIndexQuantity ? " when asked for the depth of investigation)" : ")";
            return false;
        }
    std::vector<std::size_t> kept;
    for (std::size_t e = 0; e < model.blocks.size(); ++e) {
        const bool unresolved = mask.doiAbove && (*doi)[e] > *mask.doiAbove;
        const bool insensitive = mask.sensitivityBelow && (*sensitivity)[e] < *mask.sensitivityBelow;
        if (!unresolved && !insensitive) kept.push_back(e);
    }
    ViewerModel masked = model;
    masked.blocks.clear();
    for (std::size_t e : kept) masked.blocks.push_back(model.blocks[e]);
    for (std::size_t q = 0; q < model.values.size(); ++q) {
        masked.values[q].clear();
        for (std::size_t e : kept) masked.values[q].push_back(model.values[q][e]);
    }
    model = std::move(masked);
    return true;
}

}  // namespace vexora
