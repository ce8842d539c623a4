#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

#include "../core/ImportTestSupport.h"
#include "gui/GuiTestSupport.h"
#include "core/platform/ScriptedQuestions.h"
#include "core/import/tables/ImportFill.h"
#include "ui/import/Form_FileOpen.h"

namespace {

using namespace vexora;

struct FormFixture {
    ImportSet set;
    ImportGrids grids;
    MessageLog log;
    ScriptedQuestions questions;
    test::ScriptedFileDialogs dialogs;
    ui::Form_FileOpen form{set, grids, log, questions, dialogs};
};

TEST(Form_FileOpen, ModesAndNumberingGiveTheOptions)
{
    FormFixture f;
    test::screenshot(f.form, "import_bin");
    EXPECT_EQ(f.form.windowTitle(), QStringLiteral("IRIS Syscal Bin file import"));
    f.form.modeOption(4)->setChecked(true);
    f.form.snakeBox()->setChecked(true);
    f.form.numberingOption(3)->setChecked(true);  // "Ymax"
    BinImportOptions o = f.form.options();
    EXPECT_EQ(o.mode, ImportMode::Grid);
    EXPECT_FALSE(o.isProfile);
    EXPECT_TRUE(o.snake);
    EXPECT_EQ(o.numberingStart, -2);
    EXPECT_FALSE(f.form.sequenceFileBox()->isEnabled());
    f.form.modeOption(3)->setChecked(true);
    o = f.form.options();
    EXPECT_TRUE(o.isProfile);
    EXPECT_FALSE(o.snake);  // a profile never snakes
    EXPECT_FALSE(f.form.snakeBox()->isEnabled());
}

TEST(Form_FileOpen, OkImportsOrSaysWhatIsMissing)
{
    const auto folder = vexora::testing::scratchFolder("form");
    const auto bin = vexora::testing::writeScratch(folder, "a.bin",
                                           vexora::testing::binFile({vexora::testing::dipole(0), vexora::testing::dipole(1)}));
    FormFixture f;
    f.form.cmdOK_Click();
    ASSERT_EQ(f.questions.messages().size(), 1u);
    EXPECT_EQ(f.questions.messages()[0].text, "Invalid BIN file name.");
    EXPECT_EQ(f.questions.messages()[0].title, "Vexora64 - Error");

    f.dialogs.queue(QString::fromStdString((folder / "a.txt").string()));
    f.form.cmdSelectBin_Click();
    EXPECT_EQ(f.questions.messages().back().text, "Invalid file format! A file ending in .bin is expected.");
    EXPECT_EQ(f.dialogs.requests().back().title, QStringLiteral("Open Bin file"));
    f.dialogs.queue(QString::fromStdString(bin.string()));
    f.form.cmdSelectBin_Click();
    EXPECT_EQ(f.form.binFileBox()->text().toStdString(), bin.string());

    f.form.modeOption(1)->setChecked(true);
    f.form.cmdOK_Click();
    EXPECT_EQ(f.questions.messages().back().text, "Invalid TXT sequence file name.");

    const auto sequence = vexora::testing::writeScratch(folder, "s.txt", "#\n1 0 0 0\n#\n1 1 2 3 4\n");
    f.form.sequenceFileBox()->setText(QString::fromStdString(sequence.string()));
    f.form.cmdOK_Click();
    ASSERT_GE(f.questions.messages().size(), 2u);
    const auto& messages = f.questions.messages();
    EXPECT_EQ(messages[messages.size() - 2].text, "Invalid number of electrodes in sequence file!");
    EXPECT_EQ(messages.back().text, "Error in importing data set: data-set not loaded.");
    EXPECT_TRUE(f.set.values.empty());

    f.form.modeOption(3)->setChecked(true);
    f.form.numberingOption(1)->setChecked(true);  // Xmax
    f.form.cmdOK_Click();
    EXPECT_EQ(f.form.result(), QDialog::Accepted);
    ASSERT_EQ(f.set.electrodes.size(), 5u);
    EXPECT_EQ(f.set.electrodes[0].x, 4.0);
    EXPECT_EQ(f.grids.quadrupoles.size(), 2u);
    std::filesystem::remove_all(folder);
}

TEST(Form_FileOpen, TextFormatsReadThroughTheirOwnReaders)
{
    const std::filesystem::path samples = VEXORA_INSTRUMENT_SAMPLES_DIR;
    FormFixture f;
    // Every listed format is one the list offers.
    ASSERT_EQ(f.form.formatBox()->count(), static_cast<int>(importFormats().size()));
    f.form.formatBox()->setCurrentText(QStringLiteral("AGI STG"));
    EXPECT_EQ(f.form.windowTitle(), QStringLiteral("AGI STG file import"));
    EXPECT_FALSE(f.form.modeOption(1)->isEnabled());  // the binary file's options
    // Only the options the format reads can be edited.
    EXPECT_TRUE(f.form.electrodeFileBox()->isEnabled());
    EXPECT_FALSE(f.form.spacingBox()->isEnabled());
    EXPECT_FALSE(f.form.lineElectrodesBox()->isEnabled());

    f.dialogs.queue(QString::fromStdString((samples / "line.2dm").string()));
    f.form.cmdSelectBin_Click();
    EXPECT_EQ(f.questions.messages().back().text, "Invalid file format! A file ending in .stg is expected.");
    EXPECT_EQ(f.dialogs.requests().back().title, QStringLiteral("Open AGI STG file"));

    // grid.stg takes grid_elec.csv beside it: four electrodes and the remote B.
    f.dialogs.queue(QString::fromStdString((samples / "grid.stg").string()));
    f.form.cmdSelectBin_Click();
    test::screenshot(f.form, "import_stg");
    f.form.cmdOK_Click();
    EXPECT_EQ(f.form.result(), QDialog::Accepted);
    EXPECT_EQ(f.set.quadrupoles.size(), 3u);
    EXPECT_EQ(f.set.electrodes.size(), 4u);
    EXPECT_EQ(f.grids.quadrupoles.size(), 3u);
    EXPECT_NE(f.log.plainText().find("electrode positions from"), std::string::npos);

    // A Lund block file laid out by the spacing and line length given.
    f.form.formatBox()->setCurrentText(QStringLiteral("ABEM file"));
    EXPECT_EQ(f.form.windowTitle(), QStringLiteral("ABEM file import"));
    f.form.binFileBox()->setText(QString::fromStdString((samples / "block.ohm").string()));
    f.form.spacingBox()->setText(QStringLiteral("2"));
    f.form.lineElectrodesBox()->setValue(5);
    test::screenshot(f.form, "import_ohm");
    f.form.cmdOK_Click();
    ASSERT_EQ(f.set.electrodes.size(), 11u);
    EXPECT_EQ(f.set.electrodes.back(), (ImportElectrode{11, 0, 4, 0}));

    // A broken file: the reader names the line, the tables are emptied.
    const auto folder = vexora::testing::scratchFolder("form_text");
    const auto broken = vexora::testing::writeScratch(folder, "b.2dm", "Device: x\r\nElectrode distance: 1 m\r\n");
    f.form.formatBox()->setCurrentText(QStringLiteral("ARES 2dm"));
    f.form.binFileBox()->setText(QString::fromStdString(broken.string()));
    f.form.cmdOK_Click();
    EXPECT_EQ(f.questions.messages().back().text, "Error in importing data set: data-set not loaded.");
    EXPECT_NE(f.log.plainText().find("b.2dm: line 1: no \"Measured data:\" line. Nothing imported."), std::string::npos)
        << f.log.plainText();
    EXPECT_TRUE(f.set.quadrupoles.empty());
    std::filesystem::remove_all(folder);
}

TEST(Form_FileOpen, ReverseCableMirrorsTheImportedQuadrupoles)
{
    const auto folder = vexora::testing::scratchFolder("form_reverse");
    const auto bin = vexora::testing::writeScratch(folder, "a.bin",
                                                   vexora::testing::binFile({vexora::testing::dipole(0), vexora::testing::dipole(1)}));
    FormFixture f;
    f.form.binFileBox()->setText(QString::fromStdString(bin.string()));
    EXPECT_FALSE(f.form.reverseCableBox()->isChecked());
    f.form.cmdOK_Click();
    ASSERT_EQ(f.set.quadrupoles.size(), 2u);
    EXPECT_EQ(f.set.quadrupoles[0], (ImportQuadrupole{1, 2, 3, 4}));
    const auto electrodes = f.set.electrodes;

    // Electrode n of 1..5 becomes 6 - n in the quadrupoles and the grid; the positions stay.
    f.form.reverseCableBox()->setChecked(true);
    f.form.cmdOK_Click();
    EXPECT_EQ(f.form.result(), QDialog::Accepted);
    ASSERT_EQ(f.set.quadrupoles.size(), 2u);
    EXPECT_EQ(f.set.quadrupoles[0], (ImportQuadrupole{5, 4, 3, 2}));
    EXPECT_EQ(f.set.quadrupoles[1], (ImportQuadrupole{4, 3, 2, 1}));
    EXPECT_EQ(f.set.electrodes, electrodes);
    ASSERT_EQ(f.grids.quadrupoles.size(), 2u);
    EXPECT_NE(f.grids.quadrupoles[0][1].find('5'), std::string::npos) << f.grids.quadrupoles[0][1];  // A
    std::filesystem::remove_all(folder);
}

TEST(Form_FileOpen, ReverseCableRefusedWhenAMirrorIsMissing)
{
    // Electrodes 1, 2 and 4: the mirror of 2 would be 3, which the cable lacks.
    ImportSet set;
    set.electrodes = {{1, 0, 0, 0}, {2, 1, 0, 0}, {4, 3, 0, 0}};
    set.quadrupoles = {{1, 0, 2, 4}};
    set.values.resize(1);
    const ImportSet before = set;
    MessageLog log;
    EXPECT_EQ(reverseImportedCable(set, log), Status::Error);
    EXPECT_EQ(set.quadrupoles, before.quadrupoles);
    EXPECT_NE(log.plainText().find("names electrode 2, whose mirror 3 is not on the cable."), std::string::npos)
        << log.plainText();
    set.quadrupoles = {{1, 0, 4, 0}};  // absent poles stay absent
    EXPECT_EQ(reverseImportedCable(set, log), Status::Ok);
    EXPECT_EQ(set.quadrupoles[0], (ImportQuadrupole{4, 0, 1, 0}));
}

}  // namespace
