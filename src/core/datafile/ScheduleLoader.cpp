#include "core/datafile/ScheduleLoader.h"

#include <algorithm>
#include <cmath>

#include "core/datafile/BlockReaders.h"
#include "core/datafile/BlockRows.h"
#include "core/datafile/FormatChecks.h"
#include "core/datafile/LoadCompletion.h"
#include "core/datafile/SurveyChecks.h"
#include "core/datafile/WrongFile.h"
#include "core/import/GeometricFactor.h"
#include "core/io/TextFile.h"
#include "core/platform/Application.h"
#include "core/settings/Configuration.h"

namespace vexora {

namespace {

constexpr const char* kSource = "funInputScheduleFile";
constexpr std::size_t kListedIds = 20;

// "5, 17, 23 ..." with the first few ids of a list.
std::string idList(const std::vector<std::int32_t>& ids)
{
    std::string text;
    for (std::size_t i = 0; i < ids.size() && i < kListedIds; ++i) text += (i ? ", " : "") + std::to_string(ids[i]);
    if (ids.size() > kListedIds) text += " ...";
    return text;
}

bool isFieldSeparator(char c) { return c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Warns about data that load but cannot be right: zero or negative currents.
void warnAboutCurrents(const Survey& survey, const DataFormat& format, MessageLog& log)
{
    if (format.currentColumn <= 0) return;
    std::vector<std::int32_t> ids;
    const auto& q = survey.quadrupoles;
    for (std::size_t k = 0; k < q.size(); ++k)
        if (!(q.current[k] > 0.0)) ids.push_back(q.rows[k].id);
    if (!ids.empty())
        log.warning(kSource, "Warning: " + std::to_string(ids.size()) +
                                 " quadrupoles with zero or negative current (I(mA) column). Quadrupoles: " + idList(ids));
}

}  // namespace

Status funPrepareSequenceText(std::string& text)
{
    static constexpr std::string_view kAbsent = "000,00";
    bool replaced = false;
    for (std::size_t at = text.find(kAbsent); at != std::string::npos; at = text.find(kAbsent, at + 1)) {
        const std::size_t after = at + kAbsent.size();
        if (at > 0 && !isFieldSeparator(text[at - 1])) continue;
        if (after < text.size() && !isFieldSeparator(text[after])) continue;
        text.replace(at, kAbsent.size(), "Rem,01");
        replaced = true;
    }
    if (replaced) {
        const std::size_t end = text.find("#elec_end");
        if (end != std::string::npos) {
            // Insert at the start of the marker's line.
            std::size_t lineStart = text.rfind('\n', end);
            lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
            text.insert(lineStart, "Rem,01 -99.99 +.00000 +.00000 +.00000 048 \r\n");
        }
    }
    return Status::Ok;
}

void apparentResistivityToResistance(Survey& survey, bool ignoreZ, MessageLog& log)
{
    const std::vector<double> factor = funGeometricFactor(survey, ignoreZ);
    QuadrupoleTable& q = survey.quadrupoles;
    // The writer multiplies every resistance column back, calculated ones
    // included, so every one of them is divided here. A deviation is a
    // spread, not a signed reading: it takes the factor's size alone.
    for (std::vector<double>* column : {&q.resistance, &q.calcResistance})
        for (std::size_t k = 0; k < column->size(); ++k) (*column)[k] /= factor[k];
    for (std::vector<double>* column : {&q.resistanceStd, &q.calcResistanceStd})
        for (std::size_t k = 0; k < column->size(); ++k) (*column)[k] /= std::abs(factor[k]);
    std::vector<std::int32_t> failed;
    for (std::size_t k = 0; k < factor.size(); ++k)
        if (factor[k] == kCannotCompute) failed.push_back(q.rows[k].id);
    if (!failed.empty())
        log.warning(kSource, "Warning: geometric factor cannot be computed (coincident electrodes) for " +
                                 std::to_string(failed.size()) +
                                 " quadrupoles; their V/I values are not valid. Quadrupoles: " + idList(failed));
}

namespace {

// The load sequence on the file's text. Everything is read into `next`,
// which replaces the store only once the whole file has loaded, so a
// failed or cancelled load changes nothing.
LoadStatus loadText(const ProjectStore& store, std::string text, const DataLoadRequest& request, ProjectStore& next,
                    MessageLog& log, Questions& questions, const Feedback& feedback)
{
    next = ProjectStore{};
    next.type = request.projectType;
    next.settings = store.settings;
    next.ipWindowsToMerge = store.ipWindowsToMerge;
    next.ipScale = store.ipScale;
    next.survey.topography = store.survey.topography;
    Survey& survey = next.survey;
    const std::string name = request.file.string();

    auto fail = [&](std::string_view message) {
        log.logError(kSource, message);
        log.subWriteToTextBox(name + " not loaded" + kLineBreak);
        return LoadStatus::NotLoaded;
    };
    // A block whose every row was refused, each with its warning, must not
    // load as an empty table.
    auto unread = [&](bool empty, const BlockBounds& block) { return empty && blockHasRows(text, block); };
    auto cancel = [&] {
        log.warning(kSource, "Warning: load cancelled.");
        log.subWriteToTextBox(name + " not loaded" + kLineBreak);
        return LoadStatus::Cancelled;
    };

    // One message for a file that is no text at all, before a warning per line.
    if (const std::optional<std::string> wrong = notATextDataFile(name, text)) return fail(*wrong);
    if (request.refuseInstrumentSequence && isForDataMerge({request.file}, text)) return LoadStatus::ForDataMerge;
    normaliseLoneCarriageReturns(text);
    (void)funRemoveComments(text);  // always Ok
    if (text.find("#ITitle") != std::string::npos) (void)funPrepareSequenceText(text);  // always Ok

    BlockBounds electrodeBlock, dataBlock, topographyBlock;
    log.subWriteToTextBox("Loading configuration... ");
    ElectrodeFormat readElectrodes;
    DataFormat readData;
    TopographyFormat readTopography;
    const ConfigurationStatus read =
        funLoadConfiguration(text, electrodeBlock, dataBlock, topographyBlock, readElectrodes, readData,
                             readTopography, next.sequenceHeader, next.settings, log);
    log.subWriteToTextBox(std::string("done.") + kLineBreak);
    if (read == ConfigurationStatus::NoTags) return fail("Error: No configuration tags found.");
    if (read != ConfigurationStatus::Read) return fail("Error: critical error reading configuration.");
    if (funCheckFormatCfgForInput(next.settings, next.electrodeFormat, next.dataFormat, next.topographyFormat, log) !=
        Status::Ok)
        return fail("Error: invalid input format");

    // Electrodes.
    if (!electrodeBlock.present()) {
        log.warning(kSource, "Warning: no electrodes found in this file.");
        if (store.survey.electrodesLoaded) {
            survey.cableNames = store.survey.cableNames;
            survey.electrodes = store.survey.electrodes;
            survey.lookup = store.survey.lookup;
            survey.electrodesLoaded = true;
        }
    } else if (!electrodeBlock.closed()) {
        return fail("Error: #elec_end occurs before #elec_start or #elec_end does not exist.");
    } else {
        log.subWriteToTextBox("Loading electrodes... ");
        if (funLoadElectrodes(text, electrodeBlock, next.electrodeFormat, survey, log) != Status::Ok ||
            funCreateElecTable(survey, log) != Status::Ok ||
            funElecElevationAndArrangement(survey, next.electrodeFormat, log) != Status::Ok)
            return fail("Error: electrodes not loaded.");
        if (unread(survey.electrodes.empty(), electrodeBlock))
            return fail("Error: no row of the electrodes block could be read; electrodes not loaded.");
        survey.electrodesLoaded = true;
        if (next.electrodeFormat.elevationColumn <= 0)
            log.subWriteToTextBox(std::string(kLineBreak) + "Z terrain elevation for electrodes derived." + kLineBreak);
        if (next.electrodeFormat.typeColumn <= 0)
            log.subWriteToTextBox(std::string(kLineBreak) + "Feature type of electrodes derived." + kLineBreak);
        log.subWriteToTextBox(std::to_string(survey.electrodes.size()) + " total electrodes loaded." + kLineBreak);
    }
    if (!survey.electrodesLoaded) return fail("Error: electrodes must be loaded before data can be loaded.");

    // Data.
    if (!dataBlock.present()) return fail("Error: no data found in this file.");
    if (!dataBlock.closed()) return fail("Error: #data_end occurs before #data_start or #data_end does not exist.");
    const DataFormat& df = next.dataFormat;
    SyntheticChoice synthetic;
    if (feedback.cancelled()) return cancel();
    feedback.report(10, "Loading data-set");
    if (next.type == ProjectType::DataInversion) {
        if (df.calcResistivityColumn > 0)
            synthetic.resistance = questions.askYesNo(
                {QuestionId::InvertSyntheticResistance, "Save as",
                 "Calculated V/I or App. Res. detected. Do you want to invert the synthetic data-set?",
                 MessageIcon::Exclamation});
        if (df.resistivityColumn <= 0 && !synthetic.resistance)
            return fail("V/I or App. Res. data-set needed to perform a Data Inversion Session.");
        if (df.calcIpColumn > 0) {
            synthetic.ip = questions.askYesNo({QuestionId::InvertSyntheticIp, "Save as",
                                               "Calculated IP detected. Do you want to invert the synthetic data-set?",
                                               MessageIcon::Exclamation});
            if (synthetic.ip) next.ipScale = df.ipScale;
        }
    }
    log.subWriteToTextBox("Loading data-set... ");
    const Feedback dataFeedback = feedback.part(10, 80, "Loading data-set");
    if (funLoadData(text, dataBlock, df, next.sequenceHeader, synthetic, survey, log, dataFeedback) != Status::Ok) {
        if (feedback.cancelled()) return cancel();
        return fail("Error: data not loaded.");
    }
    if (unread(survey.quadrupoles.size() == 0, dataBlock))
        return fail("Error: no row of the data block could be read; data not loaded.");
    feedback.report(80, "Checking the data-set");
    if (funCheckSchedData(survey, !next.sequenceHeader.dataKindName.empty(), log) != Status::Ok)
        return fail("Error: data not loaded.");
    if (feedback.cancelled()) return cancel();
    survey.dataLoaded = true;
    log.subWriteToTextBox(std::to_string(survey.quadrupoles.size()) + " total quadrupoles loaded." + kLineBreak);
    warnAboutCurrents(survey, df, log);

    // Topography.
    if (topographyBlock.present()) {
        if (!topographyBlock.closed())
            return fail("Error: #topo_end occurs before #topo_start or #topo_end does not exist.");
        log.subWriteToTextBox("Loading topography... ");
        if (funLoadTopography(text, topographyBlock, next.topographyFormat, survey.electrodes, survey.topography,
                              log) != Status::Ok)
            return fail("Error: topography not loaded.");
        if (unread(survey.topography.empty(), topographyBlock))
            return fail("Error: no row of the topography block could be read; topography not loaded.");
        log.subWriteToTextBox(std::to_string(survey.topography.size()) + " total topography data points loaded." +
                              kLineBreak);
    }

    if (df.dataKind == 2) {
        const bool useZ = questions.askYesNo({QuestionId::GeometricFactorsWithZ, std::string(kApplicationTitle),
                                              "Do you want to calculate geometric factors using z coordinates?",
                                              MessageIcon::Question});
        apparentResistivityToResistance(survey, !useZ, log);
    }
    if (request.completeWorkspace) {
        if (feedback.cancelled()) return cancel();
        feedback.report(90, "Completing the workspace");
        // The text the tags were read from, so the layouts settle as they did.
        if (completeDataLoad(next, std::move(text), next.type == ProjectType::DataInversion, log) != Status::Ok)
            return LoadStatus::NotLoaded;
    }
    feedback.report(100, "Loaded");
    return LoadStatus::Loaded;
}

// The whole file, or false with its messages logged (name + " not found!"
// for a missing file).
bool readScheduleFile(const std::filesystem::path& path, std::string& text, MessageLog& log)
{
    std::string why;
    if (readTextFile(path, text, &why)) return true;
    const std::string message = why == "not found" ? path.string() + " not found!" : path.string() + ": " + why;
    log.logError(kSource, message);
    log.subWriteToTextBox(path.string() + " not loaded" + kLineBreak);
    return false;
}

// Builds into a fresh store that replaces `store` only when the file loaded.
template <class Build>
LoadStatus replaceWhenLoaded(ProjectStore& store, Build&& build)
{
    ProjectStore loaded;
    const LoadStatus status = build(loaded);
    if (status == LoadStatus::Loaded) store = std::move(loaded);
    return status;
}

}  // namespace

LoadStatus funInputScheduleFile(const ProjectStore& current, const DataLoadRequest& request, ProjectStore& loaded,
                                MessageLog& log, Questions& questions, const Feedback& feedback)
{
    feedback.report(0, "Reading the file");
    std::string text;
    if (!readScheduleFile(request.file, text, log)) return LoadStatus::NotLoaded;
    return loadText(current, std::move(text), request, loaded, log, questions, feedback);
}

LoadStatus funInputScheduleFile(ProjectStore& store, const DataLoadRequest& request, MessageLog& log,
                                Questions& questions, const Feedback& feedback)
{
    return replaceWhenLoaded(store, [&](ProjectStore& loaded) {
        return funInputScheduleFile(store, request, loaded, log, questions, feedback);
    });
}

LoadStatus loadScheduleText(ProjectStore& store, std::string text, const DataLoadRequest& request, MessageLog& log,
                            Questions& questions, const Feedback& feedback)
{
    return replaceWhenLoaded(store, [&](ProjectStore& loaded) {
        return loadText(store, std::move(text), request, loaded, log, questions, feedback);
    });
}

}  // namespace vexora
