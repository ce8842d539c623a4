// vexora reciprocal | histogram | pseudosection: the data-quality checks of a
// loaded survey; vexora xcable: a cross-cable map drawn; vexora results: the
// fit of an inversion's modelled data.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ostream>

#include "app/cli/Cli.h"
#include "app/cli/CommandSupport.h"
#include "app/cli/Commands.h"
#include "app/cli/PngRenderers.h"
#include "core/jobs/JobResults.h"
#include "core/import/GeometricFactor.h"
#include "core/qc/CrossCableMap.h"
#include "core/qc/Histogram.h"
#include "core/qc/Pseudosection.h"
#include "core/qc/ReciprocalCheck.h"
#include "core/qc/ReciprocalFile.h"
#include "core/qc/ReversedReciprocals.h"
#include "core/qc/SurveyValues.h"
#include "core/settings/NumberText.h"

namespace vexora::cli {

namespace {

// "--name VALUE" options and plain arguments; false on an unknown option or
// an option without its value.
struct ParsedArguments {
    std::vector<std::string> plain;
    std::vector<std::pair<std::string, std::string>> options;
    bool ip = false;
};

bool parseArguments(const Arguments& args, const std::vector<std::string>& valued, ParsedArguments& parsed,
                    bool allowIp)
{
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& a = args[k];
        if (allowIp && a == "--ip") {
            parsed.ip = true;
        } else if (std::find(valued.begin(), valued.end(), a) != valued.end()) {
            if (k + 1 >= args.size()) return false;
            parsed.options.emplace_back(a, args[++k]);
        } else if (a.size() > 1 && a[0] == '-') {
            return false;
        } else {
            parsed.plain.push_back(a);
        }
    }
    return true;
}

const std::string* optionValue(const ParsedArguments& parsed, const std::string& name)
{
    for (const auto& [key, value] : parsed.options)
        if (key == name) return &value;
    return nullptr;
}

std::string percentText(double value) { return std::isnan(value) ? "undefined" : formatFixed(value, 3); }

}  // namespace

PngRenderers& pngRenderers()
{
    static PngRenderers renderers;
    return renderers;
}

int runReciprocal(const Arguments& args, std::ostream& out, std::ostream& err)
{
    ParsedArguments parsed;
    if (!parseArguments(args, {"-o"}, parsed, true) || parsed.plain.size() != 1)
        return printCommandUsage(err, "reciprocal");
    const std::string* output = optionValue(parsed, "-o");
    if (output && outputReplacesInput(err, "reciprocal", *output, {parsed.plain[0]})) return kExitError;
    ProjectStore store;
    MessageLog log;
    Status status = loadDataFile(store, parsed.plain[0], log);
    ReciprocalResult result;
    if (status == Status::Ok)
        status = DoReciprocalCheck(store.survey, parsed.ip ? ReciprocalValue::FirstIp : ReciprocalValue::Resistance,
                                   result, log);
    if (status == Status::Ok && output)
        status = writeReciprocalFile(*output, result, ReciprocalOrder::OriginalId, log);
    std::vector<CableReversalHint> reversedCables;
    if (status == Status::Ok) {
        reversedCables = cablesPairingReversed(store.survey);
        for (const CableReversalHint& hint : reversedCables)
            log.warning("reciprocal", *reversalWarning(hint.pairs, false,
                                                       "cable " + store.survey.cableNames[static_cast<std::size_t>(hint.cable - 1)]));
    }
    printLog(log, err);
    if (status != Status::Ok) return kExitError;
    std::vector<double> diffs = pairedPercentDifferences(result);
    out << "quadrupoles " << result.rows.size() << "\n"
        << "pairs " << result.pairs << "\n"
        << "duplicates " << result.duplicates << "\n"
        << "median_percent_diff " << percentText(medianOf(diffs)) << "\n"
        << "p95_percent_diff " << percentText(percentileOf(diffs, 95)) << "\n";
    for (const CableReversalHint& hint : reversedCables)
        out << "pairs_with_cable_reversed " << store.survey.cableNames[static_cast<std::size_t>(hint.cable - 1)] << " "
            << hint.pairs.reversed << " (as recorded " << hint.pairs.asTheyAre << ")\n";
    if (result.undefinedPairs > 0)
        out << "undefined_percent_diff " << result.undefinedPairs
            << " pairs (zero mean or a value that cannot be computed)\n";
    return kExitOk;
}

