#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>

#include "ProgramRun.h"
#include "ScriptTestSupport.h"
#include "core/import/GeometricFactor.h"
#include "core/jobs/JobResults.h"
#include "support/SmallSurvey.h"

namespace vexora {
namespace {

using namespace vexora::testing;

std::string format(const char* pattern, double a, double b)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

// The value of a "#tag= N" line of a data file's text.
int tagValue(const std::string& text, const std::string& tag)
{
    const std::size_t at = text.find(tag + "= ");
    return at == std::string::npos ? -1 : std::stoi(text.substr(at + tag.size() + 2));
}

// The whitespace-separated fields of the data block's rows.
std::vector<std::vector<std::string>> dataRows(const std::string& text)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text.substr(text.find("#data_start"), text.find("#data_end") - text.find("#data_start")));
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::vector<std::string> row;
        for (std::string f; fields >> f;) row.push_back(f);
        if (!row.empty() && row[0] != "!") rows.push_back(row);  // "!" starts the column header
    }
    return rows;
}

// One inversion by the core, then everything the results show read back
// from its folder: the log's misfit per iteration, the cross-plot against
// the columns of the data file it wrote, and the pictures of `vexora results`.
TEST(JobResults, ReadBackFromAnInversionTheCoreRan)
{
    const fs::path root = freshFolder("job_results");
    ASSERT_TRUE(writeFileAtomically(root / "site.data", smallSurvey(smallDataRows(), "#start_from_data= 2\r\n")));
    const CliRun run = runVexora({"invert", (root / "site.data").string(), "--run"});
    ASSERT_EQ(run.code, 0) << run.err;
    const fs::path folder = root / "site.VXRprj";

    // Each iteration as the inversion logged it, from 0 on, and the final misfit.
    const std::string log = fileText(folder / "InvLog.prg");
    const JobLogMisfits misfits = parseJobLogMisfits(log);
    ASSERT_GE(misfits.resistivity.size(), 2u) << log;
    for (std::size_t i = 0; i < misfits.resistivity.size(); ++i) {
        const IterationMisfit& m = misfits.resistivity[i];
        EXPECT_EQ(m.iteration, static_cast<int>(i));
        EXPECT_NE(log.find("Iteration " + std::to_string(i) + ": " + (i ? "roughness " : "RMS ")), std::string::npos);
        EXPECT_NE(log.find(format("RMS %.2f %%, chi2 %.3f", m.rms, m.chi2)), std::string::npos) << i << "\n" << log;
    }
    ASSERT_TRUE(misfits.resistivityFinal) << log;
    EXPECT_EQ(misfits.resistivityFinal->weightedChi2, misfits.resistivity.back().chi2);

    JobResults results;
    MessageLog messages;
    ASSERT_EQ(loadJobResults(folder, results, messages), Status::Ok) << messages.plainText();
    EXPECT_EQ(results.lastLogLine, "Script completed.");
    EXPECT_EQ(results.modelFile, folder / "InvModelOutput.vwer");

    // The points are the measured and modelled columns of the file's rows
    // whose values can be compared (the small survey's modelled V/I has the
    // other sign for some, which the inversion sets aside too).
    const std::string data = fileText(folder / "InvDataOutput.data");
    const int measuredColumn = tagValue(data, "#data_res_col"), modelledColumn = tagValue(data, "#data_calc_res_col");
    ASSERT_GT(modelledColumn, 0) << data;
    const bool apparent = tagValue(data, "#data_appres") == 2;  // 1: V/I
    const std::vector<std::vector<std::string>> rows = dataRows(data);
    ASSERT_EQ(rows.size(), 3u);  // the skipped quadrupole was not inverted
    EXPECT_EQ(results.fit.points.size() + results.fit.incomparable, rows.size());
    ASSERT_GE(results.fit.points.size(), 1u);
    const std::vector<double> k = funGeometricFactor(results.data.survey, false);
    for (const CrossPlotPoint& p : results.fit.points) {
        ASSERT_LT(p.row, rows.size());
        const auto field = [&](int column) { return std::stod(rows[p.row][static_cast<std::size_t>(column - 1)]); };
        const double factor = apparent ? 1 : k[p.row];
        EXPECT_NEAR(p.measured, field(measuredColumn) * factor, 1e-9 * p.measured) << p.row;
        EXPECT_NEAR(p.modelled, field(modelledColumn) * factor, 1e-9 * std::abs(p.modelled)) << p.row;
    }
    // The residuals make the misfit the inversion ended with (to the
    // rounding of the file's numbers and the log's).
    EXPECT_NEAR(results.fit.rmsPercent, misfits.resistivityFinal->unweightedRms, 0.01);
    EXPECT_NEAR(results.fit.chi2, misfits.resistivityFinal->unweightedChi2,
                0.002 + 0.002 * misfits.resistivityFinal->unweightedChi2);
    EXPECT_EQ(results.residuals.stats.count, results.fit.normalisedResiduals.size());

    // `vexora results`: the figures and the three pictures.
    const std::string prefix = (root / "site").string();
    const ProgramRun cli = runHeadless(fs::path(VEXORA_APP_DIR) / "vexora", {"results", folder.string(), "--png", prefix});
    ASSERT_EQ(cli.status, 0) << cli.err;
    EXPECT_NE(cli.out.find("compared\t" + std::to_string(results.fit.points.size()) + "\n"), std::string::npos)
        << cli.out;
    EXPECT_NE(cli.out.find("iteration\trms_percent\tchi2\n0\t"), std::string::npos) << cli.out;
    for (const char* picture : {"_crossplot.png", "_misfit.png", "_residuals.png"})
        EXPECT_GT(fs::file_size(prefix + picture), 1000u) << picture;
}

TEST(JobResults, FoldersWithoutResultsAreRefused)
{
    const fs::path root = freshFolder("job_results_bad");
    fs::create_directories(root / "empty.VXRprj");
    fs::create_directories(root / "cut.VXRprj");
    fs::create_directories(root / "measured.VXRprj");
    const std::string survey = smallSurvey();
    ASSERT_TRUE(writeFileAtomically(root / "cut.VXRprj" / "InvDataOutput.data", survey.substr(0, survey.size() / 2)));
    ASSERT_TRUE(writeFileAtomically(root / "measured.VXRprj" / "InvDataOutput.data", survey));
    const struct {
        fs::path folder;
        std::string message;
    } cases[] = {
        {root / "none.VXRprj", (root / "none.VXRprj").string() + " is not a project folder."},
        {root / "empty.VXRprj", (root / "empty.VXRprj").string() +
                                    " holds no inversion results: InvDataOutput.data is missing (the job has not "
                                    "ended, or it failed)."},
        {root / "cut.VXRprj", (root / "cut.VXRprj" / "InvDataOutput.data").string() + " does not load."},
        {root / "measured.VXRprj", "The data hold no calculated V/I: run a forward model or an inversion first."},
    };
    for (const auto& c : cases) {
        JobResults results;
        results.lastLogLine = "untouched";
        MessageLog log;
        EXPECT_EQ(loadJobResults(c.folder, results, log), Status::Error) << c.folder;
        EXPECT_EQ(log.lastError(), c.message);
        EXPECT_EQ(results.lastLogLine, "untouched");
        EXPECT_TRUE(results.folder.empty());
    }
    const ProgramRun cli = runHeadless(fs::path(VEXORA_APP_DIR) / "vexora", {"results", (root / "empty.VXRprj").string()});
    EXPECT_EQ(cli.status, 1);
    EXPECT_NE(cli.err.find("InvDataOutput.data is missing"), std::string::npos) << cli.err;
}

}  // namespace
}  // namespace vexora
