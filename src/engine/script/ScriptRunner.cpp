#include "engine/script/ScriptRunner.h"

#include <algorithm>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/forward/ForwardModel.h"
#include "engine/inversion/Inversion.h"
#include "engine/inversion/SensitivityJob.h"
#include "core/io/SameFile.h"
#include "core/io/TextFile.h"
#include "core/log/MessageLog.h"
#include "engine/script/JobFiles.h"
#include "engine/script/JobSteps.h"
#include "engine/script/ScriptParser.h"
#include "engine/parallel/Ranks.h"

namespace vexora {

namespace fs = std::filesystem;

namespace {

std::string_view stageName(ScriptVerb verb)
{
    switch (verb) {
    case ScriptVerb::SetMessagePath: return "Starting";
    case ScriptVerb::LoadConfiguration: return "Loading configuration";
    case ScriptVerb::LoadMesh: return "Loading mesh";
    case ScriptVerb::GenerateMesh: return "Generating mesh";
    case ScriptVerb::RunForwardModel: return "Forward modelling";
    case ScriptVerb::RunInversion: return "Inversion";
    case ScriptVerb::GenerateSensitivity: return "Sensitivity";
    case ScriptVerb::SaveMesh: return "Saving mesh";
    case ScriptVerb::SaveConfiguration: return "Saving data";
    }
    return {};
}

std::string where(std::size_t line, std::string_view text)
{
    return "line " + std::to_string(line) + " (" + std::string(text) + ")";
}

// The files the job reads: the script and the files its commands load.
std::vector<fs::path> scriptInputs(const ParsedScript& script, const fs::path& scriptFile)
{
    std::vector<fs::path> inputs{scriptFile};
    for (const ScriptCommand& c : script.commands)
        if (c.verb == ScriptVerb::LoadConfiguration || c.verb == ScriptVerb::LoadMesh ||
            c.verb == ScriptVerb::GenerateSensitivity)
            inputs.push_back(c.paths[0]);
    return inputs;
}

// A log, progress, abort or result file that is one of the inputs would be
// truncated or replaced by the job: the first such command, with the reason.
std::optional<ScriptError> outputOverInputError(const ParsedScript& script, const std::vector<fs::path>& inputs)
{
    for (const ScriptCommand& c : script.commands) {
        std::vector<std::pair<std::string_view, fs::path>> outputs;
        if (c.verb == ScriptVerb::SetMessagePath)
            outputs = {{"log file", c.paths[0]}, {"progress file", c.paths[1]}, {"abort file", c.paths[2]}};
        else if (c.verb == ScriptVerb::SaveMesh || c.verb == ScriptVerb::SaveConfiguration)
            outputs = {{"result file", c.paths[0]}};
        for (const auto& [role, path] : outputs)
            if (std::optional<std::string> refusal = outputOverInput(role, path, inputs))
                return ScriptError{c.line, c.text, std::move(*refusal)};
    }
    return std::nullopt;
}

// One script run: the store its commands work on and the job's files.
struct ScriptRun {
    const Ranks* ranks = &singleProcess();
    // Rank 0 writes the log, the progress and every result; the other ranks
    // compute alongside and write nothing.
    bool writes = true;
    JobLogWriter writer;
    JobFiles files;
    std::optional<ProgressState> progress;  // last written
    std::string firstError;                 // the first error entry of the running command
    bool configured = false;
    std::vector<double> sensitivity;  // per block, after GENERATESENSITIVITY
    // Set when the abort request stopped the inversion: its best model is
    // still saved by the script's save commands, then the script ends.
    std::optional<std::size_t> inversionAbortedAtLine;

