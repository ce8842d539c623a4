#include "core/jobs/RurVexora.h"

#include "core/datafile/FormatChecks.h"
#include "core/datafile/ScheduleWriter.h"
#include "core/io/TextFile.h"
#include "core/jobfiles/SensitivityRequest.h"
#include "core/jobs/CoreScript.h"
#include "core/settings/Configuration.h"

namespace vexora {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSource = "funRunRurJob";

std::string messagePathLine(const fs::path& folder, std::string_view logFile)
{
    return "SETMESSAGEPATH " + quotedScriptPath(folder / logFile) + " " + quotedScriptPath(folder / kProgressFile) +
           " " + quotedScriptPath(folder / kAbortFile);
}

std::string meshLine(const fs::path& meshFile)
{
    return meshFile.empty() ? std::string("GENERATEMESH") : "LOADMESH " + quotedScriptPath(meshFile);
}

}  // namespace

Status funWriteInvScript(const fs::path& folder, const fs::path& scriptFile, const fs::path& configurationFile,
                         const fs::path& meshFile, const fs::path& boundsModelFile, const fs::path& fullMeshFile,
                         const fs::path& dataOutputFile, MessageLog& log, std::string_view dimension)
{
    return writeCoreScript(scriptFile,
                           {
                               messagePathLine(folder, kInvLogFile),
                               "LOADCONFIGURATION " + quotedScriptPath(configurationFile),
                               meshLine(meshFile),
                               dimension.empty() ? std::string("RUNINVERSION")
                                                 : "RUNINVERSION " + std::string(dimension),
                               "SAVEMESH " + quotedScriptPath(boundsModelFile) + " BOUNDS BIN",
                               "SAVEMESH " + quotedScriptPath(fullMeshFile) + " FULL TXT",
                               "SAVECONFIGURATION " + quotedScriptPath(dataOutputFile) + " V1",
                           },
                           "funWriteInvScript", log);
}

Status funWriteFwmScript(const fs::path& folder, const fs::path& scriptFile, const fs::path& configurationFile,
                         const fs::path& meshFile, const fs::path& dataOutputFile, MessageLog& log)
{
    return writeCoreScript(scriptFile,
                           {
                               messagePathLine(folder, kFwmLogFile),
                               "LOADCONFIGURATION " + quotedScriptPath(configurationFile),
                               meshLine(meshFile),
                               "RUNFORWARDMODEL",
                               "SAVECONFIGURATION " + quotedScriptPath(dataOutputFile) + " V1",
                           },
                           "funWriteFwmScript", log);
}

Status funWriteSensScript(std::string_view request, const fs::path& folder, const fs::path& scriptFile,
                          const fs::path& configurationFile, const fs::path& meshFile, const fs::path& modelOutputFile,
                          const fs::path& infoFile, const fs::path& dataOutputFile, MessageLog& log)
{
    constexpr std::string_view source = "funWriteSensScript";
    std::string why;
    if (!writeFileAtomically(infoFile, sensitivityInfoText(readSensitivityRequest(request)), &why))
        return log.error(source, "Sensitivity request " + infoFile.string() + " not written: " + why);
    return writeCoreScript(scriptFile,
                           {
                               messagePathLine(folder, kSensLogFile),
                               "LOADCONFIGURATION " + quotedScriptPath(configurationFile),
                               meshLine(meshFile),
                               "GENERATESENSITIVITY " + quotedScriptPath(infoFile),
                               "SAVEMESH " + quotedScriptPath(modelOutputFile) + " BOUNDS BIN",
                               "SAVECONFIGURATION " + quotedScriptPath(dataOutputFile),
                           },
                           source, log);
}