int runHistogram(const Arguments& args, std::ostream& out, std::ostream& err)
{
    ParsedArguments parsed;
    if (!parseArguments(args, {"--bins", "--png"}, parsed, false) || parsed.plain.size() != 2)
        return printCommandUsage(err, "histogram");
    int bins = 0;
    if (const std::string* text = optionValue(parsed, "--bins")) {
        const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), bins);
        if (error != std::errc() || end != text->data() + text->size() || bins < 1 || bins > kMaxHistogramBins) {
            err << "vexora histogram: --bins takes a whole number from 1 to " << kMaxHistogramBins << "\n";
            return kExitUsage;
        }
    }
    const std::string& quantity = parsed.plain[1];
    const std::vector<std::string>& names = histogramQuantityNames();
    if (std::find(names.begin(), names.end(), quantity) == names.end()) {
        err << "vexora histogram: QUANTITY is one of V/I, V, I, K, Rho, q, IP\n";
        return kExitUsage;
    }
    const std::string* png = optionValue(parsed, "--png");
    if (png && outputReplacesInput(err, "histogram", *png, {parsed.plain[0]})) return kExitError;
    ProjectStore store;
    MessageLog log;
    Status status = loadDataFile(store, parsed.plain[0], log);
    std::vector<double> values;
    HistogramModel model;
    if (status == Status::Ok) status = histogramValues(store.survey, quantity, false, values, log);
    if (status == Status::Ok) status = funPlotHistogram(std::move(values), quantity, model, log);
    if (status == Status::Ok && bins > 0 && model.stats.max > model.stats.min) {
        setBins(model, bins, (model.stats.max - model.stats.min) / bins);
        setDefaultAxes(model);
    }
    if (status == Status::Ok && png) {
        std::string why;
        const auto draw = pngRenderers().histogram;
        if (!draw) status = log.error("histogram", "this build of vexora cannot draw PNG files");
        else if (!draw(model, *png, why)) status = log.error("histogram", *png + ": " + why);
    }
    printLog(log, err);
    if (status != Status::Ok) return kExitError;
    const HistogramStatistics& s = model.stats;
    out << "quantity\t" << model.quantity.unitLabel << "\n"
        << "count\t" << s.count << "\n"
        << "excluded_not_computed\t" << s.excludedNotComputed << "\n"
        << "excluded_not_a_number\t" << s.excludedNotANumber << "\n"
        << "min\t" << formatNumber(s.min) << "\n"
        << "max\t" << formatNumber(s.max) << "\n"
        << "mean\t" << formatNumber(s.mean) << "\n"
        << "median\t" << formatNumber(s.median) << "\n"
        << "std_dev\t" << (s.count > 1 ? formatNumber(s.stdDev) : std::string("undefined")) << "\n"
        << "bin_width\t" << formatNumber(model.binWidth) << "\n"
        << "bins\t" << model.binCount << "\n"
        << "lower\tupper\tcount\n";
    for (const HistogramBin& bin : model.bins)
        out << formatNumber(bin.lower) << "\t" << formatNumber(bin.upper) << "\t" << bin.count << "\n";
    return kExitOk;
}

