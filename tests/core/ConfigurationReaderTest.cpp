#include <gtest/gtest.h>

#include <random>

#include "core/io/TextFile.h"
#include "core/settings/Configuration.h"

using namespace vexora;

namespace {

// One read into a fresh table and fresh records, as a workspace does.
struct Read {
    SettingsTable table = defaultSettingsTable();
    BlockBounds electrodeBlock, dataBlock, topographyBlock;
    ElectrodeFormat electrode;
    DataFormat data;
    TopographyFormat topography;
    SequenceHeader sequence;
    MessageLog log{[] { return std::string("T"); }};

    ConfigurationStatus operator()(std::string text)
    {
        (void)funRemoveComments(text);  // always Ok
        return funLoadConfiguration(text, electrodeBlock, dataBlock, topographyBlock, electrode, data, topography,
                                    sequence, table, log);
    }
    // "Warning: source: text" of each log entry.
    std::vector<std::string> messages() const
    {
        std::vector<std::string> out;
        const std::string all = log.plainText();
        for (std::size_t at = 0; (at = all.find("T\r\n", at)) != std::string::npos;) {
            const std::size_t end = all.find("\r\n\r\n", at);
            out.push_back(all.substr(at + 3, end - at - 3));
            at = end;
        }
        return out;
    }
    std::string text(Item item) const { return std::string(settingText(table, item)); }
};

std::string warning(std::string_view text) { return "Warning: funLoadConfiguration: " + std::string(text); }

std::string lines(std::initializer_list<std::string_view> tagLines)
{
    std::string text;
    for (std::string_view l : tagLines) (text += l) += "\r\n";
    return text;
}

const std::string kElectrodeTags = lines({"#elec_no_cable= 1", "#elec_cable_col= 1", "#elec_id_col= 2",
                                          "#elec_x_col= 3", "#elec_y_col= 4", "#elec_z_col= 5"});
const std::string kDataTags = lines({"#data_a_cable_col= -1", "#data_a_elec_col= 2", "#data_b_cable_col= -1",
                                     "#data_b_elec_col= 3", "#data_m_cable_col= -1", "#data_m_elec_col= 4",
                                     "#data_n_cable_col= -1", "#data_n_elec_col= 5", "#data_res_col= 6",
                                     "#data_appres= 2"});

}  // namespace

