// vexora sequence-compare A.data B.data: how deep and where two sequences on
// one layout see. Both are loaded as a core job loads them, one mesh is
// built (the ground: its starting model), and the cumulative
// sensitivity of each sequence is computed on it by the sensitivity job.

#include <algorithm>
#include <ostream>

#include "app/cli/Cli.h"
#include "app/cli/CommandSupport.h"
#include "app/cli/Commands.h"
#include "core/import/GeometricFactor.h"
#include "core/import/tables/ImportFill.h"
#include "core/sequence/SensitivityProfile.h"
#include "engine/inversion/SensitivityJob.h"
#include "engine/script/JobSteps.h"

namespace vexora::cli {

namespace {

// The positions of the electrodes on the ground under the mesh; a remote
// pole changes nothing there, so one sequence may have it and the other not.
std::vector<Point3> layoutPositions(const Survey& survey)
{
    std::vector<Point3> points;
    for (const Electrode& e : survey.electrodes)
        if (survey.cableNames[static_cast<std::size_t>(e.cable - 1)] != kRemoteCableName) points.push_back({e.x, e.y, e.z});
    return points;
}

bool sameElectrodes(const Survey& a, const Survey& b)
{
    const std::vector<Point3> p = layoutPositions(a), q = layoutPositions(b);
    return p.size() == q.size() && std::equal(p.begin(), p.end(), q.begin(), [](const Point3& u, const Point3& v) {
               return u.x == v.x && u.y == v.y && u.z == v.z;
           });
}

}  // namespace

int runSequenceCompare(const Arguments& args, std::ostream& out, std::ostream& err)
{
    std::vector<std::string> files;
    std::string prefix;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size()) prefix = args[++i];
        else if (args[i].size() > 1 && args[i][0] == '-') return printCommandUsage(err, "sequence-compare");
        else files.push_back(args[i]);
    }
    if (files.size() != 2) return printCommandUsage(err, "sequence-compare");

    MessageLog log;
    ProjectStore first, second;
    Status status = loadJobDataFile(first, files[0], log);
    if (status == Status::Ok) status = loadJobDataFile(second, files[1], log);
    if (status == Status::Ok && !sameElectrodes(first.survey, second.survey))
        status = log.error("sequence-compare", "The two sequences stand on different electrodes: compare sequences "
                                               "designed on one layout.");
    // One mesh for both: that of the sequence with the remote electrode when
    // only one has it, whose pads reach out to it.
    ProjectStore& ground = second.survey.electrodes.size() > first.survey.electrodes.size() ? second : first;
    if (status == Status::Ok) status = generateJobMesh(ground, log);
    std::vector<double> sensitivity[2];
    const SensitivityRequest cumulative{0, true};
    for (int k = 0; k < 2 && status == Status::Ok; ++k) {
        CalculatedData calculated;
        status = generateSensitivity(ground.mesh, ground.models, (k == 0 ? first : second).survey, ground.settings,
                                     cumulative, log, {}, sensitivity[k], calculated);
    }
    // The viewer's models of both, quantity "Sensitivity", for its sections.
    for (int k = 0; k < 2 && status == Status::Ok && !prefix.empty(); ++k)
        status = saveJobMesh(ground.settings, (k == 0 ? first : second).survey, ground.mesh, ground.models,
                             prefix + (k == 0 ? "_1.vwer" : "_2.vwer"), MeshOutput::BoundsBinary, log, &sensitivity[k]);
    printLog(log, err);
    if (status != Status::Ok) return kExitError;
    for (const std::string& line : comparisonLines(ground.mesh, sensitivity[0], sensitivity[1])) out << line << "\n";
    return kExitOk;
}

}  // namespace vexora::cli