int runPseudosection(const Arguments& args, std::ostream& out, std::ostream& err)
{
    ParsedArguments parsed;
    if (!parseArguments(args, {"--cable", "--quantity", "--png"}, parsed, false) || parsed.plain.size() != 1 ||
        !optionValue(parsed, "--png"))
        return printCommandUsage(err, "pseudosection");
    PseudoQuantity quantity = PseudoQuantity::ApparentResistivity;
    if (const std::string* name = optionValue(parsed, "--quantity"); name && !pseudoQuantityFromName(*name, quantity)) {
        err << "vexora pseudosection: --quantity is one of rho, calc, ip, misfit\n";
        return kExitUsage;
    }
    const std::string& png = *optionValue(parsed, "--png");
    if (outputReplacesInput(err, "pseudosection", png, {parsed.plain[0]})) return kExitError;
    const std::string* cable = optionValue(parsed, "--cable");
    ProjectStore store;
    MessageLog log;
    Status status = loadDataFile(store, parsed.plain[0], log);
    std::vector<PseudosectionPanel> panels;
    if (status == Status::Ok)
        status = pseudosectionPanels(store.survey, quantity, cable ? *cable : std::string(), panels, log);
    if (status == Status::Ok && panels.empty()) status = Status::Error;  // the reason is logged
    if (status == Status::Ok) {
        std::string why;
        const auto draw = pngRenderers().pseudosection;
        if (!draw) status = log.error("pseudosection", "this build of vexora cannot draw PNG files");
        else if (!draw(panels, quantity, png, why)) status = log.error("pseudosection", png + ": " + why);
    }
    printLog(log, err);
    if (status != Status::Ok) return kExitError;
    out << "cable\tdata\tlength_m\tdeepest_m\n";
    for (const PseudosectionPanel& panel : panels) {
        double deepest = 0;
        for (const PseudoPoint& p : panel.points) deepest = std::max(deepest, p.depth);
        out << panel.cable << "\t" << panel.points.size() << "\t" << formatNumber(panel.length) << "\t"
            << formatNumber(deepest) << "\n";
    }
    return kExitOk;
}

int runResults(const Arguments& args, std::ostream& out, std::ostream& err)
{
    ParsedArguments parsed;
    if (!parseArguments(args, {"--png"}, parsed, false) || parsed.plain.size() != 1)
        return printCommandUsage(err, "results");
    MessageLog log;
    JobResults results;
    Status status = loadJobResults(parsed.plain[0], results, log);
    if (const std::string* prefix = optionValue(parsed, "--png"); status == Status::Ok && prefix) {
        const PngRenderers& draw = pngRenderers();
        std::string why;
        const std::string crossPlot = *prefix + "_crossplot.png", misfit = *prefix + "_misfit.png",
                          residuals = *prefix + "_residuals.png";
        if (!draw.crossPlot || !draw.misfit || !draw.residuals)
            status = log.error("results", "this build of vexora cannot draw PNG files");
        else if (!draw.crossPlot(results.fit, crossPlot, why))
            status = log.error("results", crossPlot + ": " + why);
        else if (!draw.misfit(results.misfits, misfit, why))
            status = log.error("results", misfit + ": " + why);
        else if (!draw.residuals(results.residuals, residuals, why))
            status = log.error("results", residuals + ": " + why);
    }
    printLog(log, err);
    if (status != Status::Ok) return kExitError;
    const DataFit& fit = results.fit;
    out << "compared\t" << fit.residualRows.size() << "\n"
        << "plotted\t" << fit.points.size() << "\n"
        << "not_plotted\t" << fit.notPlotted << "\n"
        << "skipped\t" << fit.skipped << "\n"
        << "incomparable\t" << fit.incomparable << "\n"
        << "rms_percent\t" << formatFixed(fit.rmsPercent, 2) << "\n"
        << "chi2\t" << formatFixed(fit.chi2, 3) << "\n"
        << "residual_mean\t" << formatFixed(results.residuals.stats.mean, 3) << "\n"
        << "residual_std_dev\t" << formatFixed(results.residuals.stats.stdDev, 3) << "\n"
        << "model\t" << results.modelFile.string() << "\n"
        << "last_log_line\t" << results.lastLogLine << "\n"
        << "iteration\trms_percent\tchi2\n";
    for (const IterationMisfit& m : results.misfits.resistivity)
        out << m.iteration << "\t" << formatNumber(m.rms) << "\t" << formatNumber(m.chi2) << "\n";
    return kExitOk;
}