TEST(ConfigurationReader, RejectedValuesLeaveTheTableAndGiveTheirMessage)
{
    const std::pair<const char*, std::vector<const char*>> cases[] = {
        {"#elec_x_col= 0", {"Only positive values allowed for #elec_x_col setting."}},
        {"#ELEC_X_COL, -1", {"Only positive values allowed for #elec_x_col setting."}},
        {"#elec_x_col= 0.9", {"Only positive values allowed for #elec_x_col setting."}},
        {"#dim_grid_x= 0", {"Only positive values allowed for #dim_grid_x setting."}},
        {"#pads_x_max= 1 2 -4 8", {"Only positive values allowed for #pads_x_max setting."}},
        {"#rough_trials_iter= -1", {"Only positive values allowed for #rough_trials_iter setting."}},
        {"#elec_cable_col= -2", {"Only positive (or -1 if not used) values allowed for #elec_cable_col setting."}},
        {"#data_res_col= 0", {"Only positive (or -1 if not used) values allowed for #data_res_col setting."}},
        {"#data_ip_wind_col= 0 5", {"Only positive (or -1 if not used) values allowed for #data_ip_wind_col setting."}},
        {"#data_std_ip_col= -3 5", {"Only positive (or -1 if not used) values allowed for #data_std_ip_col setting."}},
        {"#elec_no_cable= 2", {"Only +/-1 values allowed for #elec_no_cable setting."}},
        {"#forw_tolerance= 0", {"Only >0 values allowed for #forw_tolerance setting."}},
        {"#data_ip_scale= 0", {"Only >0 values allowed for #data_ip_scale setting."}},
        {"#data_ip_scale= -5", {"Only >0 values allowed for #data_ip_scale setting."}},
        {"#background_ip= -0.1", {"Only >=0 values allowed for #background_ip setting."}},
        {"#max_num_iterations_rho= -1", {"Only >=0 values allowed for #max_num_iterations_rho setting."}},
        {"#res_noise_potential= -0.1", {"Only >=0 values allowed for #res_noise_potential setting."}},
        {"#k_limit= 0", {"Only >0 values allowed for #k_limit setting."}},
        {"#start_from_data= 0", {"Only 1 or 2 value allowed for #start_from_data setting."}},
        {"#ip_leave_out_range= 3", {"Only 1 or 2 value allowed for #ip_leave_out_range setting."}},
        {"#doi_index= 0", {"Only 1 or 2 value allowed for #doi_index setting."}},
        {"#ip_max_apparent= 0", {"Only >0 values allowed for #ip_max_apparent setting."}},
        {"#forw_ssor_omega= 2.1", {"Only >0 and <2 values allowed for #forw_ssor_omega setting."}},
        {"#optimal_rough_factor_rho= 1", {"Only positive and <1 values allowed for #optimal_rough_factor_rho setting."}},
        {"#save_iterations= 3", {"Only 1 or 2 value allowed for #save_iterations setting."}},
        {"#simple_inversion= 0", {"Only 1 or 2 value allowed for #simple_inversion setting."}},
        {"#model_ip= 1.5", {"Only 1 or 2 value allowed for #model_ip setting."}},
        {"#flat_grid= 0", {"Only 1 and 2 values allowed for #flat_grid setting."}},
        {"#data_appres= 3", {"Only 1 and 2 values allowed for #data_appres setting."}},
        {"#boundary_conds= 1 1 3 1 1", {"Only 0,1 and 2 values allowed for #boundary_conds setting."}},
        {"#res_anomaly= 2 1 0 1 0 1 100", {"Bad limits or negative anomaly for #res_anomaly setting."}},
        {"#res_anomaly= 0 1 0 1 0 1 0", {"Bad limits or negative anomaly for #res_anomaly setting."}},
        {"#ip_anomaly= 0 1 0 1 0 1 -0.1", {"Bad limits or negative anomaly for #ip_anomaly setting."}},
        {"#res_anomaly= 0 1 0 1 0 1 100 0", {"Bad limits or negative Radius for #res_anomaly setting."}},
        {"#res_anomaly= 0 1 1 0 0 1 100 2",
         {"Bad limits or negative anomaly for #res_anomaly setting.", "Bad limits or negative Radius for #res_anomaly setting."}},
        {"#boundary_conds= 1 1 1 1", {"Not enough arguments for #boundary_conds setting."}},
        {"#res_anomaly= 0 1 0 1 0 1", {"Not enough arguments for #res_anomaly setting."}},
        {"#ip_anomaly= 1 2 3", {"Not enough arguments for #ip_anomaly setting."}},
        {"#plot_bounds= 0 10 5 1 -5 0", {"Bad limits for #plot_bounds setting."}},
        {"#plot_bounds= 0 10 0 10 -5 -6", {"Bad limits for #plot_bounds setting."}},
        {"#plot_bounds= 0 10 0 10", {"Invalid number of arguments #plot_bounds setting."}},
        {"#mesh_node_x_size", {"No numeric value specified for TAG: #mesh_node_x_size"}},
        {"#Elec_X_Col=", {"No numeric value specified for TAG: #elec_x_col"}},
        {"#mesh_type", {"No numeric value specified for TAG: #mesh_type"}},
        {"#foo_bar= 1 2", {"Warning: unrecognized configuration tag: #foo_bar= 1 2"}},
        {"#Foo", {"No numeric value specified for TAG: #foo"}},
    };
    for (const auto& [line, expected] : cases) {
        Read read;
        ASSERT_EQ(read(std::string(line) + "\r\n"), ConfigurationStatus::Read) << line;
        std::vector<std::string> want;
        for (const char* m : expected) want.push_back(warning(m));
        EXPECT_EQ(read.messages(), want) << line;
        EXPECT_EQ(read.table, defaultSettingsTable()) << line;
    }
}

