#pragma once
// Small builders shared by the mesh tests.

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/log/MessageLog.h"
#include "core/mesh/MeshBuild.h"
#include "core/project/ProjectStore.h"
#include "core/mesh/Mesh.h"
#include "core/survey/SurveyTables.h"
#include "core/settings/SettingsTable.h"

namespace vexora::testing {

inline SettingsTable settingsWith(std::initializer_list<std::pair<Item, std::string>> values)
{
    SettingsTable table = defaultSettingsTable();
    for (const auto& [item, text] : values) setSettingText(table, item, text);
    return table;
}

inline Mesh meshOfLines(std::vector<double> x, std::vector<double> y, std::vector<double> z)
{
    Mesh mesh;
    mesh.lines = {std::move(x), std::move(y), std::move(z)};
    return mesh;
}

// Lines first, first + step, ... (count values).
inline std::vector<double> evenLines(double first, double step, int count)
{
    std::vector<double> lines;
    for (int i = 0; i < count; ++i) lines.push_back(first + step * i);
    return lines;
}

inline bool logHas(const MessageLog& log, const std::string& text)
{
    return log.plainText().find(text) != std::string::npos;
}

inline Electrode electrode(std::int32_t cable, std::int32_t number, double x, double y, double z, std::int16_t type = 2)
{
    Electrode e;
    e.cable = cable;
    e.number = number;
    e.x = x;
    e.y = y;
    e.z = z;
    e.elevation = type == 1 || type == -1 ? z + 5 : z;
    e.type = type;
    return e;
}

// A small mesh (7 x 6 x 6 lines) with a resistivity of 10 + (e mod 7) ohm m
// per block and IP values of (e mod 5) x 2.5 (scaled), following a sloping
// terrain when asked.
inline ProjectStore builtStore(bool terrain)
{
    ProjectStore store;
    store.settings = settingsWith({{Item::ForegroundXMax, "2"}, {Item::ForegroundYMax, "1.5"},
                                       {Item::ForegroundZMin, "-1"}, {Item::PadsXMax, "1 2"},
                                       {Item::PadsXMin, "1 2"}, {Item::PadsYMin, "1 2"}, {Item::PadsYMax, "1 2"},
                                       {Item::PadsZMin, "1 2"}, {Item::FlatTerrain, terrain ? "2" : "1"}});
    store.survey.cableNames = {"A"};
    store.survey.electrodes = {electrode(1, 1, 0.5, 0, 0), electrode(1, 2, 1.5, 0, 0)};
    Quadrupole q;
    q.id = 1;
    q.pole[0] = {1, 1};
    q.pole[1] = {1, 2};
    store.survey.quadrupoles.rows = {q};
    if (terrain) store.survey.topography = {{-40, -40, -0.4}, {45, -40, 0.45}, {-40, 40, -0.4}, {45, 40, 0.45}};
    MessageLog log;
    MeshBuildOutcome outcome;
    EXPECT_EQ(applyMeshSettings(store.settings, store.mesh, log), Status::Ok);
    EXPECT_EQ(funMakeMesh(store.settings, store.survey, store.mesh, store.models, log, outcome), Status::Ok)
        << log.plainText();
    EXPECT_EQ(store.mesh.followsTerrain, terrain);
    const std::size_t blocks = store.mesh.elementNodes.size();
    store.models.conductivity.resize(blocks);
    store.models.ip.resize(blocks);
    for (std::size_t e = 0; e < blocks; ++e) {
        store.models.conductivity[e] = 1 / (10.0 + static_cast<double>(e % 7));
        store.models.ip[e] = 2.5 * static_cast<double>(e % 5) / 1000.0;
    }
    store.models.ipScale = 1000;
    return store;
}

}  // namespace vexora::testing
