// vexora import: an instrument file through the import steps of the field
// data window, accepted onto one cable and written as a data file.

#include <filesystem>
#include <ostream>

#include "app/cli/Cli.h"
#include "app/cli/CommandSupport.h"
#include "app/cli/Commands.h"
#include "core/datafile/ScheduleWriter.h"
#include "core/fielddata/AcceptImport.h"
#include "core/import/ImportDriver.h"
#include "core/settings/LenientNumber.h"
#include "core/settings/SettingsTable.h"
#include "core/survey/CableReversal.h"

namespace vexora::cli {

namespace {

namespace fs = std::filesystem;

struct ImportOptions {
    bool list = false;
    std::vector<std::string> paths;  // FORMAT IN
    std::string sequence, conversion, renumber, start = "xmin", output, cable = "Line1";
    TextImportOptions text;
    bool snake = false;
    bool reverseCable = false;
    bool bad = false;
};

// A number above 0 (below 1e9); anything else sets `bad`.
double positiveNumber(const std::string& text, bool& bad)
{
    bool found = false;
    const double value = lenientNumber(text, found);
    if (!found || !(value > 0 && value < 1e9)) bad = true;
    return value;
}

ImportOptions parseImportOptions(const Arguments& args)
{
    ImportOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--list") o.list = true;
        else if (a == "--snake") o.snake = true;
        else if (a == "--reverse-cable") o.reverseCable = true;
        else if (a == "--sequence" && hasValue) o.sequence = args[++i];
        else if (a == "--conversion" && hasValue) o.conversion = args[++i];
        else if (a == "--renumber" && hasValue) o.renumber = args[++i];
        else if (a == "--start" && hasValue) o.start = args[++i];
        else if (a == "--cable" && hasValue) o.cable = args[++i];
        else if (a == "--spacing" && hasValue) o.text.spacing = positiveNumber(args[++i], o.bad);
        else if (a == "--line-electrodes" && hasValue) {
            const double n = positiveNumber(args[++i], o.bad);
            o.bad = o.bad || n != static_cast<int>(n);
            o.text.lineElectrodes = static_cast<int>(n);
        } else if (a == "--electrodes" && hasValue) o.text.electrodeFile = args[++i];
        else if (a == "-o" && hasValue) o.output = args[++i];
        else if (a.size() > 1 && a[0] == '-') o.bad = true;
        else o.paths.push_back(a);
    }
    const int linkOptions = !o.sequence.empty() + !o.conversion.empty() + !o.renumber.empty();
    if (linkOptions > 1) o.bad = true;
    if (!o.renumber.empty() && o.renumber != "profile" && o.renumber != "grid") o.bad = true;
    if (o.start != "xmin" && o.start != "xmax" && o.start != "ymin" && o.start != "ymax") o.bad = true;
    if (o.cable.empty()) o.bad = true;
    return o;
}

int numberingStartOf(const std::string& start)
{
    if (start == "xmax") return -1;
    if (start == "ymin") return 2;
    if (start == "ymax") return -2;
    return 1;
}

}  // namespace

int runImport(const Arguments& args, std::ostream& out, std::ostream& err)
{
    const ImportOptions o = parseImportOptions(args);
    if (o.bad) return printCommandUsage(err, "import");
    if (o.list) {
        if (!o.paths.empty()) return printCommandUsage(err, "import");
        for (const ImportFormat& f : importFormats()) out << f.name << '\t' << f.alias << '\n';
        return kExitOk;
    }
    if (o.paths.empty()) return printCommandUsage(err, "import");
    const ImportFormat* format = findImportFormat(o.paths[0]);
    if (!format) {
        err << "vexora import: unknown format '" << o.paths[0] << "' (vexora import --list names them)\n";
        return kExitUsage;
    }
    MessageLog log;
    const bool binary = format->kind == ImportFormatKind::SyscalBin;
    const bool linkOptions = !o.sequence.empty() || !o.conversion.empty() || !o.renumber.empty() || o.snake;
    // An option the format does not read is misuse, not silently dropped.
    const TextOptionUse use = textOptionsOf(format->kind);
    const bool unusedOption = (o.text.spacing > 0 && !use.spacing) || (o.text.lineElectrodes > 0 && !use.lineElectrodes) ||
                              (!o.text.electrodeFile.empty() && !use.electrodeFile);
    if (o.paths.size() != 2 || o.output.empty() || (!binary && linkOptions) || unusedOption)
        return printCommandUsage(err, "import");
    if (const auto refused = cableNameRefusal(o.cable)) {
        err << "vexora import: " << *refused << "\n";
        return kExitUsage;
    }
    if (outputReplacesInput(err, "import", o.output,
                            {o.paths[1], o.sequence, o.conversion, o.text.electrodeFile.string()}))
        return kExitError;

    if (const auto refused = checkImportFileChoice(o.paths[1], format->extension)) {
        err << *refused << "\n";
        return kExitError;
    }
    ImportSet set;
    ImportGrids grids;
    ImportStatus status;
    if (binary) {
        BinImportOptions options;
        options.binFile = o.paths[1];
        options.mode = !o.sequence.empty()   ? ImportMode::Sequence
                       : !o.conversion.empty() ? ImportMode::ConversionTable
                       : o.renumber == "grid"  ? ImportMode::Grid
                                               : ImportMode::Profile;
        options.sequenceFile = o.sequence;
        options.conversionFile = o.conversion;
        options.isProfile = options.mode == ImportMode::Profile;
        options.snake = options.mode == ImportMode::Grid && o.snake;
        options.numberingStart = numberingStartOf(o.start);
        status = funImportBinFile(options, set, grids, log);
    } else {
        status = importTextFile(format->kind, o.paths[1], set, grids, log, {}, o.text);
    }
    if (status != ImportStatus::Ok) {
        log.logError("cmdImport_Click", kImportFailedMessage);
        printLog(log, err);
        return kExitError;
    }
    ProjectStore store;
    store.type = ProjectType::DataInversion;
    acceptImport(set, grids, o.cable, store.survey);
    // The instrument's cable was laid the other way round: its electrode n is N + 1 - n.
    if (o.reverseCable && reverseCable(store.survey, 1, log) != Status::Ok) {
        printLog(log, err);
        return kExitError;
    }
    // Measured currents and chargeabilities travel in the data file after V/I.
    setImportedDataLayout(store.settings, store.survey.present.ip);
    const Status saved = saveDataFile(store, o.output, false, log);
    printLog(log, err);
    if (saved != Status::Ok) return kExitError;
    out << "electrodes " << store.survey.electrodes.size() << "\n"
        << "quadrupoles " << store.survey.quadrupoles.size() << "\n";
    return kExitOk;
}

}  // namespace vexora::cli