TEST(ConfigurationReader, AcceptedValuesAreStoredInTheirForm)
{
    const std::tuple<const char*, Item, const char*> cases[] = {
        {"#dim_grid_x= 0.50", Item::GridSizeX, "0.50"},
        {"#DIM_GRID_Y = 2", Item::GridSizeY, "2"},
        {"#foreground_x_min= -3.25", Item::ForegroundXMin, "-3.25"},
        {"#foreground_Z_max= 1.5", Item::ForegroundZMax, "1.5"},
        {"#forw_tolerance= 1.0E-5", Item::ForwardTolerance, "1e-05"},
        {"#forw_max_iterations= 250.9", Item::ForwardMaxIterations, "250"},
        {"#max_num_iterations_rho= 0", Item::MaxIterationsRho, "0"},
        {"#flat_grid= 2.0", Item::FlatTerrain, "2"},
        {"#forw_ssor_omega= 2", Item::SsorOmega, "2"},
        {"#forw_ssor_omega= 0", Item::SsorOmega, "0"},
        {"#forw_ssor_omega= 1.6", Item::SsorOmega, "1.6"},
        {"#background_ip= 0", Item::BackgroundIp, "0"},
        {"#pads_x_max= 1, 2,4 0", Item::PadsXMax, " 1 2 4 0"},
        {"#rough_trials_iter= 3 2 1", Item::RoughnessTrials, " 3 2 1"},
        {"#simple_inversion= 1", Item::RoughnessTrials, "4 1 "},
        {"#simple_inversion= 2", Item::RoughnessTrials, "4"},
        {"#boundary_conds= 0 1 2 1 0", Item::BoundaryConditions, " 0 1 2 1 0"},
        {"#mesh_type= 1-User-defined", Item::MeshType, " 1-User-defined"},
        {"#ip_model_type=1-Imported ", Item::IpModelType, "1-Imported "},
        {"#plot_bounds= 0.0 10.0 -2 3.50 -5 0 9", Item::PlotBounds, " 0 10.0 -2 3.50 -5 0"},
        {"#plot_bounds= 0 10 0 10 7.50", Item::PlotBounds, " 0 10 0 10 7.5"},
        {"#model_ip= 1", Item::ModelIp, "1"},
        {"#res_noise_constant= -1", Item::ResNoiseConstant, "-1"},
        {"#z_rough_weight= 0.25", Item::ZRoughWeight, "0.25"},
        {"#pc_num_core= 8", Item::CpuThreads, "8"},
        {"12 13 #dim_grid_z= 3", Item::GridSizeZ, "3"},
        {"#mesh_node_x_size= 5", Item::GridSizeX, " 0.5 "},
        {"#elec_x_col= 2.9\r\n#elec_no_cable= -1\r\n#elec_cable_col= -1\r\n#elec_id_col= 1\r\n#elec_y_col= 3\r\n"
         "#elec_z_col= 4", Item::XColumn, "2"},
        {"#data_ip_scale= 0.5", Item::IpScale, " 1000.0 "},  // the data layout is not given: the table's stays
    };
    for (const auto& [line, item, expected] : cases) {
        Read read;
        ASSERT_EQ(read(std::string(line) + "\r\n"), ConfigurationStatus::Read) << line;
        EXPECT_EQ(read.text(item), expected) << line;
        if (item != Item::XColumn) {
            EXPECT_TRUE(read.messages().empty()) << line;
        }
    }
}

