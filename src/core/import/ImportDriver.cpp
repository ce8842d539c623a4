#include "core/import/ImportDriver.h"

#include <algorithm>
#include <cctype>

#include "core/import/schedule/ScheduleExtraction.h"
#include "core/import/schedule/SequenceLinks.h"
#include "core/import/syscal/SyscalBinary.h"
#include "core/import/text/Ares2dm.h"
#include "core/import/text/LundOhm.h"
#include "core/import/text/StgFile.h"
#include "core/import/text/SyscalText.h"
#include "core/import/text/TextInstruments.h"

namespace vexora {

const std::vector<ImportFormat>& importFormats()
{
    static const std::vector<ImportFormat> formats = {
        {ImportFormatKind::SyscalBin, "IRIS Syscal Bin", "bin", "bin", "Bin (*.bin)|*.bin|"},
        {ImportFormatKind::SyscalText, "IRIS Syscal Txt", "syscaltxt", "", "Txt, csv (*.txt;*.csv)|*.txt;*.csv|"},
        {ImportFormatKind::Ares, "ARES Uds", "ares", "uds", "Uds (*.uds)|*.uds|"},
        {ImportFormatKind::Ares2dm, "ARES 2dm", "ares2dm", "2dm", "2dm (*.2dm)|*.2dm|"},
        {ImportFormatKind::Siber, "Siber-48 csv", "siber", "csv", "csv (*.csv)|*.csv|"},
        {ImportFormatKind::Mae, "MAE Tsv", "mae", "tsv", "Tsv (*.tsv)|*.tsv|"},
        {ImportFormatKind::Pasi, "PASI Txt", "pasi", "txt", "Txt (*.txt)|*.txt|"},
        {ImportFormatKind::LundOhm, "ABEM file", "abem", "ohm", "Ohm (*.ohm)|*.ohm|"},
        {ImportFormatKind::Stg, "AGI STG", "stg", "stg", "Stg (*.stg)|*.stg|"},
    };
    return formats;
}

const ImportFormat* findImportFormat(std::string_view nameOrAlias)
{
    std::string lower(nameOrAlias);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const ImportFormat& f : importFormats())
        if (nameOrAlias == f.name || lower == f.alias) return &f;
    return nullptr;
}

std::optional<std::string> checkImportFileChoice(const std::string& fileName, std::string_view extension)
{
    if (!extension.empty()) {
        std::string last = fileName.size() >= 3 ? fileName.substr(fileName.size() - 3) : fileName;
        std::transform(last.begin(), last.end(), last.begin(), [](unsigned char c) { return std::tolower(c); });
        if (last != extension)
            return std::string(kInvalidFileFormat) + " A file ending in ." + std::string(extension) + " is expected.";
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fileName, ec)) return fileName + " not found!";
    return std::nullopt;
}

namespace {

ImportStatus runBinSteps(const BinImportOptions& options, ImportSet& set, ImportGrids& grids, MessageLog& log,
                         const Feedback& feedback)
{
    feedback.report(0, "Reading the instrument file");
    std::vector<SyscalRecord> records;
    ImportStatus status = funReadSyscalPro(options.binFile, records, log);
    if (status != ImportStatus::Ok) return status;
    if (feedback.cancelled()) return ImportStatus::Failed;
    feedback.report(40, "Extracting the schedule");
    if (funExtractSchedule(records, set, log) != ImportStatus::Ok) return ImportStatus::Failed;
    set.sourceFile = options.binFile.string();
    records = {};
    log.subWriteToTextBox(options.binFile.string() + ": " + std::to_string(set.quadrupoles.size()) +
                          " records, " + std::to_string(set.electrodes.size()) + " electrodes." + kLineBreak);
    if (feedback.cancelled()) return ImportStatus::Failed;
    feedback.report(60, "Numbering the electrodes");
    switch (options.mode) {
    case ImportMode::Sequence:
        status = funLinkToSequence(options.sequenceFile, set, log);
        if (status == ImportStatus::SequenceTooFewElectrodes)
            log.warning("funImportBinFile", kSequenceElectrodesWarning);
        if (status == ImportStatus::SequenceQuadrupoleCount)
            log.warning("funImportBinFile", kSequenceQuadrupolesWarning);
        break;
    case ImportMode::ConversionTable: status = funLinkToConversionTable(options.conversionFile, set, log); break;
    case ImportMode::Profile:
    case ImportMode::Grid:
        status = funRenumberElecAndQuad(set, options.isProfile, options.numberingStart, options.snake, log);
        break;
    }
    if (status != ImportStatus::Ok) return status;
    if (feedback.cancelled()) return ImportStatus::Failed;
    feedback.report(80, "Filling the tables");
    return subFillImportTables(set, grids, log);
}

}  // namespace

ImportStatus funImportBinFile(const BinImportOptions& options, ImportSet& set, ImportGrids& grids, MessageLog& log,
                              const Feedback& feedback)
{
    const ImportStatus status = runBinSteps(options, set, grids, log, feedback);
    if (status != ImportStatus::Ok) {
        set.clear();
        grids = ImportGrids{};
    }
    return status;
}

TextOptionUse textOptionsOf(ImportFormatKind kind)
{
    switch (kind) {
    case ImportFormatKind::Ares2dm: return {true, false, false};
    case ImportFormatKind::LundOhm: return {true, true, false};
    case ImportFormatKind::Stg: return {false, false, true};
    default: return {};
    }
}

ImportStatus importTextFile(ImportFormatKind kind, const std::filesystem::path& path, ImportSet& set,
                            ImportGrids& grids, MessageLog& log, const Feedback& feedback,
                            const TextImportOptions& options)
{
    feedback.report(0, "Reading the instrument file");
    ImportStatus status = ImportStatus::Failed;
    switch (kind) {
    case ImportFormatKind::Ares: status = funARESImport(path, set, log); break;
    case ImportFormatKind::Mae: status = funMAEImport(path, set, log); break;
    case ImportFormatKind::Pasi: status = funPASIImport(path, set, log); break;
    case ImportFormatKind::Siber: status = funSIBERImport(path, set, log); break;
    case ImportFormatKind::SyscalText: status = funSyscalTextImport(path, set, log); break;
    case ImportFormatKind::Ares2dm: status = funAres2dmImport(path, options.spacing, set, log); break;
    case ImportFormatKind::LundOhm: status = funOhmImport(path, {options.spacing, options.lineElectrodes}, set, log); break;
    case ImportFormatKind::Stg: {
        std::filesystem::path electrodes = options.electrodeFile;
        std::error_code ec;
        if (electrodes.empty() && std::filesystem::is_regular_file(stgElectrodeFileBeside(path), ec))
            electrodes = stgElectrodeFileBeside(path);
        status = funStgImport(path, electrodes, set, log);
        break;
    }
    default: log.logError("cmdImport_Click", "Not a text format."); break;
    }
    if (status == ImportStatus::Ok && feedback.cancelled()) status = ImportStatus::Failed;
    feedback.report(80, "Filling the tables");
    if (status == ImportStatus::Ok) status = subFillImportTables(set, grids, log);
    if (status != ImportStatus::Ok) {
        set.clear();
        grids = ImportGrids{};
    } else {
        log.subWriteToTextBox(path.string() + ": " + std::to_string(set.quadrupoles.size()) + " measurements, " +
                              std::to_string(set.electrodes.size()) + " electrodes." + kLineBreak);
    }
    return status;
}

}  // namespace vexora