namespace {

Status fillProjectFolder(ProjectStore& store, const fs::path& folder, std::string_view kind, fs::path& scriptFile,
                         MessageLog& log, std::string_view date, std::string_view dimension)
{
    ScheduleLayouts layouts;
    if (funCheckFormatCfgForOutput(store.settings, store.survey.present, store.survey.quadrupoles.ipWindows(),
                                   layouts.electrodes, layouts.data, layouts.topography, log) != Status::Ok)
        return log.error(kSource, "Error: invalid configuration parameters");

    // The full configuration first; the data-file writer appends the blocks.
    const fs::path dataInput = folder / kDataInputFile;
    const std::string today = date.empty() ? currentDateText() : std::string(date);
    std::string why;
    if (!writeFileAtomically(dataInput, configurationText(store.settings, today), &why)) {
        log.logError(kSource, "Configuration file " + dataInput.string() + " not written: " + why);
        return log.error(kSource, "Error: " + std::string(kDataInputFile) + " not written.");
    }
    if (funSaveSchedule(store, dataInput, true, layouts, true, log, today) != Status::Ok)
        return log.error(kSource, "Error: " + std::string(kDataInputFile) + " not written.");

    // The core builds its own mesh from the configuration.
    store.mesh.present = false;

    const JobType type = jobType(kind);
    Status written = Status::Error;
    switch (type) {
    case JobType::Inversion:
        scriptFile = folder / kInvScriptFile;
        written = funWriteInvScript(folder, scriptFile, dataInput, {}, folder / kInvModelOutputFile,
                                    folder / kInvFullMeshOutputFile, folder / kInvDataOutputFile, log,
                                    dimension);
        break;
    case JobType::Forward:
        scriptFile = folder / kFwmScriptFile;
        written = funWriteFwmScript(folder, scriptFile, dataInput, {}, folder / kFwDataOutputFile, log);
        break;
    case JobType::Sensitivity:
        scriptFile = folder / kSensScriptFile;
        written = funWriteSensScript(kind, folder, scriptFile, dataInput, {}, folder / kSensModelOutputFile,
                                     folder / kSensInfoFile, folder / kSensDataOutputFile, log);
        break;
    }
    if (written != Status::Ok) return log.error(kSource, "Error: core script not written.");
    return Status::Ok;
}

}  // namespace

Status prepareRurJob(ProjectStore& store, const fs::path& projectFolder, std::string_view kind, fs::path& scriptFile,
                     MessageLog& log, std::string_view date, std::string_view dimension)
{
    // The manager runs in the application folder: every path handed to it
    // must be absolute.
    std::error_code ec;
    fs::path folder = fs::absolute(projectFolder, ec);
    if (ec) folder = projectFolder;

    const bool fresh = fs::is_empty(folder, ec) && !ec;
    if (fillProjectFolder(store, folder, kind, scriptFile, log, date, dimension) == Status::Ok) return Status::Ok;
    // Everything in a folder that was empty is this job's: a half-made job
    // would only take the name.
    if (fresh) fs::remove_all(folder, ec);
    return Status::Error;
}

Status startRurJob(const fs::path& applicationFolder, const fs::path& scriptFile, JobType type,
                   ProcessLauncher& launcher, MessageLog& log, const CoreProcesses& processes)
{
    const std::optional<fs::path> manager = locateProgramFile(applicationFolder, kManagerProgram);
    if (!manager)
        return log.error(kSource, (applicationFolder / kManagerProgram).string() + " not found!");
    std::string why;
    std::vector<std::string> arguments{std::string(kCoreName), scriptFile.string(), std::string(jobKindWord(type))};
    for (std::string& option : processArguments(processes)) arguments.push_back(std::move(option));
    if (!launcher.startDetached(*manager, arguments, applicationFolder, &why))
        return log.error(kSource, manager->string() + " not started: " + why);
    log.subWriteToTextBox(std::string(kManagerProgram) + " started on " + scriptFile.string() +
                          (processes.count > 1 ? " with " + std::to_string(processes.count) + " processes" : "") +
                          kLineBreak);
    return Status::Ok;
}

Status funRunRurJob(ProjectStore& store, const fs::path& folder, std::string_view kind,
                    const fs::path& applicationFolder, ProcessLauncher& launcher, MessageLog& log,
                    std::string_view date, const CoreProcesses& processes)
{
    fs::path scriptFile;
    if (prepareRurJob(store, folder, kind, scriptFile, log, date) != Status::Ok) return Status::Error;
    return startRurJob(applicationFolder, scriptFile, jobType(kind), launcher, log, processes);
}

}  // namespace vexora
