// The VTK files export-vtk writes, read back by VTK's own XML readers (the
// ones ParaView uses): the sample's terrain-following model comes back with
// every block as a hexahedron, every node where the model has it, and every
// quantity's value block for block.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>

#include "core/io/TextFile.h"
#include "core/mesh/ViewerModelRead.h"
#include "engine/ProgramRun.h"
#include "support/CliRun.h"

namespace {

namespace fs = std::filesystem;
using namespace vexora;

struct VtkContents {
    std::size_t cells = 0, hexahedra = 0;
    std::vector<NodePoint> gridPoints, electrodePoints;
    std::map<std::string, std::vector<double>> cellArrays, pointArrays;
};

std::vector<NodePoint> points(std::istringstream& in)
{
    std::size_t count = 0;
    in >> count;
    std::vector<NodePoint> read(count);
    for (NodePoint& p : read) in >> p.x >> p.y >> p.z;
    return read;
}

VtkContents parse(const std::string& text)
{
    VtkContents contents;
    std::istringstream in(text);
    std::string word;
    bool gridDone = false;
    while (in >> word) {
        if (word == "cells") in >> contents.cells;
        else if (word == "hexahedra") in >> contents.hexahedra;
        else if (word == "points") (gridDone ? contents.electrodePoints : contents.gridPoints) = points(in), gridDone = true;
        else if (word == "cell_array" || word == "point_array") {
            std::string name, line;
            std::getline(in >> std::ws, name);
            std::getline(in, line);
            std::istringstream values(line);
            auto& array = (word == "cell_array" ? contents.cellArrays : contents.pointArrays)[name];
            for (double v; values >> v;) array.push_back(v);
        }
    }
    return contents;
}

TEST(VtkExport, VtksOwnReadersReadTheFilesBackAsWritten)
{
    const fs::path folder = fs::temp_directory_path() / "vexora_vtk_read_back";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path model = folder / "sample.vwer", grid = folder / "sample.vtu",
                   electrodes = folder / "sample_electrodes.vtp";
    const std::string sample = std::string(VEXORA_SAMPLES_DIR) + "/sample_survey.data";
    const vexora::testing::CliRun written = vexora::testing::runVexora({"viewer-model", sample, "-o", model.string()});
    ASSERT_EQ(written.code, 0) << written.err;
    const vexora::testing::CliRun exported = vexora::testing::runVexora({"export-vtk", model.string(), "-o", grid.string()});
    ASSERT_EQ(exported.code, 0) << exported.err;

    const vexora::testing::ProgramRun read = vexora::testing::runHeadless("/usr/bin/python3", {VEXORA_READ_VTK_SCRIPT, grid.string(),
                                                                              electrodes.string()});
    if (read.status == 3 || !fs::exists("/usr/bin/python3")) GTEST_SKIP() << "VTK's Python module is not installed";
    ASSERT_EQ(read.status, 0) << read.err;

    std::string bytes, why;
    ASSERT_TRUE(readTextFile(model, bytes));
    ViewerModel source;
    ASSERT_EQ(readViewerModel(bytes, source, why), ViewerReadStatus::Read) << why;
    const VtkContents vtk = parse(read.out);

    EXPECT_EQ(vtk.cells, source.blocks.size());
    EXPECT_EQ(vtk.hexahedra, source.blocks.size());
    ASSERT_EQ(vtk.gridPoints.size(), source.nodes.size());
    double lowestTop = 1e300, highestTop = -1e300;
    for (std::size_t i = 0; i < source.nodes.size(); ++i) {
        EXPECT_DOUBLE_EQ(vtk.gridPoints[i].x, source.nodes[i].x) << i;
        EXPECT_DOUBLE_EQ(vtk.gridPoints[i].y, source.nodes[i].y) << i;
        EXPECT_DOUBLE_EQ(vtk.gridPoints[i].z, source.nodes[i].z) << i;
    }
    for (const auto& block : source.blocks)
        for (std::size_t k = 0; k < 4; ++k) {  // the upper face: the ground
            lowestTop = std::min(lowestTop, source.nodes[static_cast<std::size_t>(block[k])].z);
            highestTop = std::max(highestTop, source.nodes[static_cast<std::size_t>(block[k])].z);
        }
    EXPECT_GT(highestTop - lowestTop, 1.0) << "the sample's terrain is lost";

    ASSERT_FALSE(source.quantities.empty());
    for (std::size_t q = 0; q < source.quantities.size(); ++q) {
        const auto found = vtk.cellArrays.find(source.quantities[q]);
        ASSERT_NE(found, vtk.cellArrays.end()) << source.quantities[q];
        ASSERT_EQ(found->second.size(), source.blocks.size());
        for (std::size_t e = 0; e < source.blocks.size(); ++e)
            EXPECT_DOUBLE_EQ(found->second[e], source.values[q][e]) << source.quantities[q] << " block " << e;
    }
    const auto logRho = vtk.cellArrays.find("log10 Resistivity");
    ASSERT_NE(logRho, vtk.cellArrays.end());
    const std::vector<double>& rho = *source.quantity("Resistivity");
    for (std::size_t e = 0; e < rho.size(); ++e) EXPECT_NEAR(logRho->second[e], std::log10(rho[e]), 1e-12);

    ASSERT_EQ(vtk.electrodePoints.size(), source.electrodes.size());
    const std::vector<double>& numbers = vtk.pointArrays.count("Electrode") ? vtk.pointArrays.at("Electrode") : std::vector<double>{};
    ASSERT_EQ(numbers.size(), source.electrodes.size());
    for (std::size_t i = 0; i < source.electrodes.size(); ++i) {
        const ViewerElectrode& e = source.electrodes[i];
        EXPECT_EQ(vtk.electrodePoints[i], (NodePoint{e.x, e.y, e.z})) << i;
        EXPECT_EQ(numbers[i], e.number) << i;
    }
    fs::remove_all(folder);
}

}  // namespace
