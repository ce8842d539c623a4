// vexora section | export-vtk: a model file as a picture for reports, or in
// the formats of the common 3D tools.

#include <charconv>
#include <filesystem>
#include <optional>
#include <ostream>

#include "app/cli/Cli.h"
#include "app/cli/CommandSupport.h"
#include "app/cli/Commands.h"
#include "app/cli/PngRenderers.h"
#include "core/mesh/ModelFileRead.h"
#include "core/io/TextFile.h"
#include "core/mesh/ModelSection.h"
#include "core/mesh/VtkExport.h"
#include "core/settings/NumberText.h"

namespace vexora::cli {

int runSection(const Arguments& args, std::ostream& out, std::ostream& err)
{
    std::vector<std::string> plain;
    std::optional<std::string> png, quantity;
    std::optional<std::pair<SectionAxis, std::string>> plane;
    bool logarithmic = false;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& a = args[k];
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
    double at = 0;
    const std::string& text = plane->second;
    if (const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), at);
        error != std::errc() || end != text.data() + text.size()) {
        err << "vexora section: the plane's position must be a number, not \"" << text << "\"\n";
        return kExitUsage;
    }
    if (outputReplacesInput(err, "section", *png, {plain[0]})) return kExitError;
    MessageLog log;
    ViewerModel model;
    ModelSection section;
    Status status = readModelFile(plain[0], model, log);
    std::string why;
    if (status == Status::Ok && !modelSection(model, plane->first, at, quantity.value_or("Resistivity"), section, why))
        status = log.error("section", plain[0] + ": " + why + ".");
    if (status == Status::Ok) {
        const auto draw = pngRenderers().section;
        if (!draw) status = log.error("section", "this build of vexora cannot draw PNG files");
        else if (!draw(section, !logarithmic, *png, why)) status = log.error("section", *png + ": " + why);
    }
    printLog(log, err);
    if (status != Status::Ok) return kExitError;
    out << "quantity\t" << section.quantity << "\n"
        << "cells\t" << section.cells.size() << "\n"
        << "electrodes\t" << section.electrodes.size() << "\n";
    return kExitOk;
}

int runExportVtk(const Arguments& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 3 || args[1] != "-o" || (args[0].size() > 1 && args[0][0] == '-'))
        return printCommandUsage(err, "export-vtk");
    const std::filesystem::path output = args[2];
    std::filesystem::path points = output;
    points.replace_filename(output.stem().string() + "_electrodes.vtp");
    if (outputReplacesInput(err, "export-vtk", output.string(), {args[0]}) ||
        outputReplacesInput(err, "export-vtk", points.string(), {args[0]}))
        return kExitError;
    MessageLog log;
    ViewerModel model;
    Status status = readModelFile(args[0], model, log);
    std::string why;
    if (status == Status::Ok && !writeFileAtomically(output, vtkUnstructuredGrid(model), &why))
        status = log.error("export-vtk", output.string() + ": " + why);
    if (status == Status::Ok && !model.electrodes.empty() &&
        !writeFileAtomically(points, vtkElectrodePoints(model), &why))
        status = log.error("export-vtk", points.string() + ": " + why);
    printLog(log, err);
    if (status != Status::Ok) return kExitError;
    out << "cells\t" << model.blocks.size() << "\npoints\t" << model.nodes.size() << "\nelectrodes\t"
        << model.electrodes.size() << "\n";
    return kExitOk;
}

}  // namespace vexora::cli
