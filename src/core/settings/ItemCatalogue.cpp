#include "core/settings/ItemCatalogue.h"

namespace vexora {

namespace {
constexpr std::array<CatalogueEntry, kCatalogueSize> kCatalogue{{
    {"    ITEM Description  ", "     Default Values     ", EntryKind::Header, "", ""},  // 0
{"Electrodes input/output format", "Electrodes input/output format", EntryKind::Section, "", ""},  // 1
    {"Cable specified (Used: 1; Not used: -1)", " 1 ", EntryKind::Item, "#elec_no_cable", ""},  // 2
    {"Cable column", " 1 ", EntryKind::Item, "#elec_cable_col", ""},  // 3
    {"ID electrode column", " 2 ", EntryKind::Item, "#elec_id_col", ""},  // 4
    {"X column", " 3 ", EntryKind::Item, "#elec_x_col", ""},  // 5
    {"Y column", " 4 ", EntryKind::Item, "#elec_y_col", ""},  // 6
    {"Z column", " 5 ", EntryKind::Item, "#elec_z_col", ""},  // 7
    {"Z terrain elevation column", " -1 ", EntryKind::Item, "#elec_elev_col", ""},  // 8
    {"Type of electrode column", " -1 ", EntryKind::Item, "#elec_type_col", ""},  // 9
    {"Data input/output format", "Data input/output format", EntryKind::Section, "", ""},  // 10
    {"ID quadrupole column", " 1 ", EntryKind::Item, "#data_id_col", ""},  // 11
    {"A Cable/Electrode column", " 2, 3 ", EntryKind::Item, "#data_a_cable_col", "#data_a_elec_col"},  // 12
    {"B Cable/Electrode column", " 4, 5 ", EntryKind::Item, "#data_b_cable_col", "#data_b_elec_col"},  // 13
    {"M Cable/Electrode column", " 6, 7 ", EntryKind::Item, "#data_m_cable_col", "#data_m_elec_col"},  // 14
    {"N Cable/Electrode column", " 8, 9 ", EntryKind::Item, "#data_n_cable_col", "#data_n_elec_col"},  // 15
    {"Res. Data column", " 10 ", EntryKind::Item, "#data_res_col", ""},  // 16
    {"IP Data columns", " -1 ", EntryKind::Item, "#data_ip_wind_col", ""},  // 17
    {"I(mA) Currents column", " -1 ", EntryKind::Item, "#data_i_curr_col", ""},  // 18
    {"Skipped Data column", " -1 ", EntryKind::Item, "#data_skip_col", ""},  // 19
    {"Res. Data Standard deviation column", " -1 ", EntryKind::Item, "#data_std_res_col", ""},  // 20
    {"IP Data Standard deviation column", " -1 ", EntryKind::Item, "#data_std_ip_col", ""},  // 21
    {"Calculated Res. column", " -1 ", EntryKind::Item, "#data_calc_res_col", ""},  // 22
    {"Calculated IP column", " -1 ", EntryKind::Item, "#data_calc_ip_col", ""},  // 23
    {"Calculated Res. Standard deviation column", " -1 ", EntryKind::Item, "#data_calc_std_res_col", ""},  // 24
    {"Calculated IP Standard deviation column", " -1 ", EntryKind::Item, "#data_calc_std_ip_col", ""},  // 25
    {"V/I data: 1; App. res. data: 2", " 1 ", EntryKind::Item, "#data_appres", ""},  // 26
    {"IP Scale Factor (1000 for Chargebility)", " 1000.0 ", EntryKind::Item, "#data_ip_scale", ""},  // 27
    {"Topography input/output format", "Topography input/output format", EntryKind::Section, "", ""},  // 28
    {"Topography X column", " 1 ", EntryKind::Item, "#topo_x_col", ""},  // 29
    {"Topography Y column", " 2 ", EntryKind::Item, "#topo_y_col", ""},  // 30
    {"Topography Z column", " 3 ", EntryKind::Item, "#topo_z_col", ""},  // 31
    {"Mesh settings", "Mesh settings", EntryKind::Section, "", ""},  // 32
    {"Type of mesh", "0-Standard", EntryKind::Item, "#mesh_type", ""},  // 33
    {"Interior Grid Element X Size (m)", " 0.5 ", EntryKind::Item, "#dim_grid_x", ""},  // 34
    {"Interior Grid Element Y Size (m)", " 0.5 ", EntryKind::Item, "#dim_grid_y", ""},  // 35
    {"Interior Grid Element Z Size (m)", " 0.5 ", EntryKind::Item, "#dim_grid_z", ""},  // 36
    {"Mesh Minimum X Distance (m)", " 0.0 ", EntryKind::Item, "#foreground_x_min", ""},  // 37
    {"Mesh Maximum X Distance (m)", " 10.0 ", EntryKind::Item, "#foreground_x_max", ""},  // 38
    {"Mesh Minimum Y Distance (m)", " 0.0 ", EntryKind::Item, "#foreground_y_min", ""},  // 39
    {"Mesh Maximum Y Distance (m)", " 10.0 ", EntryKind::Item, "#foreground_y_max", ""},  // 40
    {"Minimum Z Value (m)", " -5.0 ", EntryKind::Item, "#foreground_z_min", ""},  // 41
    {"Maximum Z Value (m)", " 0.0 ", EntryKind::Item, "#foreground_z_max", ""},  // 42
    {"Grid Right (+X) Pads (interior X grid units)", " 1 2 4 8 16 24 32 40 48 56 64  ", EntryKind::Item, "#pads_x_max", ""},  // 43
    {"Grid Left  (-X) Pads (interior X grid units)", " 1 2 4 8 16 24 32 40 48 56 64   ", EntryKind::Item, "#pads_x_min", ""},  // 44
    {"Grid Back  (-Y) Pads (interior Y grid units)", " 1 2 4 8 16 24 32 40 48 56 64 ", EntryKind::Item, "#pads_y_min", ""},  // 45
    {"Grid Front (+Y) Pads (interior Y grid units)", " 1 2 4 8 16 24 32 40 48 56 64  ", EntryKind::Item, "#pads_y_max", ""},  // 46
    {"Bottom (-Z) Pads (interior Z grid units)", " 1 2 4 8 16 24 32 40 48 56 64  ", EntryKind::Item, "#pads_z_min", ""},  // 47
    {"Flat terrain: 1; Terrain with topography: 2", " 1 ", EntryKind::Item, "#flat_grid", ""},  // 48
    {"Add electrodes Z terrain to topography (Yes: 1; No: 2)", " 2 ", EntryKind::Item, "#use_elec_in_topography", ""},  // 49
    {"Update elevation for Surface electrodes (Yes: 1; No: 2)", " 2 ", EntryKind::Item, "#update_z_surface_electrodes", ""},  // 50
    {"Flat Z bottom foreground (Yes: 1; No: 2)", " 1 ", EntryKind::Item, "#flat_z_bottom", ""},  // 51
    {"Depth of investigation (m)", " 5 ", EntryKind::Item, "#depth_of_investigation", ""},  // 52
    {"Adapt grid to electrodes (Yes: 1; No: 2)", " 2 ", EntryKind::Item, "#adapt_grid_to_electrodes", ""},  // 53
    {"Starting model", "Starting model", EntryKind::Section, "", ""},  // 54
    {"Type of resistivity model", "0-Standard", EntryKind::Item, "#resistivity_model_type", ""},  // 55
    {"Background Resistivity (ohm m)", " 100.0 ", EntryKind::Item, "#background_res", ""},  // 56
    {"Number of Resistivity Anomalies", " 0 ", EntryKind::Item, "", ""},  // 57
    {"Res. Anomalies: -X +X  -Y +Y  -Z +Z  Rho  [Radius]", "", EntryKind::AnomalyLabel, "#res_anomaly", ""},  // 58
    {"Type of IP model", "0-Standard", EntryKind::Item, "#ip_model_type", ""},  // 59
    {"Background Ip Value", " 0.01 ", EntryKind::Item, "#background_ip", ""},  // 60
    {"Number of IP Anomalies", " 0 ", EntryKind::Item, "", ""},  // 61
    {"IP Anomalies: -X +X  -Y +Y  -Z +Z  IP", "", EntryKind::AnomalyLabel, "#ip_anomaly", ""},  // 62
    {"Add anomalies to flat grid (Yes: 1; No: 2)", " 2 ", EntryKind::Item, "#add_anomalies_to_flat_grid", ""},  // 63
    {"Forward solver parameters", "Forward solver parameters", EntryKind::Section, "", ""},  // 64
    {"[-/+X;-/+Y;-Z] Boundaries (0-Dir, 1-Mixed, 2-Neu)", " 1 1 1 1 1 ", EntryKind::Item, "#boundary_conds", ""},  // 65
    {"Omega: Used for SSOR precond", " 1.6 ", EntryKind::Item, "#forw_ssor_omega", ""},  // 66
    {"Forward Solver Tolerance", " 1.0E-7 ", EntryKind::Item, "#forw_tolerance", ""},  // 67
    {"Maximum Number Forward Iterations", " 400 ", EntryKind::Item, "#forw_max_iterations", ""},  // 68
    {"Skip TX electrodes with no RX: 1; Calc. All: 2", " 2 ", EntryKind::Item, "#skip_tx_electrodes_with_no_rx", ""},  // 69
    {"Model IP Data (Yes: 1; No: 2)", " 2 ", EntryKind::Item, "#model_ip", ""},  // 70
    {"Inversion parameters", "Inversion parameters", EntryKind::Section, "", ""},  // 71
    {"Number of roughness trials at each iteration", " 4 1 ", EntryKind::Item, "#rough_trials_iter", "#simple_inversion"},  // 72
    {"Smoothness constraint (dm and m: 1; dm-only: 2)", " 1 ", EntryKind::Item, "#constrain_to_starting", ""},  // 73
    {"Constrain to reference model (Yes: 1; No: 2)", " 2 ", EntryKind::Item, "#constrain_to_ref", ""},  // 74
    {"Maximum Number Inversion Iterations-Rho", " 15 ", EntryKind::Item, "#max_num_iterations_rho", ""},  // 75
    {"Maximum Number Inversion Iterations-IP", " 15 ", EntryKind::Item, "#max_num_iterations_ip", ""},  // 76
    {"Maximum Internal Inverse PCG Iterations-Rho", " 15 ", EntryKind::Item, "#max_internal_pcg_rho", ""},  // 77
    {"Maximum Internal Inverse PCG Iterations-IP", " 15 ", EntryKind::Item, "#max_internal_pcg_ip", ""},  // 78
    {"Tolerance for Inverse PCG iterations-Rho", "0.001 ", EntryKind::Item, "#inv_pcg_tolerance_rho", ""},  // 79
    {"Tolerance for Inverse PCG iterations-IP", "0.001 ", EntryKind::Item, "#inv_pcg_tolerance_ip", ""},  // 80
    {"Factor <1 for choosing optimal Roughness Factor-Rho", " 0.9 ", EntryKind::Item, "#optimal_rough_factor_rho", ""},  // 81
    {"Factor <1 for choosing optimal Roughness Factor-IP", " 0.9 ", EntryKind::Item, "#optimal_rough_factor_ip", ""},  // 82
    {"Multiplier for Changing Roughness Factor-Rho", " 10.0 ", EntryKind::Item, "#rough_multiplier_rho", ""},  // 83
    {"Multiplier for Changing Roughness Factor-IP", " 10.0 ", EntryKind::Item, "#rough_multiplier_ip", ""},  // 84
    {"Initial Roughness Factor-Rho", " 10 ", EntryKind::Item, "#initial_rough_rho", ""},  // 85
    {"Initial Roughness Factor-IP", " 10 ", EntryKind::Item, "#initial_rough_ip", ""},  // 86
    {"Constant Value for Param X Weights", " 1 ", EntryKind::Item, "#x_rough_weight", ""},  // 87
    {"Constant Value for Param Y Weights", " 1 ", EntryKind::Item, "#y_rough_weight", ""},  // 88
    {"Constant Value for Param Z Weights", " 0.1", EntryKind::Item, "#z_rough_weight", ""},  // 89
    {"Noise", "Noise", EntryKind::Section, "", ""},  // 90
    {"Rho Data Percent Errors (%)", " 5 ", EntryKind::Item, "#res_noise_percent", ""},  // 91
    {"Rho Data Constant Error Term", " 0.0001 ", EntryKind::Item, "#res_noise_constant", ""},  // 92
    {"IP Data Percent Errors (%)", " 5 ", EntryKind::Item, "#ip_noise_percent", ""},  // 93
    {"IP Data Constant Error Term", " 1 ", EntryKind::Item, "#ip_noise_constant", ""},  // 94
    {"Use robust inversion (data errors reweight): 1; No: 2", " 1 ", EntryKind::Item, "#use_robust_inv", ""},  // 95
    {"Number of reweight iterations-Rho", " 3 ", EntryKind::Item, "#reweight_iterations_rho", ""},  // 96
    {"Number of reweight iterations-IP", " 3 ", EntryKind::Item, "#reweight_iterations_ip", ""},  // 97
    {"Global parameters", "Global parameters", EntryKind::Section, "", ""},  // 98
    {"Plot bounds: -X +X -Y +Y [-Z +Z] or [Depth of inv]", "0.0 10.0 0.0 10.0 -5.0 0.0", EntryKind::Item, "#plot_bounds", ""},  // 99
    {"Save inverted model for each iteration (Yes: 1; No: 2)", " 1 ", EntryKind::Item, "#save_iterations", ""},  // 100
    {"Export full mesh for each iteration (Yes: 1; No: 2)", " 2 ", EntryKind::Item, "#save_full_mesh", ""},  // 101
    {"Number of CPU threads", " 1 ", EntryKind::Item, "#pc_num_core", ""},  // 102
    // Entries added after the original catalogue go last, so that every
    // earlier entry keeps its number.
    {"Rho Data Potential Error (% of each pole term)", " 0 ", EntryKind::Item, "#res_noise_potential", ""},  // 103
    {"Geometric Factor Limit |K| (m)", " 5000 ", EntryKind::Item, "#k_limit", ""},  // 104
    {"Inversion starts from the data's median Rho and IP (Yes: 1; No, the background values: 2)", " 1 ",
     EntryKind::Item, "#start_from_data", ""},  // 105
    {"Leave IP data below 0 or above the highest apparent IP out of the IP inversion (Yes: 1; No: 2)", " 1 ",
     EntryKind::Item, "#ip_leave_out_range", ""},  // 106
    {"Highest apparent IP inverted (in the IP unit, at most 1 as a fraction)", " 1000 ", EntryKind::Item,
     "#ip_max_apparent", ""},  // 107
    {"Least primary voltage of IP data inverted (mV, with currents in the file; 0: no limit)", " 5 ",
     EntryKind::Item, "#ip_min_voltage", ""},  // 108
    {"Depth of investigation: two more inversions with reference models 5 times above and below (Yes: 1; No: 2)",
     " 2 ", EntryKind::Item, "#doi_index", ""},  // 109
    {"Halve the elements within N of an electrode next to an anomaly's side (N; 0: no)", " 4 ",
     EntryKind::Item, "#refine_near_anomalies", ""},  // 110
}};
}  // namespace

const std::array<CatalogueEntry, kCatalogueSize>& ItemCatalogue() { return kCatalogue; }

const CatalogueEntry& catalogueEntry(Item item) { return kCatalogue[static_cast<std::size_t>(item)]; }

std::string_view description(Item item) { return catalogueEntry(item).description; }

}  // namespace vexora
