// vexora section | export-vtk: a model file as a picture for reports, or in
// the formats of the common 3D tools.

#include <charconv>
#include <cmath>
#include <filesystem>
#include <optional>
#include <ostream>

#include "app/cli/Cli.h"
#include "app/cli/CommandSupport.h"
#include "app/cli/Commands.h"
#include "app/cli/PngRenderers.h"
#include "core/mesh/ModelFileRead.h"
#include "core/mesh/ModelMask.h"
#include "core/io/TextFile.h"
#include "core/mesh/ModelSection.h"
#include "core/mesh/VtkExport.h"
#include "core/settings/NumberText.h"

namespace vexora::cli {

namespace {

// The whole text as a finite number.
std::optional<double> numberOf(const std::string& text)
{
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

enum class MaskOption { Taken, NotMine, Misuse };

// --mask-doi T, --mask-sensitivity S at args[k] (k moves past the value);
// Misuse with the reason on `err`.
MaskOption readMaskOption(const Arguments& args, std::size_t& k, ModelMask& mask, std::ostream& err,
                          std::string_view command)
{
    const std::string& option = args[k];
    if (option != "--mask-doi" && option != "--mask-sensitivity") return MaskOption::NotMine;
    const std::optional<double> value = k + 1 < args.size() ? numberOf(args[k + 1]) : std::nullopt;
    if (!value) {
        err << "vexora " << command << ": " << option << " takes a number"
            << (k + 1 < args.size() ? ", not \"" + args[k + 1] + "\"" : std::string()) << "\n";
        return MaskOption::Misuse;
    }
    ++k;
    (option == "--mask-doi" ? mask.doiAbove : mask.sensitivityBelow) = *value;
    return MaskOption::Taken;
}

// Reads a model file and leaves out the blocks of `mask`, counted in
// `leftOut`; Error logged.
Status readMaskedModel(const std::string& path, const ModelMask& mask, std::string_view command, ViewerModel& model,
                       std::size_t& leftOut, MessageLog& log)
{
    if (readModelFile(path, model, log) != Status::Ok) return Status::Error;
    const std::size_t blocks = model.blocks.size();
    std::string why;
    if (!maskModel(model, mask, why)) return log.error(command, path + ": " + why + ".");
    leftOut = blocks - model.blocks.size();
    return Status::Ok;
}

bool masking(const ModelMask& mask) { return mask.doiAbove || mask.sensitivityBelow; }

}  // namespace

int runSection(const Arguments& args, std::ostream& out, std::ostream& err)
{
    std::vector<std::string> plain;
    std::optional<std::string> png, quantity;
    std::optional<std::pair<SectionAxis, std::string>> plane;
    bool logarithmic = false;
    ModelMask mask;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& a = args[k];
        const MaskOption maskRead = readMaskOption(args, k, mask, err, "section");
        if (maskRead == MaskOption::Misuse) return kExitUsage;
        if (maskRead == MaskOption::Taken) continue;
        const bool valued = a == "--x" || a == "--y" || a == "--z" || a == "--png" || a == "--quantity";
        if (valued && k + 1 >= args.size()) return printCommandUsage(err, "section");
        if (a == "--log") logarithmic = true;
        else if (a == "--png") png = args[++k];
        else if (a == "--quantity") quantity = args[++k];
        else if (valued) {
            if (plane) return printCommandUsage(err, "section");
            plane = {a == "--x" ? SectionAxis::X : a == "--y" ? SectionAxis::Y : SectionAxis::Z, args[++k]};
        }
        else if (a.size() > 1 && a[0] == '-') return printCommandUsage(err, "section");
        else plain.push_back(a);
    }
    if (plain.size() != 1 || !png || !plane) return printCommandUsage(err, "section");
    const std::optional<double> at = numberOf(plane->second);
    if (!at) {
        err << "vexora section: the plane's position must be a number, not \"" << plane->second << "\"\n";
        return kExitUsage;
    }
    if (outputReplacesInput(err, "section", *png, {plain[0]})) return kExitError;
    MessageLog log;
    ViewerModel model;
    ModelSection section;
    std::size_t leftOut = 0;
    Status status = readMaskedModel(plain[0], mask, "section", model, leftOut, log);
    std::string why;
    if (status == Status::Ok && !modelSection(model, plane->first, *at, quantity.value_or("Resistivity"), section, why))
        status = log.error("section", plain[0] + ": " + why + ".");
    if (status == Status::Ok) {
        const auto draw = pngRenderers().section;
        if (!draw) status = log.error("section", "this build of vexora cannot draw PNG files");
        else if (!draw(section, !logarithmic, *png, why)) status = log.error("section", *png + ": " + why);
    }
    printLog(log, err);
    if (status != Status::Ok) return kExitError;
    out << "quantity\t" << section.quantity << "\n"
        << "cells\t" << section.cells.size() << "\n";
    if (masking(mask)) out << "masked blocks\t" << leftOut << "\n";
    out << "electrodes\t" << section.electrodes.size() << "\n";
    return kExitOk;
}

int runExportVtk(const Arguments& args, std::ostream& out, std::ostream& err)
{
    std::vector<std::string> plain;
    std::optional<std::string> target;
    ModelMask mask;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const MaskOption maskRead = readMaskOption(args, k, mask, err, "export-vtk");
        if (maskRead == MaskOption::Misuse) return kExitUsage;
        if (maskRead == MaskOption::Taken) continue;
        if (args[k] == "-o" && k + 1 < args.size() && !target) target = args[++k];
        else if (args[k].size() > 1 && args[k][0] == '-') return printCommandUsage(err, "export-vtk");
        else plain.push_back(args[k]);
    }
    if (plain.size() != 1 || !target) return printCommandUsage(err, "export-vtk");
    const std::filesystem::path output = *target;
    std::filesystem::path points = output;
    points.replace_filename(output.stem().string() + "_electrodes.vtp");
    if (outputReplacesInput(err, "export-vtk", output.string(), {plain[0]}) ||
        outputReplacesInput(err, "export-vtk", points.string(), {plain[0]}))
        return kExitError;
    MessageLog log;
    ViewerModel model;
    std::size_t leftOut = 0;
    Status status = readMaskedModel(plain[0], mask, "export-vtk", model, leftOut, log);
    std::string why;
    if (status == Status::Ok && !writeFileAtomically(output, vtkUnstructuredGrid(model), &why))
        status = log.error("export-vtk", output.string() + ": " + why);
    if (status == Status::Ok && !model.electrodes.empty() &&
        !writeFileAtomically(points, vtkElectrodePoints(model), &why))
        status = log.error("export-vtk", points.string() + ": " + why);
    printLog(log, err);
    if (status != Status::Ok) return kExitError;
    out << "cells\t" << model.blocks.size() << "\n";
    if (masking(mask)) out << "masked blocks\t" << leftOut << "\n";
    out << "points\t" << model.nodes.size() << "\nelectrodes\t" << model.electrodes.size() << "\n";
    return kExitOk;
}

}  // namespace vexora::cli
