// Configuration reading speed per tag line, for a short and a long text. The
// reader should be linear: the time per line of the long text should stay
// close to that of the short one (anomaly rows grow the table as it reads).

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/settings/Configuration.h"

namespace {

using namespace vexora;

// A realistic cycle of 50 tag lines: layouts, mesh, model with two
// anomalies, solver and inversion settings, a few ignored tags.
std::string generateConfiguration(int lines)
{
    const std::vector<std::string> cycle = {
        "#elec_no_cable= 1",          "#elec_cable_col= 1",          "#elec_id_col= 2",
        "#elec_x_col= 3",             "#elec_y_col= 4",              "#elec_z_col= 5",
        "#elec_elev_col= -1",         "#elec_type_col= 6",           "#data_id_col= 1",
        "#data_a_cable_col= 2",       "#data_a_elec_col= 3",         "#data_b_cable_col= 4",
        "#data_b_elec_col= 5",        "#data_m_cable_col= 6",        "#data_m_elec_col= 7",
        "#data_n_cable_col= 8",       "#data_n_elec_col= 9",         "#data_res_col= 10",
        "#data_ip_wind_col= 11 12 13", "#data_std_ip_col= 14 15 16", "#data_appres= 1",
        "#data_ip_scale= 1000",       "#topo_x_col= 1",              "#topo_y_col= 2",
        "#topo_z_col= 3",             "#mesh_type= 0-Standard",      "#dim_grid_x= 0.5",
        "#foreground_x_max= 24.5",    "#foreground_Z_max= 0.0",      "#pads_x_max= 1 2 4 8 16 24 32 40 48 56 64",
        "#flat_grid= 1",              "#background_res= 120.5",      "#res_anomaly= 1 2 1 2 -3 -1 500 0.5",
        "#ip_anomaly= 1 2 1 2 -3 -1 0.05", "#boundary_conds= 1 1 1 1 2", "#forw_ssor_omega= 1.6",
        "#forw_tolerance= 1e-7",      "#forw_max_iterations= 400",   "#simple_inversion= 1",
        "#max_num_iterations_rho= 15", "#inv_pcg_tolerance_rho= 0.001", "#optimal_rough_factor_rho= 0.9",
        "#x_rough_weight= 1",         "#res_noise_percent= 5",       "#ip_noise_constant= 0.00001",
        "#use_robust_inv= 1",         "#plot_bounds= 0 24.5 0 10 -5 0", "#save_iterations= 1",
        "#version_number= 1.2.0",     "#pc_num_core= 4"};
    std::string text = "#Vexora+_Solver\r\n";
    for (int i = 1; i < lines; ++i) {
        text += cycle[static_cast<std::size_t>(i) % cycle.size()];
        text += "\r\n";
    }
    return text;
}

void readConfiguration(benchmark::State& state)
{
    const int lines = static_cast<int>(state.range(0));
    const std::string text = generateConfiguration(lines);
    const SettingsTable fresh = defaultSettingsTable();
    for (auto _ : state) {
        SettingsTable table = fresh;
        BlockBounds electrodeBlock, dataBlock, topographyBlock;
        ElectrodeFormat electrodeFormat;
        DataFormat dataFormat;
        TopographyFormat topographyFormat;
        SequenceHeader sequenceHeader;
        MessageLog log;
        const ConfigurationStatus result = funLoadConfiguration(text, electrodeBlock, dataBlock, topographyBlock,
                                                                electrodeFormat, dataFormat, topographyFormat,
                                                                sequenceHeader, table, log);
        benchmark::DoNotOptimize(result);
        benchmark::DoNotOptimize(table.rows.data());
    }
    // Seconds per tag line (shown with an SI prefix, e.g. "150n").
    state.counters["per_line"] = benchmark::Counter(static_cast<double>(lines),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}

BENCHMARK(readConfiguration)->Arg(2000)->Arg(20000)->Unit(benchmark::kMicrosecond);

}  // namespace
