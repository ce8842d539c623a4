#include "core/datafile/MeshSettingsOnReload.h"

#include "core/mesh/DefaultMeshSettings.h"
#include "core/settings/ItemCatalogue.h"
#include "core/settings/NumberText.h"
#include "core/settings/ParseLine.h"
#include "core/settings/SettingsTable.h"

namespace vexora {

std::string meshSettingsLostOnReload(const ProjectStore& store)
{
    // A reload derives the mesh settings from the electrodes over the
    // session's table, as the load of a workspace does.
    SettingsTable reloaded = store.settings;
    MeshLines lines;
    MessageLog quiet;
    if (SetDefaultMeshSettings(store.survey, reloaded, lines, quiet) != Status::Ok) return {};
    // The values, not their spelling: "0.5" is what "0.500" reloads as.
    classParseLine tokenizer;
    const auto numbers = [&](const SettingsTable& table, Item item) {
        std::string text;
        for (double v : dDataFill(tokenizer, settingText(table, item))) text += (text.empty() ? "" : " ") + formatNumber(v);
        return text;
    };
    std::string lost;
    for (int n = static_cast<int>(Item::GridSizeX); n <= static_cast<int>(Item::AdaptGridToElectrodes); ++n) {
        const Item item = static_cast<Item>(n);
        const std::string now = numbers(store.settings, item), then = numbers(reloaded, item);
        if (now == then || catalogueEntry(item).tag.empty()) continue;
        lost += (lost.empty() ? "" : "; ") + std::string(catalogueEntry(item).tag) + " " + now + " -> " + then;
    }
    return lost;
}

}  // namespace vexora
