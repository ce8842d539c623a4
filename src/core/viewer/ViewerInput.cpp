#include "core/viewer/ViewerInput.h"

#include <algorithm>
#include <cmath>

#include "core/mesh/ModelFileRead.h"

namespace vexora {

namespace {

// The axis a section's normal points along (its largest component).
std::size_t normalAxis(const ViewerScriptSection& section)
{
    std::size_t axis = 0;
    for (std::size_t k = 1; k < 3; ++k)
        if (std::abs(section.normal[k]) > std::abs(section.normal[axis])) axis = k;
    return axis;
}

}  // namespace

Status readViewerInput(const std::filesystem::path& path, ViewerInput& input, MessageLog& log)
{
    constexpr const char* kSource = "readViewerInput";
    ViewerInput read;
    read.modelFile = path;
    ViewerScript script;
    switch (readViewerScriptFile(path, script, log)) {
    case ScriptFileRead::Unreadable: return Status::Error;
    case ScriptFileRead::NotAScript: break;
    case ScriptFileRead::Script:
        read.modelFile = script.modelFile;
        read.electrodes = script.electrodes;
        read.script = std::move(script);
        break;
    }
    if (readModelFile(read.modelFile, read.model, log) != Status::Ok) return Status::Error;
    if (read.model.blocks.empty() || read.model.quantities.empty())
        return log.error(kSource, read.modelFile.string() + " holds no block with a value to show.");
    const ModelBounds bounds = modelBounds(read.model);
    read.sectionsAt = bounds.centre();
    if (read.script)
        for (const ViewerScriptSection& section : read.script->sections) {
            const std::size_t axis = normalAxis(section);
            read.sectionsAt[axis] = axis == 0 ? section.point.x : axis == 1 ? section.point.y : section.point.z;
        }
    // A centre on the model's top or outside it (the workbench puts it on
    // the surface) would cut no block: just inside.
    for (std::size_t k = 0; k < 3; ++k) {
        const double inset = (bounds.high[k] - bounds.low[k]) * 1e-3;
        read.sectionsAt[k] = std::clamp(read.sectionsAt[k], bounds.low[k] + inset, bounds.high[k] - inset);
    }
    input = std::move(read);
    return Status::Ok;
}

std::string firstQuantity(const ViewerModel& model)
{
    if (model.quantity("Resistivity")) return "Resistivity";
    return model.quantities.empty() ? std::string() : model.quantities.front();
}

}  // namespace vexora