TEST(ConfigurationReader, AnomaliesFollowTheirCountsInFileOrder)
{
    Read read;
    ASSERT_EQ(read(lines({"#res_anomaly= 0 1.0 2 3 -4 -1 50", "#ip_anomaly= 0.50 1 0 1 -1 0 0",
                          "#res_anomaly= 5 6 5 6 -2 -2 500 1.5"})),
              ConfigurationStatus::Read);
    const std::size_t count = *FindSettingRow(read.table, Item::ResistivityAnomalyCount);
    EXPECT_EQ(read.table.rows[count].value, " 2 ");
    EXPECT_EQ(read.table.rows[count + 1].value, " 0 1.0 2 3 -4 -1 50");
    EXPECT_EQ(read.table.rows[count + 2].value, " 5 6 5 6 -2 -2 500 1.5");
    EXPECT_EQ(read.table.rows[count + 2].description, description(Item::ResistivityAnomaly));
    EXPECT_EQ(read.table.rows[count + 3].description, description(Item::IpModelType));
    const std::size_t ipCount = *FindSettingRow(read.table, Item::IpAnomalyCount);
    EXPECT_EQ(read.table.rows[ipCount].value, " 1 ");
    EXPECT_EQ(read.table.rows[ipCount + 1].value, " 0.5 1 0 1 -1 0 0");
    EXPECT_EQ(read.table.rows.size(), 112u);

    // A second read appends below the anomalies already there.
    ASSERT_EQ(read(lines({"#res_anomaly= 7 8 7 8 -1 0 9"})), ConfigurationStatus::Read);
    EXPECT_EQ(read.table.rows[count].value, " 3 ");
    EXPECT_EQ(read.table.rows[count + 3].value, " 7 8 7 8 -1 0 9");
}

TEST(ConfigurationReader, SequenceHeaderTagsNeedNoValue)
{
    Read read;
    ASSERT_EQ(read(lines({"#ST", "#TFREQU= 2.5", "#tstcks= 3.5", "#trdely= 0.1", "#tlngtr= 0.2", "#tipdly= 0.3",
                          "#tchrg", "#tw1= 10", "#TW2", "#iversion", "#sbtwnrd= 1"})),
              ConfigurationStatus::Read);
    EXPECT_TRUE(read.messages().empty());
    EXPECT_EQ(read.sequence.dataKindName, "Time Domain Data");
    EXPECT_EQ(read.sequence.frequency, 2.5);
    EXPECT_EQ(read.sequence.stacks, 4);
    EXPECT_EQ(read.sequence.delay, 0.1);
    EXPECT_EQ(read.sequence.length, 0.2);
    EXPECT_EQ(read.sequence.ipDelay, 0.3);
    EXPECT_TRUE(read.sequence.chargeability);
    EXPECT_EQ(read.sequence.windowCount, 2);
    EXPECT_EQ(read.table, defaultSettingsTable());
}

TEST(ConfigurationReader, BlockBoundsCoverTheLinesBetweenMarkers)
{
    for (const char* lineEnd : {"\r\n", "\n"}) {
        auto L = [&](std::string_view l) { return std::string(l) + lineEnd; };
        const std::string text = L("#vexora+") + L("#elec_start") + L("1 1 0 0 0") + L("1 2 1 0 0") +
                                 L("  #elec_end") + L("#data_start") + L("#data_end") + L("#topo_start") + L("0 0 0");
        Read read;
        ASSERT_EQ(read(text), ConfigurationStatus::Read);
        const auto block = [&](const BlockBounds& b) { return text.substr(b.start, b.end - b.start); };
        EXPECT_EQ(block(read.electrodeBlock), L("1 1 0 0 0") + L("1 2 1 0 0"));
        EXPECT_EQ(read.dataBlock.end, read.dataBlock.start);
        EXPECT_EQ(read.topographyBlock.start, static_cast<long long>(text.size() - L("0 0 0").size()));
        EXPECT_EQ(read.topographyBlock.end, -1);
        EXPECT_TRUE(read.messages().empty());
    }
}

