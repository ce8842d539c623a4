#pragma once
// Generated data-file texts of any size for round-trip tests and benchmarks:
// cables of electrodes on a gently sloping line, dipole-dipole quadrupoles
// cycling over the cables, values from a fixed pseudo-random sequence.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace vexora::testing {

struct GeneratedSurveyOptions {
    std::size_t quadrupoles = 1000;
    int cables = 8;
    int electrodesPerCable = 64;
    int ipWindows = 3;
    bool apparentResistivity = false;
    bool crlf = true;
};

inline std::string generateSurveyText(const GeneratedSurveyOptions& o)
{
    const char* eol = o.crlf ? "\r\n" : "\n";
    std::string text;
    text.reserve(o.quadrupoles * (90 + 13 * static_cast<std::size_t>(o.ipWindows)) + 4096);
    char line[512];
    auto add = [&](const char* s) {
        text += s;
        text += eol;
    };
    add("#Vexora+");
    add("#elec_no_cable= 1");
    add("#elec_cable_col= 1");
    add("#elec_id_col= 2");
    add("#elec_x_col= 3");
    add("#elec_y_col= 4");
    add("#elec_z_col= 5");
    add("#elec_elev_col= -1");
    add("#elec_type_col= -1");
    add("#data_id_col= 1");
    add("#data_a_cable_col= 2");
    add("#data_a_elec_col= 3");
    add("#data_b_cable_col= 4");
    add("#data_b_elec_col= 5");
    add("#data_m_cable_col= 6");
    add("#data_m_elec_col= 7");
    add("#data_n_cable_col= 8");
    add("#data_n_elec_col= 9");
    add("#data_res_col= 10");
    std::string ipColumns, ipStdColumns;
    for (int w = 0; w < o.ipWindows; ++w) {
        ipColumns += " " + std::to_string(11 + w);
        ipStdColumns += " " + std::to_string(14 + o.ipWindows + w);
    }
    add(("#data_ip_wind_col=" + (o.ipWindows ? ipColumns : std::string(" -1"))).c_str());
    std::snprintf(line, sizeof line, "#data_i_curr_col= %d", 11 + o.ipWindows);
    add(line);
    std::snprintf(line, sizeof line, "#data_skip_col= %d", 12 + o.ipWindows);
    add(line);
    std::snprintf(line, sizeof line, "#data_std_res_col= %d", 13 + o.ipWindows);
    add(line);
    add(("#data_std_ip_col=" + (o.ipWindows ? ipStdColumns : std::string(" -1"))).c_str());
    add(o.apparentResistivity ? "#data_appres= 2" : "#data_appres= 1");
    add("#data_ip_scale= 1000");
    add("#topo_x_col= 1");
    add("#topo_y_col= 2");
    add("#topo_z_col= 3");

    add("#elec_start");
    for (int c = 1; c <= o.cables; ++c)
        for (int e = 1; e <= o.electrodesPerCable; ++e) {
            const double x = (e - 1) * 2.0, y = (c - 1) * 5.0;
            std::snprintf(line, sizeof line, "\tC%d\t%d\t%.5f\t%.5f\t%.5f", c, e, x, y, 0.01 * x - 0.02 * y);
            add(line);
        }
    add("#elec_end");

    add("#data_start");
    std::uint64_t state = 88172645463325252ull;
    auto next = [&]() {  // xorshift64: reproducible values in [0, 1)
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<double>(state >> 11) / 9007199254740992.0;
    };
    const int span = o.electrodesPerCable - 3;
    for (std::size_t k = 0; k < o.quadrupoles; ++k) {
        const int cable = static_cast<int>(k % static_cast<std::size_t>(o.cables)) + 1;
        const int first = static_cast<int>((k / static_cast<std::size_t>(o.cables)) % static_cast<std::size_t>(span)) + 1;
        const int n = static_cast<int>((k / static_cast<std::size_t>(o.cables * span)) % 3);
        const int a = first, b = first + 1, m = std::min(first + 2 + n, o.electrodesPerCable - 1), nn = m + 1;
        int len = std::snprintf(line, sizeof line, "\t%zu\tC%d\t%d\tC%d\t%d\tC%d\t%d\tC%d\t%d\t%.8f", k + 1, cable, a,
                                cable, b, cable, m, cable, nn, 0.01 + 50.0 * next());
        for (int w = 0; w < o.ipWindows; ++w) len += std::snprintf(line + len, sizeof line - static_cast<std::size_t>(len), "\t%.8f", 20.0 * next());
        len += std::snprintf(line + len, sizeof line - static_cast<std::size_t>(len), "\t%.3f\t%d\t%.8f",
                             10.0 + 490.0 * next(), next() < 0.02 ? 1 : 0, 0.05 * next());
        for (int w = 0; w < o.ipWindows; ++w) len += std::snprintf(line + len, sizeof line - static_cast<std::size_t>(len), "\t%.8f", next());
        add(line);
    }
    add("#data_end");

    add("#topo_start");
    for (int i = 0; i < 200; ++i) {
        const double x = 130.0 * next() - 2.0, y = 40.0 * next() - 2.0;
        std::snprintf(line, sizeof line, "\t%.5f\t%.5f\t%.5f", x, y, 0.01 * x - 0.02 * y);
        add(line);
    }
    add("#topo_end");
    return text;
}

}  // namespace vexora::testing
