#include <gtest/gtest.h>

#include "core/platform/ScriptedQuestions.h"
#include "core/project/EditSettingItem.h"
#include "core/settings/SettingValidation.h"

using namespace vexora;

namespace {

std::size_t rowOf(const SettingsTable& table, Item item) { return *FindSettingRow(table, item); }

// One proposed value per line: accepted text or rejection message.
struct Case {
    Item item;
    const char* proposed;
    bool accepted;
    const char* expected;  // accepted text, or the message
};

TEST(SettingValidation, EveryRuleGroupAcceptsAndRejects)
{
    const Case cases[] = {
        // one column, positive
        {Item::XColumn, "3", true, "3"},
        {Item::XColumn, "0", false, "Not a valid column number: only positive values allowed!"},
        {Item::XColumn, "-1", false, "Not a valid column number: only positive values allowed!"},
        {Item::XColumn, "2.5", false, "Not a valid column number!"},
        {Item::XColumn, "abc", false, "Not a valid column number!"},
        {Item::TopographyZColumn, "4", true, "4"},
        // one column, positive or -1
        {Item::CableColumn, "-1", true, "-1"},
        {Item::CableColumn, "-2", false, "Not a valid column number: only positive (or -1 if not used) values allowed!"},
        {Item::SkipColumn, "0", false, "Not a valid column number: only positive (or -1 if not used) values allowed!"},
        {Item::IpColumns, "11 12 13", true, "11 12 13"},
        {Item::IpColumns, "11 0", false, "Not a valid column number!"},
        // A/B/M/N: cable and electrode column
        {Item::AColumns, "2, 3", true, "2 3"},
        {Item::AColumns, "-1 3", true, "-1 3"},
        {Item::AColumns, "3", false, "Illegal number of arguments!"},
        {Item::BColumns, "4 5 6", false, "Illegal number of arguments!"},
        {Item::MColumns, "0 7", false, "Not a valid column number: only positive (or -1 if not used) values allowed!"},
        {Item::NColumns, "8 -1", false, "Not a valid column number: only positive values allowed!"},
        // positive numbers
        {Item::GridSizeX, "0.25", true, "0.25"},
        {Item::GridSizeX, "0", false, "Only positive values allowed!"},
        {Item::GridSizeX, "x", false, "Only positive values allowed!"},
        {Item::BackgroundResistivity, "1e3", true, "1000"},
        {Item::ForwardTolerance, "1.0E-8", true, "1e-08"},
        {Item::DepthOfInvestigation, "0", true, "0"},
        {Item::DepthOfInvestigation, "-1", false, "Only positive values allowed!"},
        {Item::ForwardMaxIterations, "250.7", true, "250"},
        {Item::ForwardMaxIterations, "0", false, "Only positive values allowed!"},
        {Item::CpuThreads, "-4", false, "Only positive values allowed!"},
        {Item::IpNoiseConstant, "0", false, "Only positive values allowed!"},
        {Item::ResNoisePotential, "0", true, "0"},
        {Item::ResNoisePotential, "-0.1", false, "Only positive values allowed!"},
        {Item::GeometricFactorLimit, "0", false, "Only positive values allowed!"},
        // factors below 1, omega up to 2
        {Item::OptimalRoughFactorRho, "0.5", true, "0.5"},
        {Item::OptimalRoughFactorIp, "1", false, "Only positive <1 values allowed!"},
        {Item::OptimalRoughFactorRho, "0", false, "Only positive <1 values allowed!"},
        {Item::SsorOmega, "2", true, "2"},
        {Item::SsorOmega, "0", true, "0"},
        {Item::SsorOmega, "2.5", false, "Only positive <2 values allowed!"},
        // pad lists
        {Item::PadsXMax, " 1 2  4 ", true, "1 2 4"},
        {Item::PadsZMin, "1 -2 4", false, "Only positive values allowed!"},
        // boundary codes
        {Item::BoundaryConditions, "0 1 2 1 0", true, "0 1 2 1 0"},
        {Item::BoundaryConditions, "1 1 1 1", false, "Not enough arguments!"},
        {Item::BoundaryConditions, "1 1 3 1 1", false, "Only 0, 1 and 2 values allowed!"},
        // plot bounds with a flat foreground bottom (item 51 is 1): six values
        {Item::PlotBounds, "0 10 0 10 -5 0", true, "0 10 0 10 -5 0"},
        {Item::PlotBounds, "0 10 0 10 5", false,
         "Due to mesh configuration 6 values are needed for defining the plotting region bounds!"},
        {Item::PlotBounds, "0 10 10 0 -5 0", false, "Bad definition of the plotting region bounds!"},
        // choice items
        {Item::MeshType, "1", false, "Only switch to 0-Standard mesh allowed!"},
        {Item::MeshType, "abc", false, "Only switch to 0-Standard mesh allowed!"},
        {Item::ResistivityModelType, "1-Imported", false, "Only switch to 0-Standard resistivity model allowed!"},
        {Item::IpModelType, "2", false, "Only switch to 0-Standard IP model allowed!"},
        {Item::MeshType, "0", true, "0-Standard"},
        // foreground limits take any number
        {Item::ForegroundXMin, "-2.5", true, "-2.5"},
        {Item::ForegroundXMin, "west", false, "Not a valid number!"},
    };
    const SettingsTable table = defaultSettingsTable();
    for (const Case& c : cases) {
        const SettingEdit edit = validateSetting(table, rowOf(table, c.item), c.proposed, {});
        EXPECT_EQ(edit.accepted, c.accepted) << description(c.item) << " <- " << c.proposed;
        EXPECT_EQ(c.accepted ? edit.value : edit.message, c.expected) << description(c.item) << " <- " << c.proposed;
    }
}

TEST(SettingValidation, PlotBoundsInTheDepthFormNeedFiveValues)
{
    SettingsTable table = defaultSettingsTable();
    setSettingText(table, Item::FlatZBottom, "2");
    const std::size_t row = rowOf(table, Item::PlotBounds);
    EXPECT_EQ(validateSetting(table, row, "0 10 0 10 5", {}).value, "0 10 0 10 5");
    EXPECT_EQ(validateSetting(table, row, "0 10 0 10 -5 0", {}).message,
              "Due to mesh configuration 5 values are needed for defining the plotting region bounds!");
}

TEST(SettingValidation, CableColumnIsFreeWithoutCables)
{
    SettingsTable table = defaultSettingsTable();
    setSettingText(table, Item::CableSpecified, "-1");
    EXPECT_TRUE(validateSetting(table, rowOf(table, Item::AColumns), "0 3", {}).accepted);
}

TEST(SettingValidation, AnomalyRows)
{
    SettingsTable table = defaultSettingsTable();
    const std::size_t resistivityCount = rowOf(table, Item::ResistivityAnomalyCount);
    table.rows.insert(table.rows.begin() + static_cast<std::ptrdiff_t>(resistivityCount + 1),
                      {std::string(description(Item::ResistivityAnomaly)), " 0 1 0 1 -1 0 10 ", false});
    const std::size_t ipCount = rowOf(table, Item::IpAnomalyCount);
    table.rows.insert(table.rows.begin() + static_cast<std::ptrdiff_t>(ipCount + 1),
                      {std::string(description(Item::IpAnomaly)), " 0 1 0 1 -1 0 5 ", false});
    const std::size_t res = resistivityCount + 1, ip = ipCount + 1;
    struct Row {
        std::size_t row;
        const char* proposed;
        bool accepted;
        const char* expected;
    } rows[] = {
        {res, "0 2 0 2 -2 0 50", true, " 0 2 0 2 -2 0 50 "},
        {res, "0 2 0 2 -2 0 50 1.5", true, " 0 2 0 2 -2 0 50 1.5 "},
        {res, "2 0 0 2 -2 0 50", false, "Bad definition of Resistivity anomaly bounds!"},
        {res, "0 2 0 2 -2 0", false, "Bad definition of Resistivity anomaly bounds!"},
        {res, "0 2 0 2 -2 0 0", false, "Only >0 values allowed for Resistivity anomaly!"},
        {res, "0 2 0 2 -2 0 50 0", false, "Only >0 values allowed for Radius!"},
        {ip, "0 2 0 2 -2 0 0", true, " 0 2 0 2 -2 0 0 "},
        {ip, "0 2 0 2 0 -2 10", false, "Bad definition of IP anomaly bounds!"},
        {ip, "0 2 0 2 -2 0 -1", false, "Only positive values allowed for IP anomaly!"},
    };
    for (const Row& r : rows) {
        ASSERT_EQ(settingEditKind(table, r.row), SettingEditKind::Value);
        const SettingEdit edit = validateSetting(table, r.row, r.proposed, {});
        EXPECT_EQ(edit.accepted, r.accepted) << r.proposed;
        EXPECT_EQ(r.accepted ? edit.value : edit.message, r.expected) << r.proposed;
    }
}

// Every row explains itself; an item's tooltip names its tag, default and
// the values its rule accepts.
TEST(SettingValidation, TooltipsSayWhatEachRowTakes)
{
    const SettingsTable table = defaultSettingsTable();
    for (std::size_t row = 0; row < table.rows.size(); ++row)
        EXPECT_EQ(settingTooltip(table, row).rfind(table.rows[row].description, 0), 0u) << row;
    const struct {
        Item item;
        std::vector<const char*> says;
    } cases[] = {
        {Item::ModelIp, {"Configuration tag: #model_ip", "Default: 2", "Allowed: 1 (yes, ticked) or 2 (no)"}},
        {Item::CableSpecified, {"Allowed: 1 (used, ticked) or -1 (not used)"}},
        {Item::IpNoisePercent, {"#ip_noise_percent", "Allowed: a number greater than 0"}},
        {Item::SsorOmega, {"Allowed: a number from 0 to 2"}},
    };
    for (const auto& c : cases)
        for (const char* text : c.says)
            EXPECT_NE(settingTooltip(table, rowOf(table, c.item)).find(text), std::string::npos)
                << settingTooltip(table, rowOf(table, c.item));
}

TEST(SettingValidation, RowKinds)
{
    const SettingsTable table = defaultSettingsTable();
    EXPECT_EQ(settingEditKind(table, 0), SettingEditKind::NotEditable);
    for (Item item : {Item::MeshSection, Item::NoiseSection, Item::ResistivityAnomalyCount, Item::IpAnomalyCount})
        EXPECT_EQ(settingEditKind(table, rowOf(table, item)), SettingEditKind::NotEditable);
    for (int n : {2, 26, 48, 49, 50, 51, 53, 63, 69, 70, 73, 74, 95, 100, 101, 105, 106})
        EXPECT_EQ(settingEditKind(table, rowOf(table, static_cast<Item>(n))), SettingEditKind::Toggle) << n;
    for (Item item : {Item::MeshType, Item::ResistivityModelType, Item::IpModelType})
        EXPECT_EQ(settingEditKind(table, rowOf(table, item)), SettingEditKind::Choice);
    EXPECT_EQ(settingPrompt(table, rowOf(table, Item::MeshType)), "Type of mesh:\n0-Standard\n1-User-defined\n2-Imported");
    EXPECT_EQ(settingPrompt(table, rowOf(table, Item::XColumn)), "X column");
}

TEST(SettingValidation, TogglesAndTheirDependentItems)
{
    SettingsTable table = defaultSettingsTable();
    // Cable specified switches between 1 and -1, never 2.
    const std::size_t cable = rowOf(table, Item::CableSpecified);
    EXPECT_EQ(toggleSetting(table, cable, {}).value, "-1");
    table.rows[cable].value = "-1";
    EXPECT_EQ(toggleSetting(table, cable, {}).value, "1");
    EXPECT_EQ(toggleSetting(table, rowOf(table, Item::SaveFullMesh), {}).value, "1");
    EXPECT_EQ(toggleSetting(table, rowOf(table, Item::SaveIterations), {}).value, "2");

    // Flat Z bottom: the plot bounds go to the depth form and back.
    const std::size_t flat = rowOf(table, Item::FlatZBottom);
    SettingEdit off = toggleSetting(table, flat, {});
    EXPECT_EQ(off.value, "2");
    ASSERT_EQ(off.changes.size(), 1u);
    EXPECT_EQ(off.changes[0], std::make_pair(Item::PlotBounds, std::string("0 10 0 10 5")));
    table.rows[flat].value = off.value;
    setSettingText(table, Item::PlotBounds, off.changes[0].second);
    setSettingText(table, Item::ForegroundZMax, "1.5");
    SettingEdit on = toggleSetting(table, flat, {});
    EXPECT_EQ(on.value, "1");
    ASSERT_EQ(on.changes.size(), 1u);
    EXPECT_EQ(on.changes[0].second, "0 10 0 10 -3.5 1.5");

    // Model IP needs IP data and follows the check box.
    const std::size_t ip = rowOf(table, Item::ModelIp);
    EXPECT_EQ(toggleSetting(table, ip, {}).message, "No IP data to model!");
    SettingContext withIp;
    withIp.hasIpData = true;
    const SettingEdit ipOn = toggleSetting(table, ip, withIp);
    EXPECT_EQ(ipOn.value, "1");
    EXPECT_EQ(ipOn.ipCheckBox, std::optional<bool>(true));
}

TEST(SettingValidation, ForegroundLimitUpdatesThePlotBoundsOnYes)
{
    SettingsTable table = defaultSettingsTable();
    SettingEdit edit = validateSetting(table, rowOf(table, Item::ForegroundXMax), "12.34567", {});
    EXPECT_EQ(edit.value, "12.34567");
    EXPECT_EQ(edit.question, "New foreground region limits. Do you want to update plotting parameters?");
    ASSERT_EQ(edit.changesOnYes.size(), 1u);
    EXPECT_EQ(edit.changesOnYes[0].second, "0 12.346 0 10 -5 0");
    edit = validateSetting(table, rowOf(table, Item::ForegroundZMin), "-7", {});
    EXPECT_EQ(edit.changesOnYes[0].second, "0 10 0 10 -7 0");
    setSettingText(table, Item::PlotBounds, "0 10 0 10 5");
    edit = validateSetting(table, rowOf(table, Item::ForegroundZMin), "-7", {});
    EXPECT_EQ(edit.changesOnYes[0].second, "0 10 0 10 7");
}

// The editing routine: prompts, messages and questions, and a table that
// changes only when the edit goes through.
TEST(EditSettingItem, PromptsRejectsAndAsks)
{
    ProjectStore store;
    ScriptedQuestions q;
    const std::size_t x = rowOf(store.settings, Item::XColumn);
    const SettingsTable before = store.settings;

    q.queueInput(QuestionId::SettingValue, "0");
    EXPECT_EQ(EditSettingItem(store, x, q), Status::Error);
    EXPECT_EQ(store.settings, before);
    ASSERT_EQ(q.messages().size(), 1u);
    EXPECT_EQ(q.messages()[0].title, "Vexora64 - Error");
    EXPECT_EQ(q.messages()[0].text, "Not a valid column number: only positive values allowed!");
    EXPECT_EQ(q.questions()[0].title, "Vexora64 - Configuration settings");
    EXPECT_EQ(q.questions()[0].text, "X column");

    q.queueInput(QuestionId::SettingValue, "   ");  // cleared: nothing changes, nothing shown
    EXPECT_EQ(EditSettingItem(store, x, q), Status::Error);
    EXPECT_EQ(EditSettingItem(store, x, q), Status::Error);  // cancelled
    EXPECT_EQ(store.settings, before);
    EXPECT_EQ(q.messages().size(), 1u);
    EXPECT_EQ(EditSettingItem(store, rowOf(store.settings, Item::MeshSection), q), Status::Error);

    q.queueInput(QuestionId::SettingValue, "6");
    EXPECT_EQ(EditSettingItem(store, x, q), Status::Ok);
    EXPECT_EQ(settingText(store.settings, Item::XColumn), "6");

    // Flat Z bottom twice returns to its first value (and the plot bounds too).
    const std::size_t flat = rowOf(store.settings, Item::FlatZBottom);
    const std::string bounds(settingText(store.settings, Item::PlotBounds));
    EXPECT_EQ(EditSettingItem(store, flat, q), Status::Ok);
    EXPECT_EQ(EditSettingItem(store, flat, q), Status::Ok);
    EXPECT_EQ(settingText(store.settings, Item::FlatZBottom), "1");
    EXPECT_EQ(settingText(store.settings, Item::PlotBounds), "0 10 0 10 -5 0");
    (void)bounds;
}

// The grid's cell and check box take the prompt's rules; a row is only
// answered or switched as its kind allows.
TEST(EditSettingItem, AnswersAndSwitchesKeepToTheRowKind)
{
    ProjectStore store;
    ScriptedQuestions q;
    const std::size_t flat = rowOf(store.settings, Item::FlatZBottom);
    const std::size_t omega = rowOf(store.settings, Item::SsorOmega);
    const SettingsTable before = store.settings;
    EXPECT_EQ(EditSettingItem(store, flat, "2", q), Status::Error);
    EXPECT_EQ(EditSettingItem(store, rowOf(store.settings, Item::MeshSection), "1", q), Status::Error);
    EXPECT_EQ(SwitchSettingItem(store, flat, true, q), Status::Error);  // already ticked
    EXPECT_EQ(SwitchSettingItem(store, omega, false, q), Status::Error);
    EXPECT_EQ(EditSettingItem(store, omega, "3", q), Status::Error);
    EXPECT_EQ(store.settings, before);
    ASSERT_EQ(q.messages().size(), 1u);
    EXPECT_EQ(q.messages()[0].text, "Only positive <2 values allowed!");
    EXPECT_TRUE(q.questions().empty());

    EXPECT_EQ(SwitchSettingItem(store, flat, false, q), Status::Ok);
    EXPECT_EQ(settingText(store.settings, Item::FlatZBottom), "2");
    EXPECT_EQ(EditSettingItem(store, omega, " 1.5 ", q), Status::Ok);
    EXPECT_EQ(settingText(store.settings, Item::SsorOmega), "1.5");
}

TEST(EditSettingItem, ChoiceAnsweredNoThenYesUnloadsTheMesh)
{
    ProjectStore store;
    store.survey.topography = {{0, 0, 1}};
    store.mesh.present = true;
    store.models.conductivityImported = true;
    setSettingText(store.settings, Item::MeshType, "2-Imported(/data/m.vwer)");
    setSettingText(store.settings, Item::ResistivityModelType, "1-Imported");
    const std::size_t row = rowOf(store.settings, Item::MeshType);
    ScriptedQuestions q;
    std::string status;
    EditSettingHooks hooks;
    hooks.topographyStatus = [&](const std::string& s) { status = s; };

    q.queueInput(QuestionId::SettingValue, "0");
    q.setDefaultAnswer(false);
    EXPECT_EQ(EditSettingItem(store, row, q, hooks), Status::Error);
    EXPECT_EQ(settingText(store.settings, Item::MeshType), "2-Imported(/data/m.vwer)");
    EXPECT_EQ(store.survey.topography.size(), 1u);
    EXPECT_EQ(q.questions().back().text, "Do you want to unload current mesh and model?");

    q.queueInput(QuestionId::SettingValue, "0");
    q.setDefaultAnswer(true);
    EXPECT_EQ(EditSettingItem(store, row, q, hooks), Status::Ok);
    EXPECT_EQ(settingText(store.settings, Item::MeshType), "0-Standard");
    EXPECT_EQ(settingText(store.settings, Item::ResistivityModelType), "0-Standard");
    EXPECT_EQ(settingText(store.settings, Item::IpModelType), "0-Standard");
    EXPECT_TRUE(store.survey.topography.empty());
    EXPECT_FALSE(store.mesh.present);
    EXPECT_FALSE(store.models.conductivityImported);
    EXPECT_EQ(status, "No topography");
}

}  // namespace