TEST(ConfigurationReader, CompleteLayoutsAreWrittenIntoTheTable)
{
    Read read;
    ASSERT_EQ(read(kElectrodeTags + kDataTags +
                   lines({"#elec_elev_col= 6", "#data_ip_wind_col= 11 12 13", "#data_std_ip_col= 14, 15",
                          "#data_ip_scale= 100", "#data_id_col= 1", "#topo_x_col= 2", "#topo_y_col= 1",
                          "#topo_z_col= 4"})),
              ConfigurationStatus::Read);
    EXPECT_TRUE(read.messages().empty());
    EXPECT_EQ(read.electrode.columnCount, 6);
    EXPECT_EQ(read.electrode.typeColumn, -1);
    EXPECT_EQ(read.text(Item::TerrainElevationColumn), "6");
    EXPECT_EQ(read.text(Item::ElectrodeTypeColumn), "-1");
    EXPECT_EQ(read.data.ipWindowColumns, (std::vector<Column>{11, 12, 13}));
    EXPECT_EQ(read.data.columnCount, 15);
    EXPECT_EQ(read.data.currentColumn, -1);
    EXPECT_EQ(read.text(Item::AColumns), "-1,2");
    EXPECT_EQ(read.text(Item::IpColumns), " 11 12 13");
    EXPECT_EQ(read.text(Item::IpStdColumns), " 14 15");
    EXPECT_EQ(read.text(Item::DataKind), "2");
    EXPECT_EQ(read.text(Item::IpScale), "100");
    EXPECT_EQ(read.topography.columnCount, 4);
    EXPECT_EQ(read.text(Item::TopographyXColumn), "2");
}

TEST(ConfigurationReader, IncompleteLayoutsAreRefusedWithEveryProblemReported)
{
    auto notFound = [](const char* tag) { return warning(std::string(tag) + " tag not found. Configuration table settings used."); };
    auto duplicated = [](const char* tag) {
        return warning("Duplicated input column for " + std::string(tag) + " tag. Configuration table settings used.");
    };
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {kElectrodeTags,
         {notFound("#data_a_cable_col"), notFound("#data_a_elec_col"), notFound("#data_b_cable_col"),
          notFound("#data_b_elec_col"), notFound("#data_m_cable_col"), notFound("#data_m_elec_col"),
          notFound("#data_n_cable_col"), notFound("#data_n_elec_col")}},
        {lines({"#elec_id_col= 2", "#elec_x_col= 2", "#elec_y_col= 4", "#elec_z_col= 5"}),
         {notFound("#elec_no_cable"), notFound("#elec_cable_col"), duplicated("#elec_x_col")}},
        {kElectrodeTags + lines({"#elec_type_col= 4"}) + kDataTags, {duplicated("#elec_type_col")}},
        {kElectrodeTags + kDataTags + lines({"#data_i_curr_col= 6", "#data_ip_wind_col= 7 3"}),
         {duplicated("#data_ip_wind_col"), duplicated("#data_i_curr_col"), notFound("#data_ip_scale")}},
        {kElectrodeTags + lines({"#data_res_col= 6", "#data_ip_wind_col= 7"}),
         {notFound("#data_a_cable_col"), notFound("#data_a_elec_col"), notFound("#data_b_cable_col"),
          notFound("#data_b_elec_col"), notFound("#data_m_cable_col"), notFound("#data_m_elec_col"),
          notFound("#data_n_cable_col"), notFound("#data_n_elec_col"), notFound("#data_appres"),
          notFound("#data_ip_scale")}},
        {lines({"#topo_x_col= 1", "#topo_y_col= 1"}), {duplicated("#topo_y_col"), notFound("#topo_z_col")}},
    };
    for (const auto& [text, expected] : cases) {
        Read read;
        ASSERT_EQ(read(text), ConfigurationStatus::Read) << text;
        EXPECT_EQ(read.messages(), expected) << text;
        // A refused group comes from the table, the columns that were fine included.
        EXPECT_EQ(read.topography, (TopographyFormat{3, 1, 2, 3})) << text;
        EXPECT_EQ(read.data.aElectrodeColumn, 3) << text;
        EXPECT_EQ(read.data.ipWindowColumns, (std::vector<Column>{-1})) << text;
        EXPECT_EQ(read.electrode.xColumn, 3) << text;
        EXPECT_EQ(read.electrode.cableFlag, 1) << text;
    }
}

