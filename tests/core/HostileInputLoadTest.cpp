// Data files, configurations and model files made to mislead their readers:
// each is refused with its reason and leaves the project as it was, or reads
// exactly as its plain form does.

#include <gtest/gtest.h>

#include <filesystem>

#include "MeshTestSupport.h"
#include "ProjectTestSupport.h"
#include "core/datafile/FormatChecks.h"
#include "core/datafile/ScheduleLoader.h"
#include "core/datafile/ScheduleWriter.h"
#include "core/io/TextFile.h"
#include "core/mesh/MeshFileFormat.h"
#include "core/mesh/MeshFileImport.h"
#include "core/mesh/NodeMesh.h"
#include "core/mesh/XyzImport.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/settings/Configuration.h"

namespace vexora {
namespace {

namespace fs = std::filesystem;
using namespace vexora::testing;

const std::string kByteOrderMark = "\xEF\xBB\xBF";

TEST(HostileInputDataFile, ABlockOfOnlyUnreadableRowsIsNotLoaded)
{
    const std::string data = "#data_start\r\n" + smallDataRows() + "#data_end\r\n";
    const struct {
        std::string text, message;
    } cases[] = {
        // A cable name with "!" leaves each row one field long.
        {smallHeader() + "#elec_start\r\n\tL1\r\n\tL1\r\n#elec_end\r\n" + data,
         "Error: no row of the electrodes block could be read; electrodes not loaded."},
        {smallSurvey("\t1\tL1\r\n\t2\tL1\r\n"), "Error: no row of the data block could be read; data not loaded."},
        {smallSurvey("1 A 1 A 2 A 3 A 4 0.5 10 5 100 -1\r\n"),
         "Error: no row of the data block could be read; data not loaded."},
        {smallHeader() + smallElectrodes() + data + "#topo_start\r\n1\r\n2,\r\n#topo_end\r\n",
         "Error: no row of the topography block could be read; topography not loaded."},
        // A sequence tag inside a row ("0#st") does not make the file an
        // instrument sequence, whose missing poles would become remote ones
        // that no saved file could name.
        {smallHeader() + "#elec_start\r\nA 1 0 0 0\r\nA 2 2 0#st 0\r\nA 3 4 0 0\r\nA 4 6 0 0\r\n#elec_end\r\n" +
             "#data_start\r\n1 A 1 A 2 A 3 A x 0.5 10 5 100 0\r\n#data_end\r\n",
         "Invalid cable/electrode number detected for quadrupole."},
    };
    for (const auto& c : cases) {
        ProjectStore store = smallProject();
        const ProjectStore before = store;
        MessageLog log;
        ScriptedQuestions questions;
        EXPECT_EQ(loadScheduleText(store, c.text, {"bad.data", ProjectType::DataInversion, true}, log, questions),
                  LoadStatus::NotLoaded)
            << c.message;
        EXPECT_NE(log.plainText().find(c.message), std::string::npos) << log.plainText();
        EXPECT_EQ(store.survey.electrodes, before.survey.electrodes);
        EXPECT_EQ(store.survey.quadrupoles, before.survey.quadrupoles);
        EXPECT_EQ(store.survey.topography, before.survey.topography);
    }
}

TEST(HostileInputDataFile, AByteOrderMarkBeforeTheTagsChangesNothing)
{
    const std::string texts[] = {smallSurvey(), "#background_res= 250\r\n#pc_num_core= 3\r\n"};
    for (const std::string& text : texts) {
        ProjectStore plain, marked;
        MessageLog plainLog, markedLog;
        ScriptedQuestions questions;
        if (text.starts_with("#Vexora+")) {
            ASSERT_EQ(loadScheduleText(plain, text, {"a.data"}, plainLog, questions), LoadStatus::Loaded);
            ASSERT_EQ(loadScheduleText(marked, kByteOrderMark + text, {"a.data"}, markedLog, questions),
                      LoadStatus::Loaded);
            EXPECT_EQ(marked.survey.quadrupoles, plain.survey.quadrupoles);
        } else {
            ASSERT_EQ(applyConfigurationText(text, plain.settings, plainLog), ConfigurationStatus::Read);
            ASSERT_EQ(applyConfigurationText(kByteOrderMark + text, marked.settings, markedLog),
                      ConfigurationStatus::Read);
        }
        EXPECT_EQ(marked.settings, plain.settings);
        EXPECT_EQ(markedLog.warningCount(), plainLog.warningCount()) << markedLog.plainText();
    }
}

// The load reads every tag line of the file; the layout it read the data
// with must be the one the project keeps, or a save loses the V/I column.
TEST(HostileInputDataFile, LayoutTagsOutsideTheHeaderAreKeptAndTheSaveLoadsAgain)
{
    const std::string resistance = "#data_res_col= 10\r\n";
    std::string header = smallHeader();
    header.erase(header.find(resistance), resistance.size());
    const std::string data = "#data_start\r\n" + smallDataRows() + "#data_end\r\n";
    const std::string texts[] = {
        header + smallElectrodes() + data + smallTopography() + resistance,
        header + smallElectrodes() + resistance + data + smallTopography(),
        // A block marker in a comment starts no block.
        header + "! rows follow at #data_start\r\n" + resistance + smallElectrodes() + data + smallTopography(),
    };
    const fs::path saved = fs::temp_directory_path() / "vexora_hostile_layout.data";
    for (const std::string& text : texts) {
        ProjectStore store, reloaded;
        MessageLog log;
        ScriptedQuestions questions;
        const DataLoadRequest request{"x.data", ProjectType::DataInversion, true};
        ASSERT_EQ(loadScheduleText(store, text, request, log, questions), LoadStatus::Loaded) << log.plainText();
        EXPECT_EQ(store.dataFormat.resistivityColumn, 10) << text;
        ElectrodeFormat electrodes;
        DataFormat kept;
        TopographyFormat topography;
        ASSERT_EQ(funCheckFormatCfgForInput(store.settings, electrodes, kept, topography, log), Status::Ok);
        EXPECT_EQ(kept, store.dataFormat) << text;
        EXPECT_EQ(electrodes, store.electrodeFormat);
        EXPECT_EQ(topography, store.topographyFormat);
        ASSERT_EQ(saveDataFile(store, saved, false, log), Status::Ok) << log.plainText();
        std::string written;
        ASSERT_TRUE(readTextFile(saved, written));
        EXPECT_EQ(loadScheduleText(reloaded, written, request, log, questions), LoadStatus::Loaded) << log.plainText();
        EXPECT_EQ(reloaded.survey.quadrupoles.rows, store.survey.quadrupoles.rows) << written;
        EXPECT_EQ(reloaded.survey.quadrupoles.resistance, store.survey.quadrupoles.resistance) << written;
    }
    fs::remove(saved);
}

TEST(HostileInputModelValues, XyzValuesNoModelCanHoldAreRefusedNamingTheLine)
{
    const struct {
        std::string line, message;
    } cases[] = {
        {"1 0 -1 -100 0", "Line 2: the resistivity '-100' is negative; the model is not loaded."},
        {"1 0 -1 1.797e308 0",
         "Line 2: the resistivity '1.797e308' is beyond the range of a model value; the model is not loaded."},
        {"1 0 -1 1e999 0", "Line 2: column 4 '1e999' is not a finite number; the model is not loaded."},
        {"1e400 0 -1 50 0", "Line 2: column 1 '1e400' is not a finite number; the model is not loaded."},
        {"1 0 -1 50 -1e999", "Line 2: column 5 '-1e999' is not a finite number; the model is not loaded."},
    };
    for (const auto& c : cases) {
        MessageLog log;
        EXPECT_FALSE(readXyzPoints("0 0 -1 100 1\r\n" + c.line + "\r\n", {1, 2, 3, 4, 5}, log)) << c.line;
        EXPECT_TRUE(logHas(log, c.message)) << log.plainText();
    }
    MessageLog log;
    const auto extremes = readXyzPoints("0 0 -1 1e-300 -5\r\n0 0 -1 4e307 0\r\n", {1, 2, 3, 4, 5}, log);
    ASSERT_TRUE(extremes);
    EXPECT_EQ(extremes->size(), 2u);
}

TEST(HostileInputModelValues, BlockValuesReadBackAsWrittenOrAreRefused)
{
    ProjectStore store;
    store.mesh = meshOfLines({0, 1, 2}, {0, 1}, {0, -1});
    MessageLog log;
    ASSERT_EQ(NodeMesh(store.mesh, store.settings, log), NodeMeshStatus::Made);
    store.mesh.present = true;
    const std::vector<double> resistivities = {1e-300, 4e307};
    store.models.conductivity = {1 / resistivities[0], 1 / resistivities[1]};
    const std::string text = meshFileText(store.survey, store.mesh, store.models, MeshFileKind::Resistivity, "d");
    ProjectStore read;
    ASSERT_EQ(importMeshText(text, "m.vwer", read.settings, read.mesh, read.models, log), MeshFileStatus::Read)
        << log.plainText();
    EXPECT_EQ(read.models.conductivity, store.models.conductivity);

    const fs::path out = fs::temp_directory_path() / "vexora_hostile_model.vwer";
    fs::remove(out);
    store.models.conductivity[1] = 0;  // 1/0: no finite resistivity
    EXPECT_EQ(OutputGlobalMesh(out, false, store.survey, store.mesh, store.models, log), Status::Error);
    EXPECT_TRUE(logHas(log, "Block 2: the model value inf cannot be written."));
    EXPECT_FALSE(fs::exists(out));

    std::string negative = text;
    negative.replace(negative.find("1e-300"), 6, "-100");
    const ProjectStore before = read;
    EXPECT_EQ(importMeshText(negative, "m.vwer", read.settings, read.mesh, read.models, log), MeshFileStatus::Failed);
    EXPECT_TRUE(logHas(log, "' holds a resistivity that is negative or out of range.")) << log.plainText();
    EXPECT_EQ(read.models.conductivity, before.models.conductivity);
}

}  // namespace
}  // namespace vexora
