// vexora sequence: a measuring sequence designed on a cable line, a grid or
// a data file's electrodes, written as a data file.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ostream>

#include "app/cli/Cli.h"
#include "app/cli/CommandSupport.h"
#include "app/cli/Commands.h"
#include "core/sequence/SequenceFile.h"

namespace vexora::cli {

namespace {

struct SequenceArguments {
    std::string line, grid, electrodes, output, spacing = "1";
    SequenceOptions options;
    double resistivity = kDefaultDesignResistivity;
    std::string misuse;
};

template <class T>
bool whole(std::string_view text, T& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// "N" or "LOW-HIGH"; a single number sets both ends unless `onlyHigh`.
bool range(const std::string& text, int& low, int& high, bool onlyHigh)
{
    const std::size_t dash = text.find('-', 1);
    if (dash == std::string::npos) return whole(std::string_view(text), high) && (onlyHigh || whole(std::string_view(text), low));
    return whole(std::string_view(text).substr(0, dash), low) && whole(std::string_view(text).substr(dash + 1), high);
}

// "AxB" into two whole numbers.
bool pair(const std::string& text, int& first, int& second)
{
    const std::size_t x = text.find_first_of("xX");
    return x != std::string::npos && whole(std::string_view(text).substr(0, x), first) &&
           whole(std::string_view(text).substr(x + 1), second);
}

bool arrays(const std::string& list, std::vector<ArrayKind>& kinds)
{
    static const std::pair<const char*, ArrayKind> names[] = {
        {"dd", ArrayKind::DipoleDipole}, {"dipole-dipole", ArrayKind::DipoleDipole}, {"wenner", ArrayKind::Wenner},
        {"schlumberger", ArrayKind::Schlumberger}, {"pd", ArrayKind::PoleDipole}, {"pole-dipole", ArrayKind::PoleDipole},
        {"gradient", ArrayKind::Gradient}, {"equatorial", ArrayKind::Equatorial}, {"cross", ArrayKind::CrossLine},
        {"cross-line", ArrayKind::CrossLine}};
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::string name = list.substr(start, comma - start);
        const auto* hit = std::find_if(std::begin(names), std::end(names), [&](const auto& n) { return name == n.first; });
        if (hit == std::end(names)) return false;
        kinds.push_back(hit->second);
        start = comma + 1;
    }
    return !kinds.empty();
}

SequenceArguments parse(const Arguments& args)
{
    SequenceArguments s;
    SequenceOptions& o = s.options;
    auto fail = [&](const std::string& why) {
        if (s.misuse.empty()) s.misuse = why;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--reciprocals") {
            o.reciprocals = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            fail(a + " needs a value");
            break;
        }
        const std::string& v = args[++i];
        double number = 0;
        const bool isNumber = whole(std::string_view(v), number) && std::isfinite(number);
        if (a == "--line") s.line = v;
        else if (a == "--grid") s.grid = v;
        else if (a == "--electrodes") s.electrodes = v;
        else if (a == "--spacing") s.spacing = v;
        else if (a == "-o") s.output = v;
        else if (a == "--array") { if (!arrays(v, o.arrays)) fail("--array takes dd, wenner, schlumberger, pd, gradient, equatorial, cross"); }
        else if (a == "--a") { if (!range(v, o.aMin, o.aMax, false)) fail("--a takes A or AMIN-AMAX"); }
        else if (a == "--n") { if (!range(v, o.nMin, o.nMax, true)) fail("--n takes NMAX or NMIN-NMAX"); }
        else if (a == "--line-gap") { if (!whole(std::string_view(v), o.lineGap)) fail("--line-gap takes a whole number"); }
        else if (a == "--channels") { if (!whole(std::string_view(v), o.channels)) fail("--channels takes a whole number"); }
        else if (a == "--min-k") { if (!isNumber) fail("--min-k takes a number"); o.minAbsK = number; }
        else if (a == "--max-k") { if (!isNumber) fail("--max-k takes a number"); o.maxAbsK = number; }
        else if (a == "--resistivity") { if (!isNumber) fail("--resistivity takes a number"); s.resistivity = number; }
        else fail("unknown option " + a);
    }
    const int layouts = !s.line.empty() + !s.grid.empty() + !s.electrodes.empty();
    if (layouts != 1) fail("give one of --line, --grid, --electrodes");
    if (s.output.empty()) fail("-o OUT.data is needed");
    if (o.arrays.empty()) fail("--array is needed");
    return s;
}

Status buildLayout(const SequenceArguments& s, ElectrodeLayout& layout, MessageLog& log, std::ostream& err)
{
    double dx = 0, dy = 0;
    const std::size_t comma = s.spacing.find(',');
    const std::string_view spacing(s.spacing);
    const bool spacingOk = comma == std::string::npos
                               ? whole(spacing, dx) && whole(spacing, dy)
                               : whole(spacing.substr(0, comma), dx) && whole(spacing.substr(comma + 1), dy);
    int first = 0, second = 0;
    if (!s.electrodes.empty()) {
        ProjectStore store;
        if (loadDataFile(store, s.electrodes, log) != Status::Ok) return Status::Error;
        return surveyLayout(store.survey, layout, log);
    }
    if (!spacingOk || !pair(s.line.empty() ? s.grid : s.line, first, second)) {
        err << "vexora sequence: --line CABLESxELECTRODES or --grid NXxNY, --spacing M or DX,DY\n";
        return Status::Error;
    }
    return s.line.empty() ? gridLayout(first, second, dx, dy, layout, log)
                          : cableLineLayout(first, second, dx, layout, log);
}

}  // namespace

int runSequence(const Arguments& args, std::ostream& out, std::ostream& err)
{
    const SequenceArguments s = parse(args);
    if (!s.misuse.empty()) {
        err << "vexora sequence: " << s.misuse << "\n";
        return printCommandUsage(err, "sequence");
    }
    if (!s.electrodes.empty() && outputReplacesInput(err, "sequence", s.output, {s.electrodes})) return kExitError;
    MessageLog log;
    ElectrodeLayout layout;
    SequenceDesign design;
    Status status = buildLayout(s, layout, log, err);
    if (status == Status::Ok) status = designSequence(layout, s.options, design, log);
    if (status == Status::Ok) status = saveSequence(design, s.resistivity, s.output, log);
    printLog(log, err);
    if (status != Status::Ok) return kExitError;
    for (const std::string& line : summaryLines(design.summary)) out << line << "\n";
    return kExitOk;
}

}  // namespace vexora::cli