TEST(ConfigurationReader, FailuresChangeNothing)
{
    const std::pair<const char*, const char*> cases[] = {
        {"#data_res_col= 70000",
         "Value 70000 of #data_res_col is not a column number in the range -32768..32767; configuration not applied."},
        {"#elec_x_col= -70000",
         "Value -70000 of #elec_x_col is not a column number in the range -32768..32767; configuration not applied."},
        {"#data_std_ip_col= 5 99999",
         "Value 99999 of #data_std_ip_col is not a column number in the range -32768..32767; configuration not applied."},
        {"#forw_tolerance= 1e999", "Value 1e999 of #forw_tolerance is too large for a number; configuration not applied."},
        {"#foreground_x_min= -1e400", "Value -1e400 of #foreground_x_min is too large for a number; configuration not applied."},
        {"#forw_max_iterations= 3e9",
         "Value 3e9 of #forw_max_iterations is not an integer in the range -2147483647..2147483647; configuration not applied."},
        {"#tstcks= 40000", "Value 40000 of #tstcks is not a stack count in the range -32768..32767; configuration not applied."},
    };
    for (const auto& [bad, message] : cases) {
        Read read;
        read.table.rows[5].value = "kept";
        read.electrodeBlock = {7, 9};
        const SettingsTable tableBefore = read.table;
        const std::string text = kElectrodeTags + kDataTags + lines({"#elec_start", "#dim_grid_x= 2",
                                                                      "#res_anomaly= 0 1 0 1 0 1 5", bad});
        EXPECT_EQ(read(text), ConfigurationStatus::Failed) << bad;
        EXPECT_EQ(read.messages(), std::vector<std::string>{"Error: funLoadConfiguration: " + std::string(message)});
        EXPECT_EQ(read.table, tableBefore);
        EXPECT_EQ(read.electrode, ElectrodeFormat{});
        EXPECT_EQ(read.data, DataFormat{});
        EXPECT_EQ(read.electrodeBlock, (BlockBounds{7, 9}));
    }
    // A refused layout read back from a table item that does not fit 16 bits.
    Read read;
    setSettingText(read.table, Item::ZColumn, "40000");
    const SettingsTable tableBefore = read.table;
    EXPECT_EQ(read("#elec_x_col= 3\r\n"), ConfigurationStatus::Failed);
    EXPECT_EQ(read.messages().back(), "Error: funLoadConfiguration: Item \"Z column\" holds 40000, outside the range "
                                      "-32768..32767; configuration not applied.");
    EXPECT_EQ(read.table, tableBefore);
}

TEST(ConfigurationReader, TextsWithoutTagsAndJunkChangeNothing)
{
    for (std::string text : {std::string(), std::string("1 2 3\r\n4 5 6"), std::string("!#elec_x_col= 4")}) {
        Read read;
        read.electrodeBlock = {1, 2};
        EXPECT_EQ(read(text), ConfigurationStatus::NoTags);
        EXPECT_EQ(read.table, defaultSettingsTable());
        EXPECT_EQ(read.electrodeBlock, (BlockBounds{1, 2}));
        EXPECT_TRUE(read.messages().empty());
    }
    std::mt19937 random(7);
    std::string junk(200000, '\0');
    for (char& c : junk) c = static_cast<char>(random() % 256);
    Read read;
    EXPECT_EQ(read(junk), ConfigurationStatus::Read);
    EXPECT_EQ(read.table, defaultSettingsTable());
}

