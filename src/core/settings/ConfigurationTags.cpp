#include "core/settings/ConfigurationTags.h"

#include <cmath>
#include <unordered_map>
#include <unordered_set>

namespace vexora::configuration {

std::string_view rulePrefix(Rule rule)
{
    switch (rule) {
    case Rule::None: return {};
    case Rule::Positive: return "Only positive values allowed for ";
    case Rule::PositiveOrNotUsed: return "Only positive (or -1 if not used) values allowed for ";
    case Rule::PlusMinusOne: return "Only +/-1 values allowed for ";
    case Rule::GreaterThanZero: return "Only >0 values allowed for ";
    case Rule::AtLeastZero: return "Only >=0 values allowed for ";
    case Rule::Omega: return "Only >0 and <2 values allowed for ";
    case Rule::PositiveBelowOne: return "Only positive and <1 values allowed for ";
    case Rule::OneOrTwo: return "Only 1 or 2 value allowed for ";
    case Rule::OneAndTwo: return "Only 1 and 2 values allowed for ";
    }
    return {};
}

bool rejects(Rule rule, double v, bool inList)
{
    switch (rule) {
    case Rule::None: return false;
    case Rule::Positive: return inList ? v < 0 : v <= 0;
    case Rule::PositiveOrNotUsed: return v < -1 || v == 0;
    case Rule::PlusMinusOne: return std::fabs(v) != 1;
    case Rule::GreaterThanZero: return v <= 0;
    case Rule::AtLeastZero: return v < 0;
    case Rule::Omega: return v < 0 || v > 2;
    case Rule::PositiveBelowOne: return v <= 0 || v >= 1;
    case Rule::OneOrTwo:
    case Rule::OneAndTwo: return v != 1 && v != 2;
    }
    return false;
}

std::string rejectionMessage(std::string_view prefix, std::string_view tag)
{
    std::string text(prefix);
    text += tag;
    text += " setting.";
    return text;
}

namespace {

using Table = std::unordered_map<std::string_view, TagSpec>;

TagSpec marker(BlockMark mark = BlockMark::None) { return {.kind = TagKind::Marker, .mark = mark}; }
TagSpec ignored() { return {.kind = TagKind::Ignored}; }
TagSpec electrode(Column ElectrodeFormat::*field, Rule rule)
{
    return {.kind = TagKind::ElectrodeColumn, .rule = rule, .electrodeField = field};
}
TagSpec data(Column DataFormat::*field, Rule rule = Rule::PositiveOrNotUsed)
{
    return {.kind = TagKind::DataColumn, .rule = rule, .dataField = field};
}
TagSpec dataList(std::vector<Column> DataFormat::*list)
{
    return {.kind = TagKind::DataColumnList, .rule = Rule::PositiveOrNotUsed, .dataList = list};
}
TagSpec topography(Column TopographyFormat::*field)
{
    return {.kind = TagKind::TopographyColumn, .rule = Rule::Positive, .topographyField = field};
}
TagSpec single(Item item, Rule rule, Stored stored)
{
    return {.kind = TagKind::Single, .rule = rule, .item = item, .stored = stored};
}
TagSpec of(TagKind kind, Item item, Rule rule = Rule::None) { return {.kind = kind, .rule = rule, .item = item}; }

Table buildTable()
{
    Table t;
    for (std::string_view m : {"#vexora+_solver", "#vexora_solver", "#vexora+", "#vexora_rur", "#vexora_2_rur",
                               "#quad_conv_start", "#quad_conv_end", "#mesh_node_start", "#mesh_node_end",
                               "#model_start", "#model_end"})
        t[m] = marker();
    t["#elec_start"] = marker(BlockMark::ElectrodeStart);
    t["#elec_end"] = marker(BlockMark::ElectrodeEnd);
    t["#data_start"] = marker(BlockMark::DataStart);
    t["#data_end"] = marker(BlockMark::DataEnd);
    t["#topo_start"] = marker(BlockMark::TopographyStart);
    t["#topo_end"] = marker(BlockMark::TopographyEnd);

    for (std::string_view i :
         {"#vexora+_2_rur", "#version_number", "#date", "#elec_cable_id_col", "#elec_count", "#elec_tx_col",
          "#elec_rx_col", "#elec_skip_col", "#elec_roll_col", "#data_count", "#data_quad_x_col", "#data_quad_y_col",
          "#data_quad_z_col", "#data_geom_fact_col", "#topo_id", "#topo_count", "#layer_x_col", "#layer_y_col",
          "#layer_z_col", "#layer_ref", "#mesh_node_x_size", "#mesh_node_y_size", "#mesh_node_z_size",
          "#mesh_node_x_col", "#mesh_node_y_col", "#mesh_node_z_col", "#mesh_node_type_col", "#model_res_col",
          "#model_ip_col", "#model_sensitivity_col", "#pads_z_max"})
        t[i] = ignored();

    const Rule P = Rule::Positive, PN = Rule::PositiveOrNotUsed, G0 = Rule::GreaterThanZero,
               GE = Rule::AtLeastZero, F1 = Rule::PositiveBelowOne, Y1 = Rule::OneOrTwo, Y2 = Rule::OneAndTwo;

    t["#elec_no_cable"] = electrode(&ElectrodeFormat::cableFlag, Rule::PlusMinusOne);
    t["#elec_cable_col"] = electrode(&ElectrodeFormat::cableColumn, PN);
    t["#elec_id_col"] = electrode(&ElectrodeFormat::idColumn, P);
    t["#elec_x_col"] = electrode(&ElectrodeFormat::xColumn, P);
    t["#elec_y_col"] = electrode(&ElectrodeFormat::yColumn, P);
    t["#elec_z_col"] = electrode(&ElectrodeFormat::zColumn, P);
    t["#elec_elev_col"] = electrode(&ElectrodeFormat::elevationColumn, PN);
    t["#elec_type_col"] = electrode(&ElectrodeFormat::typeColumn, PN);

    t["#data_id_col"] = data(&DataFormat::idColumn);
    t["#data_a_cable_col"] = data(&DataFormat::aCableColumn);
    t["#data_b_cable_col"] = data(&DataFormat::bCableColumn);
    t["#data_m_cable_col"] = data(&DataFormat::mCableColumn);
    t["#data_n_cable_col"] = data(&DataFormat::nCableColumn);
    t["#data_a_elec_col"] = data(&DataFormat::aElectrodeColumn, P);
    t["#data_b_elec_col"] = data(&DataFormat::bElectrodeColumn, P);
    t["#data_m_elec_col"] = data(&DataFormat::mElectrodeColumn, P);
    t["#data_n_elec_col"] = data(&DataFormat::nElectrodeColumn, P);
    t["#data_res_col"] = data(&DataFormat::resistivityColumn);
    t["#data_ip_wind_col"] = dataList(&DataFormat::ipWindowColumns);
    t["#data_i_curr_col"] = data(&DataFormat::currentColumn);
    t["#data_skip_col"] = data(&DataFormat::skipColumn);
    t["#data_std_res_col"] = data(&DataFormat::resistivityStdColumn);
    t["#data_std_ip_col"] = dataList(&DataFormat::ipStdColumns);
    t["#data_calc_res_col"] = data(&DataFormat::calcResistivityColumn);
    t["#data_calc_ip_col"] = data(&DataFormat::calcIpColumn);
    t["#data_calc_std_res_col"] = data(&DataFormat::calcResistivityStdColumn);
    t["#data_calc_std_ip_col"] = data(&DataFormat::calcIpStdColumn);
    t["#data_appres"] = {.kind = TagKind::DataKind, .rule = Y2};
    t["#data_ip_scale"] = {.kind = TagKind::IpScale, .rule = G0};
    t["#topo_x_col"] = topography(&TopographyFormat::xColumn);
    t["#topo_y_col"] = topography(&TopographyFormat::yColumn);
    t["#topo_z_col"] = topography(&TopographyFormat::zColumn);

    t["#mesh_type"] = of(TagKind::Choice, Item::MeshType);
    t["#resistivity_model_type"] = of(TagKind::Choice, Item::ResistivityModelType);
    t["#ip_model_type"] = of(TagKind::Choice, Item::IpModelType);

    using S = Stored;
    t["#dim_grid_x"] = single(Item::GridSizeX, P, S::Token);
    t["#dim_grid_y"] = single(Item::GridSizeY, P, S::Token);
    t["#dim_grid_z"] = single(Item::GridSizeZ, P, S::Token);
    t["#foreground_x_min"] = single(Item::ForegroundXMin, Rule::None, S::Token);
    t["#foreground_x_max"] = single(Item::ForegroundXMax, Rule::None, S::Token);
    t["#foreground_y_min"] = single(Item::ForegroundYMin, Rule::None, S::Token);
    t["#foreground_y_max"] = single(Item::ForegroundYMax, Rule::None, S::Token);
    t["#foreground_z_min"] = single(Item::ForegroundZMin, Rule::None, S::Token);
    t["#foreground_z_max"] = single(Item::ForegroundZMax, Rule::None, S::Token);
    t["#pads_x_max"] = of(TagKind::List, Item::PadsXMax, P);
    t["#pads_x_min"] = of(TagKind::List, Item::PadsXMin, P);
    t["#pads_y_min"] = of(TagKind::List, Item::PadsYMin, P);
    t["#pads_y_max"] = of(TagKind::List, Item::PadsYMax, P);
    t["#pads_z_min"] = of(TagKind::List, Item::PadsZMin, P);
    t["#flat_grid"] = single(Item::FlatTerrain, Y2, S::Value);
    t["#use_elec_in_topography"] = single(Item::AddElectrodesToTopography, Y2, S::Value);
    t["#update_z_surface_electrodes"] = single(Item::UpdateSurfaceElectrodeElevation, Y2, S::Value);
    t["#flat_z_bottom"] = single(Item::FlatZBottom, Y2, S::Value);
    t["#depth_of_investigation"] = single(Item::DepthOfInvestigation, P, S::Token);
    t["#adapt_grid_to_electrodes"] = single(Item::AdaptGridToElectrodes, Y2, S::Value);
    t["#background_res"] = single(Item::BackgroundResistivity, P, S::Token);
    t["#res_anomaly"] = of(TagKind::ResistivityAnomaly, Item::ResistivityAnomalyCount);
    t["#background_ip"] = single(Item::BackgroundIp, GE, S::Token);
    t["#ip_anomaly"] = of(TagKind::IpAnomaly, Item::IpAnomalyCount);
    t["#add_anomalies_to_flat_grid"] = single(Item::AddAnomaliesToFlatGrid, Y2, S::Value);
    t["#boundary_conds"] = of(TagKind::BoundaryConditions, Item::BoundaryConditions);
    t["#forw_ssor_omega"] = single(Item::SsorOmega, Rule::Omega, S::Token);
    t["#forw_tolerance"] = single(Item::ForwardTolerance, G0, S::Number);
    t["#forw_max_iterations"] = single(Item::ForwardMaxIterations, G0, S::Integer);
    t["#skip_tx_electrodes_with_no_rx"] = single(Item::SkipTxWithoutRx, Y1, S::Value);
    t["#model_ip"] = single(Item::ModelIp, Y1, S::Token);
    t["#simple_inversion"] = of(TagKind::SimpleInversion, Item::RoughnessTrials, Y1);
    t["#rough_trials_iter"] = of(TagKind::List, Item::RoughnessTrials, P);
    t["#constrain_to_starting"] = single(Item::SmoothnessConstraint, Y1, S::Value);
    t["#constrain_to_ref"] = single(Item::ConstrainToReference, Y1, S::Value);
    t["#max_num_iterations_rho"] = single(Item::MaxIterationsRho, GE, S::Integer);
    t["#max_num_iterations_ip"] = single(Item::MaxIterationsIp, GE, S::Integer);
    t["#max_internal_pcg_rho"] = single(Item::MaxPcgRho, G0, S::Integer);
    t["#max_internal_pcg_ip"] = single(Item::MaxPcgIp, G0, S::Integer);
    t["#inv_pcg_tolerance_rho"] = single(Item::PcgToleranceRho, G0, S::Number);
    t["#inv_pcg_tolerance_ip"] = single(Item::PcgToleranceIp, G0, S::Number);
    t["#optimal_rough_factor_rho"] = single(Item::OptimalRoughFactorRho, F1, S::Number);
    t["#optimal_rough_factor_ip"] = single(Item::OptimalRoughFactorIp, F1, S::Number);
    t["#rough_multiplier_rho"] = single(Item::RoughMultiplierRho, G0, S::Number);
    t["#rough_multiplier_ip"] = single(Item::RoughMultiplierIp, G0, S::Number);
    t["#initial_rough_rho"] = single(Item::InitialRoughRho, G0, S::Number);
    t["#initial_rough_ip"] = single(Item::InitialRoughIp, G0, S::Number);
    t["#x_rough_weight"] = single(Item::XRoughWeight, G0, S::Number);
    t["#y_rough_weight"] = single(Item::YRoughWeight, G0, S::Number);
    t["#z_rough_weight"] = single(Item::ZRoughWeight, G0, S::Number);
    t["#res_noise_percent"] = single(Item::ResNoisePercent, G0, S::Number);
    t["#res_noise_constant"] = single(Item::ResNoiseConstant, Rule::None, S::Number);
    t["#ip_noise_percent"] = single(Item::IpNoisePercent, G0, S::Number);
    t["#ip_noise_constant"] = single(Item::IpNoiseConstant, Rule::None, S::Number);
    t["#res_noise_potential"] = single(Item::ResNoisePotential, GE, S::Number);
    t["#k_limit"] = single(Item::GeometricFactorLimit, G0, S::Number);
    t["#use_robust_inv"] = single(Item::UseRobustInversion, Y1, S::Value);
    t["#reweight_iterations_rho"] = single(Item::ReweightIterationsRho, G0, S::Integer);
    t["#reweight_iterations_ip"] = single(Item::ReweightIterationsIp, G0, S::Integer);
    t["#plot_bounds"] = of(TagKind::PlotBounds, Item::PlotBounds);
    t["#save_iterations"] = single(Item::SaveIterations, Y1, S::Value);
    t["#save_full_mesh"] = single(Item::SaveFullMesh, Y1, S::Value);
    t["#pc_num_core"] = single(Item::CpuThreads, P, S::Token);
    t["#start_from_data"] = single(Item::StartFromData, Y1, S::Value);
    t["#ip_leave_out_range"] = single(Item::LeaveOutOfRangeIp, Y1, S::Value);
    t["#ip_max_apparent"] = single(Item::HighestApparentIp, G0, S::Number);
    t["#ip_min_voltage"] = single(Item::LeastIpVoltage, GE, S::Number);
    t["#doi_index"] = single(Item::DoiIndex, Y1, S::Value);
    t["#refine_near_anomalies"] = single(Item::RefineNearAnomalies, GE, S::Integer);
    return t;
}

}  // namespace

const TagSpec* findTag(std::string_view lowerTag)
{
    static const Table table = buildTable();
    auto it = table.find(lowerTag);
    return it == table.end() ? nullptr : &it->second;
}

bool isSequenceHeaderTag(std::string_view lowerTag)
{
    static const std::unordered_set<std::string_view> tags = {
        "#ss",      "#st",      "#sf",      "#sj",     "#sp",     "#tfrequ",  "#ffrequ",  "#tstcks", "#fstcks",
        "#trdely",  "#tlngtr",  "#tipdly",  "#tchrg",  "#iversion", "#idate", "#ititle",  "#iinfo",  "#sname",
        "#sgdflt",  "#sr50hz",  "#shinse",  "#saprs",  "#smuxn",  "#scltsp",  "#hmxvlt",  "#xcurmx", "#xpowmx",
        "#xvtrgt",  "#xitrgt",  "#xbtvmn",  "#xtmpmx", "#xlrres", "#xupres",  "#dfrequ",  "#dlenwn", "#dwavwn",
        "#dnbwvs",  "#dkptrg",  "#fnmsqr",  "#frms",   "#fanphs", "#chighf",  "#clowf",   "#pperiod", "#sxcale",
        "#soffset", "#xmxvlt",  "#tnresonly", "#sbtwnrd"};
    return lowerTag.substr(0, 3) == "#tw" || tags.contains(lowerTag);
}

}  // namespace vexora::configuration
