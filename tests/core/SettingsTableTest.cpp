#include <gtest/gtest.h>

#include "core/settings/SettingsTable.h"

using namespace vexora;

TEST(ItemCatalogue, HoldsTheFixedEntries)
{
    const auto& c = ItemCatalogue();
    ASSERT_EQ(c.size(), 111u);
    EXPECT_EQ(c[0].description, "    ITEM Description  ");
    EXPECT_EQ(c[0].defaultText, "     Default Values     ");
    int sections = 0, labels = 0;
    for (const CatalogueEntry& e : c) {
        sections += e.kind == EntryKind::Section;
        labels += e.kind == EntryKind::AnomalyLabel;
        if (e.kind == EntryKind::Section) {
            EXPECT_EQ(e.defaultText, e.description);
        }
    }
    EXPECT_EQ(sections, 9);
    EXPECT_EQ(labels, 2);
    EXPECT_EQ(description(Item::ResistivityAnomaly), "Res. Anomalies: -X +X  -Y +Y  -Z +Z  Rho  [Radius]");
    EXPECT_EQ(description(Item::IpAnomaly), "IP Anomalies: -X +X  -Y +Y  -Z +Z  IP");
    EXPECT_EQ(catalogueEntry(Item::PadsXMin).defaultText, " 1 2 4 8 16 24 32 40 48 56 64   ");
    EXPECT_EQ(catalogueEntry(Item::ZRoughWeight).defaultText, " 0.1");
    EXPECT_EQ(catalogueEntry(Item::PcgToleranceRho).defaultText, "0.001 ");
    EXPECT_EQ(catalogueEntry(Item::PlotBounds).defaultText, "0.0 10.0 0.0 10.0 -5.0 0.0");
}

TEST(SettingsTable, DefaultRowsAndExactLookup)
{
    const SettingsTable t = defaultSettingsTable();
    ASSERT_EQ(t.rows.size(), kDefaultSettingRows);
    EXPECT_EQ(t.rows[0].description, "    ITEM Description  ");
    EXPECT_EQ(t.rows[100].description, "Number of CPU threads");
    EXPECT_EQ(FindSettingRow(t, Item::XColumn), 5u);
    EXPECT_EQ(FindSettingRow(t, Item::IpModelType), 58u);  // entry 58 has no row of its own
    EXPECT_TRUE(t.rows[*FindSettingRow(t, Item::MeshSection)].section);
    EXPECT_FALSE(FindSettingRow(t, "Grid Left (-X) Pads (interior X grid units)"));
    EXPECT_FALSE(FindSettingRow(t, "x column"));
    EXPECT_FALSE(FindSettingRow(t, Item::ResistivityAnomaly));
    EXPECT_EQ(settingText(t, Item::ForwardTolerance), " 1.0E-7 ");
    EXPECT_EQ(settingNumber(t, Item::ForwardTolerance), 1e-7);
    EXPECT_EQ(settingInteger(t, Item::ZColumn), 5);
}

TEST(SettingsTable, ResetKeepsOnlyTheBackgroundResistivity)
{
    SettingsTable t = defaultSettingsTable();
    setSettingText(t, Item::BackgroundResistivity, "123.46");
    setSettingText(t, Item::XColumn, "9");
    setSettingText(t, Item::ResistivityAnomalyCount, " 1 ");
    t.rows.insert(t.rows.begin() + 57, {std::string(description(Item::ResistivityAnomaly)), " 0 1 0 1 -1 0 50"});
    t.rows.push_back({"stray row", "x"});

    ResetSettingsTable(t);
    SettingsTable expected = defaultSettingsTable();
    setSettingText(expected, Item::BackgroundResistivity, " 123.5 ");
    EXPECT_EQ(t, expected);
    EXPECT_EQ(t.rows.size(), 109u);
    EXPECT_EQ(settingText(t, Item::ResistivityAnomalyCount), " 0 ");
    EXPECT_EQ(settingText(t, Item::IpAnomalyCount), " 0 ");
}