int runXcable(const Arguments& args, std::ostream& out, std::ostream& err)
{
    // --rho is the one option without a value.
    Arguments rest;
    bool resistivity = false;
    for (const std::string& a : args) {
        if (a == "--rho") resistivity = true;
        else rest.push_back(a);
    }
    ParsedArguments parsed;
    if (!parseArguments(rest, {"--tx", "--rx", "--array", "--layer", "--png"}, parsed, false) || parsed.plain.size() != 1)
        return printCommandUsage(err, "xcable");
    const std::string* tx = optionValue(parsed, "--tx");
    const std::string* rx = optionValue(parsed, "--rx");
    const std::string* array = optionValue(parsed, "--array");
    const std::string* png = optionValue(parsed, "--png");
    if (!tx || !rx || !array || !png) return printCommandUsage(err, "xcable");
    const std::vector<std::pair<std::string, CrossCableArray>> arrays = {
            {"dd", CrossCableArray::DipoleDipole}, {"pd", CrossCableArray::PoleDipole}, {"pp", CrossCableArray::PolePole}};
    const auto chosen = std::find_if(arrays.begin(), arrays.end(), [&](const auto& a) { return a.first == *array; });
    if (chosen == arrays.end()) {
        err << "vexora xcable: --array is one of dd, pd, pp\n";
        return kExitUsage;
    }
    CrossCableView view;
    view.resistivity = resistivity;
    if (const std::string* text = optionValue(parsed, "--layer")) {
        const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), view.layer);
        if (error != std::errc() || end != text->data() + text->size() || view.layer < 1) {
            err << "vexora xcable: --layer takes a dipole size, a whole number from 1\n";
            return kExitUsage;
        }
    }
    if (outputReplacesInput(err, "xcable", *png, {parsed.plain[0]})) return kExitError;
    ProjectStore store;
    MessageLog log;
    Status status = loadDataFile(store, parsed.plain[0], log);
    const std::vector<std::string>& names = store.survey.cableNames;
    const auto cable = [&](const std::string& name) {
        const auto found = std::find(names.begin(), names.end(), name);
        if (found != names.end()) return static_cast<std::int32_t>(found - names.begin() + 1);
        if (status == Status::Ok) status = log.error("xcable", "There is no cable " + name + " in " + parsed.plain[0] + ".");
        return 0;
    };
    const std::int32_t txCable = status == Status::Ok ? cable(*tx) : 0;
    const std::int32_t rxCable = status == Status::Ok ? cable(*rx) : 0;
    CrossCableMap map;
    std::vector<double> factors;
    if (status == Status::Ok) {
        factors = funGeometricFactor(store.survey, false);
        map = buildCrossCableMap(store.survey, factors, chosen->second, txCable, rxCable);
    }
    CrossCablePicture picture;
    if (status == Status::Ok) {
        picture = crossCablePicture(store.survey, factors, map, view);
        const std::string caption = "TX " + *tx + "   RX " + *rx + "   " + *array + "   dipole size " +
                                    std::to_string(view.layer);
        std::string why;
        const auto draw = pngRenderers().crossCable;
        if (!draw) status = log.error("xcable", "this build of vexora cannot draw PNG files");
        else if (!draw(picture, caption, *png, why)) status = log.error("xcable", *png + ": " + why);
    }
    printLog(log, err);
    if (status != Status::Ok) return kExitError;
    const std::size_t filled = static_cast<std::size_t>(std::count_if(
            picture.cells.begin(), picture.cells.end(), [](const CrossCableCell& c) { return c.quadrupole >= 0; }));
    out << "rows\t" << map.rows() << "\n"
        << "columns\t" << map.columns() << "\n"
        << "layers\t" << map.layerCount() << "\n"
        << "cells\t" << filled << "\n"
        << "min\t" << formatNumber(resistivity ? map.minResistivity : map.minResistance) << "\n"
        << "max\t" << formatNumber(resistivity ? map.maxResistivity : map.maxResistance) << "\n";
    return kExitOk;
}

}  // namespace vexora::cli
