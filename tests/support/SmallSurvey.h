#pragma once
// A small, valid data file to mutate in tests: 2 cables of 4 electrodes,
// 4 quadrupoles with V/I values and 2 IP windows, 3 topography points.

#include <string>

namespace vexora::testing {

inline std::string smallHeader(const std::string& extraTags = "")
{
    return "#Vexora+\r\n"
           "#elec_no_cable= 1\r\n#elec_cable_col= 1\r\n#elec_id_col= 2\r\n#elec_x_col= 3\r\n"
           "#elec_y_col= 4\r\n#elec_z_col= 5\r\n#elec_elev_col= -1\r\n#elec_type_col= -1\r\n"
           "#data_id_col= 1\r\n#data_a_cable_col= 2\r\n#data_a_elec_col= 3\r\n#data_b_cable_col= 4\r\n"
           "#data_b_elec_col= 5\r\n#data_m_cable_col= 6\r\n#data_m_elec_col= 7\r\n#data_n_cable_col= 8\r\n"
           "#data_n_elec_col= 9\r\n#data_res_col= 10\r\n#data_ip_wind_col= 11 12\r\n#data_i_curr_col= 13\r\n"
           "#data_skip_col= 14\r\n#data_std_res_col= -1\r\n#data_std_ip_col= -1\r\n#data_appres= 1\r\n"
           "#data_ip_scale= 1000\r\n#topo_x_col= 1\r\n#topo_y_col= 2\r\n#topo_z_col= 3\r\n" +
           extraTags;
}

inline std::string smallElectrodes()
{
    return "#elec_start\r\n"
           "A 1 0 0 0\r\nA 2 2 0 0\r\nA 3 4 0 0\r\nA 4 6 0 0\r\n"
           "B 1 0 5 0\r\nB 2 2 5 0\r\nB 3 4 5 0\r\nB 4 6 5 0\r\n"
           "#elec_end\r\n";
}

inline std::string smallDataRows()
{
    return "1 A 1 A 2 A 3 A 4 0.5 10 5 100 0\r\n"
           "2 B 1 B 2 B 3 B 4 0.25 12 6 200 0\r\n"
           "3 A 1 A 4 A 2 A 3 1.5 8 4 150 1\r\n"
           "4 A 1 A 2 B 1 B 2 0.125 9 3 100 0\r\n";
}

inline std::string smallTopography()
{
    return "#topo_start\r\n0 0 0\r\n6 0 0.5\r\n0 5 0.25\r\n#topo_end\r\n";
}

inline std::string smallSurvey(const std::string& dataRows = smallDataRows(), const std::string& extraTags = "")
{
    return smallHeader(extraTags) + smallElectrodes() + "#data_start\r\n" + dataRows + "#data_end\r\n" +
           smallTopography();
}

}  // namespace vexora::testing
