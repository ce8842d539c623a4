// vexora check | save | dump: load a data file as a Data Inversion load does,
// then report, write or print it.

#include <functional>
#include <ostream>

#include "app/cli/Cli.h"
#include "app/cli/CommandSupport.h"
#include "app/cli/Commands.h"
#include "core/datafile/ScheduleLoader.h"
#include "core/datafile/ScheduleWriter.h"
#include "core/import/GeometricFactor.h"
#include "core/qc/GeometricFactorLimit.h"
#include "core/settings/NumberText.h"

namespace vexora::cli {

namespace {

struct LoadOptions {
    LoadAnswers answers;
    std::vector<std::string> paths;
    std::string unknown;
};

LoadOptions parseOptions(const Arguments& args)
{
    LoadOptions options;
    for (const std::string& a : args) {
        if (a == "--no-z") options.answers.useZ = false;
        else if (a == "--synthetic") options.answers.synthetic = true;
        else if (a.size() > 1 && a[0] == '-' && options.unknown.empty()) options.unknown = a;
        else options.paths.push_back(a);
    }
    return options;
}

void printTable(std::ostream& out, const std::vector<std::string>& header,
                const std::function<void(std::size_t, std::vector<std::string>&)>& row, std::size_t rows)
{
    std::string line;
    auto emit = [&](const std::vector<std::string>& cells) {
        line.clear();
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i) line += '\t';
            line += cells[i];
        }
        line += '\n';
        out << line;
    };
    emit(header);
    std::vector<std::string> cells;
    for (std::size_t r = 0; r < rows; ++r) {
        cells.clear();
        row(r, cells);
        emit(cells);
    }
}

std::string num(double v) { return formatNumber(v); }

void dumpElectrodes(std::ostream& out, const Survey& s)
{
    printTable(out, {"row", "cable", "cable_index", "number", "x", "y", "z", "elevation", "type"},
               [&](std::size_t r, std::vector<std::string>& c) {
        const Electrode& e = s.electrodes[r];
        c = {std::to_string(r + 1), s.cableNames[static_cast<std::size_t>(e.cable - 1)], std::to_string(e.cable),
             std::to_string(e.number), num(e.x), num(e.y), num(e.z), num(e.elevation), std::to_string(e.type)};
    }, s.electrodes.size());
}

void dumpQuadrupoles(std::ostream& out, const Survey& s)
{
    const QuadrupoleTable& q = s.quadrupoles;
    const std::vector<double> k = funGeometricFactor(s, false);
    std::vector<std::string> header = {"id", "a_cable", "a_elec", "b_cable", "b_elec", "m_cable", "m_elec",
                                       "n_cable", "n_elec", "geometric_factor", "v_over_i", "app_res"};
    for (std::size_t w = 0; w < q.ip.size(); ++w) header.push_back("ip" + std::to_string(w + 1));
    header.insert(header.end(), {"current_ma", "skip"});
    if (s.present.resistanceStd) header.push_back("v_over_i_std");
    for (std::size_t w = 0; w < q.ipStd.size(); ++w) header.push_back("ip" + std::to_string(w + 1) + "_std");
    if (s.present.calcResistance) header.push_back("calc_v_over_i");
    if (s.present.calcIp) header.push_back("calc_ip");
    if (s.present.calcResistanceStd) header.push_back("calc_v_over_i_std");
    if (s.present.calcIpStd) header.push_back("calc_ip_std");
    printTable(out, header, [&](std::size_t r, std::vector<std::string>& c) {
        const Quadrupole& quad = q.rows[r];
        c.push_back(std::to_string(quad.id));
        for (const ElectrodeRef& ref : quad.pole) {
            c.push_back(std::to_string(ref.cable));
            c.push_back(std::to_string(ref.number));
        }
        c.push_back(num(k[r]));
        c.push_back(num(q.resistance[r]));
        c.push_back(num(q.resistance[r] * k[r]));
        for (const auto& w : q.ip) c.push_back(num(w[r]));
        c.push_back(num(q.current[r]));
        c.push_back(std::to_string(q.skip[r]));
        if (s.present.resistanceStd) c.push_back(num(q.resistanceStd[r]));
        for (const auto& w : q.ipStd) c.push_back(num(w[r]));
        if (s.present.calcResistance) c.push_back(num(q.calcResistance[r]));
        if (s.present.calcIp) c.push_back(num(q.calcIp[r]));
        if (s.present.calcResistanceStd) c.push_back(num(q.calcResistanceStd[r]));
        if (s.present.calcIpStd) c.push_back(num(q.calcIpStd[r]));
    }, q.size());
}

void dumpTopography(std::ostream& out, const Survey& s)
{
    printTable(out, {"row", "x", "y", "z"}, [&](std::size_t r, std::vector<std::string>& c) {
        const TopographyPoint& p = s.topography[r];
        c = {std::to_string(r + 1), num(p.x), num(p.y), num(p.z)};
    }, s.topography.size());
}

}  // namespace

int runCheck(const Arguments& args, std::ostream& out, std::ostream& err)
{
    const LoadOptions options = parseOptions(args);
    if (!options.unknown.empty() || options.paths.size() != 1) return printCommandUsage(err, "check");
    ProjectStore store;
    MessageLog log;
    const Status status = loadDataFile(store, options.paths[0], log, options.answers);
    printLog(log, err);
    if (status != Status::Ok) return kExitError;
    out << "electrodes " << store.survey.electrodes.size() << "\n"
        << "quadrupoles " << store.survey.quadrupoles.size() << "\n"
        << "topography " << store.survey.topography.size() << "\n"
        << geometricLimitLine(store.survey, store.settings) << "\n";
    return kExitOk;
}

int runSave(const Arguments& args, std::ostream&, std::ostream& err)
{
    const LoadOptions options = parseOptions(args);
    if (!options.unknown.empty() || options.paths.size() != 2) return printCommandUsage(err, "save");
    if (outputReplacesInput(err, "save", options.paths[1], {options.paths[0]})) return kExitError;
    ProjectStore store;
    MessageLog log;
    Status status = loadDataFile(store, options.paths[0], log, options.answers);
    if (status == Status::Ok) status = saveDataFile(store, options.paths[1], false, log);
    printLog(log, err);
    return status == Status::Ok ? kExitOk : kExitError;
}

int runDump(const Arguments& args, std::ostream& out, std::ostream& err)
{
    const LoadOptions options = parseOptions(args);
    if (!options.unknown.empty() || options.paths.size() != 2) return printCommandUsage(err, "dump");
    const std::string& table = options.paths[1];
    if (table != "electrodes" && table != "quadrupoles" && table != "topography") return printCommandUsage(err, "dump");
    ProjectStore store;
    MessageLog log;
    const Status status = loadDataFile(store, options.paths[0], log, options.answers);
    printLog(log, err);
    if (status != Status::Ok) return kExitError;
    if (table == "electrodes") dumpElectrodes(out, store.survey);
    else if (table == "quadrupoles") dumpQuadrupoles(out, store.survey);
    else dumpTopography(out, store.survey);
    return kExitOk;
}

}  // namespace vexora::cli
