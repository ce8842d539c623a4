// vexora merge: several data files loaded as blocks, some with their cables
// reversed, merged into one survey and written as one data file.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <ostream>

#include "app/cli/Cli.h"
#include "app/cli/CommandSupport.h"
#include "app/cli/Commands.h"
#include "core/datafile/ScheduleWriter.h"
#include "core/merge/DataMerge.h"
#include "core/platform/ScriptedQuestions.h"

namespace vexora::cli {

namespace {

namespace fs = std::filesystem;

struct MergeArguments {
    std::vector<std::string> files;
    std::vector<int> reversed;  // 1-based places in `files`
    MergeOptions options;
    std::string output;
    std::string misuse;  // why the arguments are refused; "" when they are not
};

bool wholeNumber(const std::string& text, int& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

MergeArguments parseMergeArguments(const Arguments& args)
{
    MergeArguments m;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--remove-duplicates") {
            m.options.removeDuplicates = true;
        } else if (a == "--tolerance" && hasValue) {
            const std::string& text = args[++i];
            double t = 0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), t);
            if (error != std::errc() || end != text.data() + text.size() || !(t >= 0 && std::isfinite(t)))
                m.misuse = "--tolerance takes a distance in metres, not \"" + text + "\"";
            m.options.tolerance = t;
        } else if (a == "--reverse-cable" && hasValue) {
            // One or more file places follow: "--reverse-cable 2" or "--reverse-cable 2 3".
            int place = 0;
            if (!wholeNumber(args[i + 1], place)) m.misuse = "--reverse-cable takes the place of a file (1, 2, ...)";
            while (i + 1 < args.size() && wholeNumber(args[i + 1], place)) {
                m.reversed.push_back(place);
                ++i;
            }
        } else if (a == "-o" && hasValue) {
            m.output = args[++i];
        } else if (a.size() > 1 && a[0] == '-') {
            m.misuse = "unknown option " + a;
        } else {
            m.files.push_back(a);
        }
    }
    if (m.misuse.empty() && m.files.empty()) m.misuse = "no data files to merge";
    if (m.misuse.empty() && m.output.empty()) m.misuse = "-o OUT.data is needed";
    for (int place : m.reversed)
        if (m.misuse.empty() && (place < 1 || static_cast<std::size_t>(place) > m.files.size()))
            m.misuse = "--reverse-cable " + std::to_string(place) + ": there are " + std::to_string(m.files.size()) +
                       " files";
    return m;
}

}  // namespace

int runMerge(const Arguments& args, std::ostream& out, std::ostream& err)
{
    const MergeArguments m = parseMergeArguments(args);
    if (!m.misuse.empty()) {
        err << "vexora merge: " << m.misuse << "\n";
        return printCommandUsage(err, "merge");
    }
    std::vector<fs::path> inputs(m.files.begin(), m.files.end());
    if (outputReplacesInput(err, "merge", m.output, inputs)) return kExitError;
    const fs::path folder = fs::absolute(fs::path(m.output)).parent_path();
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        err << "vexora merge: the folder " << folder.string() << " of the output does not exist; nothing written.\n";
        return kExitError;
    }

    MessageLog log;
    ScriptedQuestions questions = unattendedLoadQuestions();
    std::vector<MergeBlock> blocks(m.files.size());
    bool loaded = true;
    for (std::size_t b = 0; b < m.files.size(); ++b) {
        if (loadMergeBlock(m.files[b], static_cast<int>(b + 1), blocks[b], log, questions) != Status::Ok) {
            log.logError("cmdAddFiles_Click", "Error on " + fs::path(m.files[b]).filename().string());
            loaded = false;
        }
    }
    Status status = loaded ? Status::Ok : Status::Error;
    for (int place : m.reversed)
        if (status == Status::Ok) status = reverseMergeBlock(blocks[static_cast<std::size_t>(place - 1)], log);
    ProjectStore store;
    if (status == Status::Ok) status = mergeBlocks(blocks, m.options, store, log);
    if (status == Status::Ok) status = saveDataFile(store, m.output, false, log);
    if (status != Status::Ok) log.logError("vexora merge", "Nothing written.");
    printLog(log, err);
    if (status != Status::Ok) return kExitError;
    out << "files " << blocks.size() << "\n"
        << "electrodes " << store.survey.electrodes.size() << "\n"
        << "quadrupoles " << store.survey.quadrupoles.size() << "\n"
        << "ip_windows " << store.survey.quadrupoles.ipWindows() << "\n";
    return kExitOk;
}

}  // namespace vexora::cli