    // The bar never goes back, and 100 means the script completed.
    void reportProgress(int percent, std::string_view stage)
    {
        percent = std::max(percent, progress ? progress->percent : 0);
        if (stage != kCompletedStage) percent = std::min(percent, 99);
        ProgressState state{percent, std::string(stage)};
        if (!writes || files.progress.empty() || progress == state) return;
        progress = state;
        std::string why;
        if (!appendToFile(files.progress, progressLine(state), &why))
            writeJobLogLine(writer, "Progress file " + files.progress.string() + " not written: " + why);
    }
};

// Starts fresh log and progress files, so a watcher never mixes two runs.
Status setMessagePaths(ScriptRun& run, const ScriptCommand& command, MessageLog& log)
{
    run.files = {command.paths[0], command.paths[1], command.paths[2]};
    if (!run.writes) return Status::Ok;
    for (const fs::path& file : {run.files.log, run.files.progress}) {
        std::string why;
        if (!writeFileAtomically(file, "", &why)) return log.error("SETMESSAGEPATH", file.string() + ": " + why);
    }
    run.writer.file = run.files.log;
    run.writer.failed = false;
    run.progress.reset();
    return Status::Ok;
}

// A command's weight on the bar, from the commands' own timing: the
// computing ones take minutes on a survey, the others a fraction of a second.
int commandWeight(ScriptVerb verb)
{
    const bool computing = verb == ScriptVerb::RunForwardModel || verb == ScriptVerb::RunInversion ||
                           verb == ScriptVerb::GenerateSensitivity;
    return computing ? 100 : 1;
}

// Progress of a long command within its share of the script; the abort
// file checked between its steps.
ComputeControl computeControl(ScriptRun& run, const ScriptCommand& command, int from, int span)
{
    ComputeControl control;
    control.progress = [&run, &command, from, span](int percent, std::string_view stage) {
        run.reportProgress(from + span * std::clamp(percent, 0, 100) / 100,
                           std::string(stageName(command.verb)) + ": " + std::string(stage));
    };
    control.cancelRequested = [&run] { return abortFilePresent(run.files.abort); };
    control.ranks = run.ranks;
    return control;
}

Status runCommand(ScriptRun& run, ProjectStore& store, const ScriptCommand& command, int from, int span,
                  MessageLog& log)
{
    const std::string_view word = scriptVerbWord(command.verb);
    const bool needsConfiguration = command.verb != ScriptVerb::SetMessagePath &&
                                    command.verb != ScriptVerb::LoadConfiguration;
    if (needsConfiguration && !run.configured)
        return log.error(word, "no configuration loaded: LOADCONFIGURATION must come first.");
    const bool needsMesh = command.verb == ScriptVerb::RunForwardModel || command.verb == ScriptVerb::RunInversion ||
                           command.verb == ScriptVerb::GenerateSensitivity;
    if (needsMesh && !store.mesh.present)
        return log.error(word, "no mesh: GENERATEMESH or LOADMESH must come first.");

    switch (command.verb) {
    case ScriptVerb::SetMessagePath: return setMessagePaths(run, command, log);
    case ScriptVerb::LoadConfiguration:
        if (loadJobDataFile(store, command.paths[0], log) != Status::Ok) return Status::Error;
        run.configured = true;
        return Status::Ok;
    case ScriptVerb::LoadMesh: return loadJobMesh(store, command.paths[0], log);
    case ScriptVerb::GenerateMesh: return generateJobMesh(store, log);
    case ScriptVerb::RunForwardModel: return runJobForwardModel(store, log, computeControl(run, command, from, span));
    case ScriptVerb::RunInversion: {
        // Every iteration's model beside the job's log (without one, in the
        // current folder), numbered.
        const fs::path folder = run.files.log.parent_path();
        const IterationSaver save = [&](const Models& model, int iteration) {
            if (!run.writes) return Status::Ok;
            const std::string n = std::to_string(iteration);
            if (saveJobMesh(store.settings, store.survey, store.mesh, model,
                            folder / ("InvModelOutput_iter" + n + ".vwer"), MeshOutput::BoundsBinary,
                            log) != Status::Ok)
                return Status::Error;
            if (settingInteger(store.settings, Item::SaveFullMesh) != 1) return Status::Ok;
            // An iteration's model is its resistivity: the IP model follows the last one.
            Models resistivity = model;
            resistivity.ipModelling = false;
            return saveJobMesh(store.settings, store.survey, store.mesh, resistivity,
                               folder / ("InvFullMeshOutput_iter" + n + ".vwer"), MeshOutput::FullText, log);
        };
        InversionResult result;
        const InversionStatus status = runInversion(store.mesh, store.models, store.survey, store.settings, log,
                                                    computeControl(run, command, from, span), save, result,
                                                    command.dimension);
        if (status == InversionStatus::Error) return Status::Error;
        store.models = std::move(result.model);
        storeCalculatedData(store.survey, std::move(result.calculated));
        if (status == InversionStatus::Aborted) run.inversionAbortedAtLine = command.line;
        return Status::Ok;
    }
    case ScriptVerb::GenerateSensitivity: {
        SensitivityRequest request;
        if (readSensitivityInfo(command.paths[0], request, log) != Status::Ok) return Status::Error;
        CalculatedData calculated;
        if (generateSensitivity(store.mesh, store.models, store.survey, store.settings, request, log,
                                computeControl(run, command, from, span), run.sensitivity, calculated) != Status::Ok)
            return Status::Error;
        storeCalculatedData(store.survey, std::move(calculated));
        return Status::Ok;
    }
    case ScriptVerb::SaveMesh:
        // The main window's conversion scripts are LOADCONFIGURATION and
        // SAVEMESH alone: they save the mesh the configuration makes.
        if (!store.mesh.present) {
            log.subWriteToTextBox(std::string("No mesh yet: generating the mesh of the configuration.") + kLineBreak);
            if (generateJobMesh(store, log) != Status::Ok) return Status::Error;
        }
        if (!run.writes) return Status::Ok;
        return saveJobMesh(store.settings, store.survey, store.mesh, store.models, command.paths[0],
                           command.meshOutput, log, run.sensitivity.empty() ? nullptr : &run.sensitivity);
    case ScriptVerb::SaveConfiguration:
        if (!run.writes) return Status::Ok;
        return saveJobDataFile(store, command.paths[0], command.besideMeasured, log);
    }
    return Status::Error;
}

// Why the script cannot run at all, checked before anything is opened for
// writing; empty when it can.
std::string scriptRefusal(const fs::path& scriptFile, const ParsedScript& script, const std::vector<fs::path>& inputs)
{
    if (const std::optional<ScriptError> e = outputOverInputError(script, inputs))
        return "Script stopped at " + where(e->line, e->text) + ": " + e->reason;
    if (script.error) {
        const ScriptError& e = *script.error;
        return "Script stopped at " + where(e.line, e.text) + ": " + e.reason + ".";
    }
    // A script that does nothing is a mistake, not a job done.
    if (std::none_of(script.commands.begin(), script.commands.end(),
                     [](const ScriptCommand& c) { return c.verb != ScriptVerb::SetMessagePath; }))
        return "Script stopped: " + scriptFile.string() + " holds no command to run.";
    return {};
}

// The reason a step failed, from the lowest rank that failed of its own
// accord (the others failed because it did), named when there are several.
std::string failureOnRanks(const Ranks& ranks, bool failed, const std::string& reason)
{
    int from = ranks.firstFlagged(failed && !reason.empty());
    if (from < 0) from = ranks.firstFlagged(failed);
    const std::string text = ranks.broadcast(reason, from);
    if (ranks.count() == 1) return text;
    return (text.empty() ? std::string("the command failed") : text) + " (rank " + std::to_string(from) + " of " +
           std::to_string(ranks.count()) + ")";
}

}  // namespace

ScriptStatus runCoreScript(const fs::path& scriptFile, std::ostream* console, const std::function<bool()>& managerGone,
                           const Ranks& ranks)
{
    ScriptRun run;
    run.ranks = &ranks;
    run.writes = ranks.index() == 0;
    if (run.writes) run.writer.console = console;
    std::string text, why;
    ParsedScript script;
    std::vector<fs::path> inputs;
    std::string refusal;
    if (readTextFile(scriptFile, text, &why)) {
        script = parseCoreScript(text);
        inputs = scriptInputs(script, scriptFile);
        refusal = scriptRefusal(scriptFile, script, inputs);
    } else {
        refusal = "Script " + scriptFile.string() + " not read: " + why + ".";
    }
    if (const int from = ranks.firstFlagged(!refusal.empty()); from >= 0) {
        refusal = ranks.broadcast(refusal, from);
        // The log named before the mistake, if any, hears of it, unless it
        // is one of the inputs.
        const ScriptCommand* paths = messagePathCommand(script);
        if (run.writes && paths && !outputOverInput("log file", paths->paths[0], inputs))
            run.writer.file = paths->paths[0];
        writeJobLogLine(run.writer, refusal);
        return ScriptStatus::Stopped;
    }

    // Error entries come without their own date line: every log line has one.
    MessageLog log([] { return std::string(); });
    log.setListener([&](const LogRun& entry) {
        writeJobLogText(run.writer, entry.text);
        if (!entry.red) return;
        const std::size_t first = entry.text.find_first_not_of("\r\n");
        const std::size_t last = entry.text.find_last_not_of("\r\n");
        if (first != std::string::npos && run.firstError.empty())
            run.firstError = entry.text.substr(first, last - first + 1);
    });

    ProjectStore store;
    const std::size_t total = script.commands.size();
    int totalWeight = 0, weightBefore = 0;
    for (const ScriptCommand& c : script.commands) totalWeight += commandWeight(c.verb);
    for (std::size_t i = 0; i < total; ++i) {
        const ScriptCommand& command = script.commands[i];
        if (run.inversionAbortedAtLine) {
            if (command.verb != ScriptVerb::SaveMesh && command.verb != ScriptVerb::SaveConfiguration) continue;
        } else if (anyRank(ranks, abortFilePresent(run.files.abort))) {
            writeJobLogLine(run.writer, "Script aborted before " + where(command.line, command.text) +
                                            ": abort file " + run.files.abort.string() + " found.");
            return ScriptStatus::Aborted;
        } else if (anyRank(ranks, run.writes && managerGone && managerGone())) {
            // Only rank 0 runs where the manager does.
            writeJobLogLine(run.writer, "Script stopped before " + where(command.line, command.text) +
                                            ": the manager that started the core has ended.");
            return ScriptStatus::Stopped;
        }
        // 99 at most before the end: 100 is the script's completion.
        const int from = 99 * weightBefore / totalWeight;
        weightBefore += commandWeight(command.verb);
        const int span = 99 * weightBefore / totalWeight - from;
        // SETMESSAGEPATH's own line opens the log it names.
        const std::string started = "Line " + std::to_string(command.line) + ": " + command.text;
        if (command.verb != ScriptVerb::SetMessagePath) {
            writeJobLogLine(run.writer, started);
            run.reportProgress(from, stageName(command.verb));
        }
        run.firstError.clear();
        Status status = Status::Error;
        try {
            status = runCommand(run, store, command, from, span, log);
        } catch (const std::bad_alloc&) {
            // An allocation no estimate foresaw: the command's own memory is
            // released by now, so the reason can still be written.
            run.firstError = "out of memory (the machine's memory or the process's memory limit is exhausted).";
        }
        if (command.verb == ScriptVerb::SetMessagePath) {
            writeJobLogLine(run.writer, started);
            if (ranks.count() > 1)
                writeJobLogLine(run.writer, "The job runs on " + std::to_string(ranks.count()) + " ranks.");
        }
        const bool failed = status != Status::Ok;
        if (anyRank(ranks, failed)) {
            const std::string reason = failureOnRanks(ranks, failed, run.firstError);
            if (anyRank(ranks, abortFilePresent(run.files.abort))) {
                writeJobLogLine(run.writer, "Script aborted at " + where(command.line, command.text) +
                                                ": abort file " + run.files.abort.string() + " found.");
                return ScriptStatus::Aborted;
            }
            writeJobLogLine(run.writer, "Script stopped at " + where(command.line, command.text) + ": " +
                                            (reason.empty() ? std::string("the command failed.") : reason));
            return ScriptStatus::Stopped;
        }
    }
    if (run.inversionAbortedAtLine) {
        writeJobLogLine(run.writer, "Script aborted at line " + std::to_string(*run.inversionAbortedAtLine) +
                                        " (RUNINVERSION): abort file " + run.files.abort.string() +
                                        " found; the best model so far was saved.");
        return ScriptStatus::Aborted;
    }
    run.reportProgress(100, kCompletedStage);
    writeJobLogLine(run.writer, "Script completed.");
    return ScriptStatus::Completed;
}

}  // namespace vexora
