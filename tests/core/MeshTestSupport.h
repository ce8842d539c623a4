#pragma once
// Small builders shared by the mesh tests.

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "core/log/MessageLog.h"
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

}  // namespace vexora::testing