TEST(ConfigurationReader, LongLinesAndManyValues)
{
    std::string pads = "#pads_y_max=", wide = "#" + std::string(100000, 'w'), expected;
    for (int i = 0; i < 20000; ++i) {
        pads += " 2";
        expected += " 2";
    }
    Read read;
    ASSERT_EQ(read(pads + "\r\n" + wide + "= 1\r\n"), ConfigurationStatus::Read);
    EXPECT_EQ(read.text(Item::PadsYMax), expected);
    ASSERT_EQ(read.messages().size(), 1u);
    EXPECT_EQ(read.messages()[0], warning("Warning: unrecognized configuration tag: " + wide + "= 1"));

    Read huge;
    ASSERT_EQ(huge("#pads_x_min=" + std::string(1000000, '1') + "\r\n#dim_grid_x= 2\r\n"), ConfigurationStatus::Read);
    EXPECT_EQ(huge.messages(), std::vector<std::string>{warning(
                                   "Tag line of 1000012 characters ignored (at most 1000000 allowed): #pads_x_min=" +
                                   std::string(28, '1') + "...")});
    EXPECT_EQ(huge.text(Item::PadsXMin), catalogueEntry(Item::PadsXMin).defaultText);
    EXPECT_EQ(huge.text(Item::GridSizeX), "2");
}

TEST(ConfigurationReader, CommentsAndLineEndsDoNotChangeTheResult)
{
    const std::vector<std::string> tagLines = {
        "#vexora+_solver", "#elec_start", "1 1 0 0 0", "#elec_end", "#mesh_type= 1-User-defined",
        "#plot_bounds= 0 10 0 10 -5 0", "#res_anomaly= 0 1 0 1 -1 0 50"};
    auto join = [&](const std::vector<std::string>& endings, const std::string& comment) {
        std::string text = "! heading comment\r\n";
        for (std::size_t i = 0; i < tagLines.size(); ++i) text += tagLines[i] + comment + endings[i % endings.size()];
        return text;
    };
    Read reference;
    ASSERT_EQ(reference(kElectrodeTags + kDataTags + join({"\r\n"}, "")), ConfigurationStatus::Read);
    for (const auto& [endings, comment] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"\n"}, ""}, {{"\r\n", "\n"}, ""}, {{"\r"}, ""}, {{"\r\n"}, "! note #elec_x_col= 9"}, {{"\n"}, "!"}}) {
        std::string text = kElectrodeTags + kDataTags + join(endings, comment) + "! last comment, no line end";
        normaliseLoneCarriageReturns(text);
        (void)funRemoveComments(text);  // always Ok; the bounds are positions in the text without comments
        Read read;
        ASSERT_EQ(read(text), ConfigurationStatus::Read);
        EXPECT_EQ(read.table, reference.table) << text;
        EXPECT_EQ(read.electrode, reference.electrode);
        EXPECT_EQ(read.data, reference.data);
        EXPECT_EQ(read.messages(), reference.messages());
        std::string block = text.substr(read.electrodeBlock.start, read.electrodeBlock.end - read.electrodeBlock.start);
        EXPECT_EQ(block.substr(0, 9), "1 1 0 0 0");
    }
}

TEST(ConfigurationComments, RunToTheLineBreakOrTheEnd)
{
    const std::pair<const char*, const char*> cases[] = {
        {"a!b\r\nc", "a\r\nc"}, {"a!b\nc!d", "a\nc"}, {"!x\r\n!y\r\n", "\r\n\r\n"}, {"no comment", "no comment"},
        {"#t= 1 ! c ! d\r\n", "#t= 1 \r\n"}, {"!", ""}, {"a!\r", "a"},
    };
    for (const auto& [in, out] : cases) {
        std::string text = in;
        EXPECT_EQ(funRemoveComments(text), Status::Ok);
        EXPECT_EQ(text, out) << in;
    }
}
