// The viewer draws what the model holds: a model written by the programs'
// own writer is opened, drawn, and the picture's pixel where a block's
// middle appears has the colour of that block's value. Needs OpenGL (Mesa's
// llvmpipe does, under Xvfb): without it the tests say so and are skipped.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QOpenGLContext>
#include <QQuickWidget>
#include <QTest>

#include "../core/JobTestSupport.h"
#include "ViewerTestSupport.h"
#include "ui/viewer/ViewerWindow.h"

namespace {

using namespace vexora;
namespace fs = std::filesystem;
namespace vt = vexora::testing;

constexpr int kBlocks = 9;

struct ViewerRender : ::testing::Test {
    fs::path root = vt::freshFolder("vexora_viewer_render");
    MessageLog log;
    ~ViewerRender() override { fs::remove_all(root); }

    void SetUp() override
    {
        QOpenGLContext context;
        if (!context.create())
            GTEST_SKIP() << "no OpenGL on the \"" << QApplication::platformName().toStdString()
                         << "\" platform: nothing can be drawn (run under xvfb-run)";
        ASSERT_TRUE(vt::writeLayeredModel(root / "InvModelOutput.vwer", kBlocks, log)) << log.plainText();
    }
};

// Red, green, blue within a step or two of rounding.
::testing::AssertionResult near(QRgb drawn, const Rgb& expected)
{
    if (std::abs(qRed(drawn) - expected.r) <= 2 && std::abs(qGreen(drawn) - expected.g) <= 2 &&
        std::abs(qBlue(drawn) - expected.b) <= 2)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "drawn " << qRed(drawn) << "," << qGreen(drawn) << "," << qBlue(drawn)
                                         << " expected " << int(expected.r) << "," << int(expected.g) << ","
                                         << int(expected.b);
}

TEST_F(ViewerRender, ThePixelOfABlockHasItsValuesColour)
{
    ui::ViewerWindow window(log);
    ASSERT_EQ(window.open(root / "InvModelOutput.vwer"), Status::Ok) << log.plainText();
    window.setSectionShown(SectionAxis::X, false);
    window.setSectionShown(SectionAxis::Z, false);
    window.setElectrodesShown(false);
    window.setViewDirection(0, 0);  // from the south, onto the section across y
    window.resize(900, 700);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const double y = window.sectionAt(SectionAxis::Y);
    EXPECT_NEAR(y, kBlocks / 2.0, 1e-9);

    const struct {
        const char* quantity;
        double x, z;
    } blocks[] = {{"Resistivity", 1.5, -1.5}, {"Resistivity", 7.5, -4.5}, {"Resistivity", 2.5, -7.5},
                  {"Conductivity", 7.5, -7.5}, {"Chargeability", 4.5, -4.5}};
    for (const auto& b : blocks) {
        ASSERT_EQ(window.setQuantity(b.quantity), Status::Ok) << log.plainText();
        const QImage image = window.viewImage();
        ASSERT_FALSE(image.isNull());
        const std::optional<QPointF> at = window.pixelOf({b.x, y, b.z});
        ASSERT_TRUE(at) << b.quantity;
        ASSERT_TRUE(image.rect().contains(at->toPoint())) << at->x() << " " << at->y();
        const double rho = vt::layeredResistivity(-b.z, kBlocks);
        const double value = std::string(b.quantity) == "Resistivity"    ? rho
                             : std::string(b.quantity) == "Conductivity" ? 1 / rho
                                                                          : 5;
        EXPECT_TRUE(near(image.pixel(at->toPoint()), window.scale().colour(value))) << b.quantity << " " << b.x << " " << b.z;
        // Outside the model: the white background.
        EXPECT_EQ(image.pixel(2, 2), qRgb(255, 255, 255));
    }
    EXPECT_TRUE(window.scale().logarithmic == false);  // chargeability, the last shown

    // Stretched three times in depth: a block lower down is still drawn in
    // its own colour where the window says it is, and two depths seen from
    // the side lie three times as far apart on the screen, less the
    // perspective of a camera standing back three times as far.
    ASSERT_EQ(window.setQuantity("Resistivity"), Status::Ok);
    const auto gap = [&] { return window.pixelOf({4.5, y, -7.5})->y() - window.pixelOf({4.5, y, -1.5})->y(); };
    const double flat = gap();
    window.setVerticalExaggeration(3);
    EXPECT_EQ(window.verticalExaggeration(), 3);
    const QImage stretched = window.viewImage();
    const QPoint deep = window.pixelOf({7.5, y, -7.5})->toPoint();
    ASSERT_TRUE(stretched.rect().contains(deep));
    EXPECT_TRUE(near(stretched.pixel(deep), window.scale().colour(vt::layeredResistivity(7.5, kBlocks))));
    EXPECT_GT(gap(), 1.3 * flat);
    window.setVerticalExaggeration(0.2);
    EXPECT_EQ(window.verticalExaggeration(), 1);  // never flattened below true scale
}

TEST_F(ViewerRender, AnUnknownQuantityIsRefusedAndTheImageSaves)
{
    ui::ViewerWindow window(log);
    ASSERT_EQ(window.open(root / "InvModelOutput.vwer"), Status::Ok);
    window.resize(800, 600);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const ColourScale before = window.scale();
    EXPECT_EQ(window.setQuantity("Porosity"), Status::Error);
    EXPECT_TRUE(vt::logHas(
        log, "Cannot show Porosity: the model holds no Porosity (it holds Resistivity Conductivity Chargeability)."));
    EXPECT_EQ(window.scale().low, before.low);
    EXPECT_TRUE(window.scale().logarithmic);

    // Moving a plane and cutting the box away keep a picture.
    window.setSectionAt(SectionAxis::X, 2.5);
    window.setCutaway(true);
    EXPECT_EQ(window.saveImage(root / "view.png"), Status::Ok);
    QImage saved;
    ASSERT_TRUE(saved.load(QString::fromStdString((root / "view.png").string())));
    EXPECT_EQ(saved.width(), window.viewImage().width() + 110);
    int coloured = 0;
    for (int x = 0; x < saved.width() - 110; x += 7)
        for (int y = 0; y < saved.height(); y += 7) coloured += saved.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_GT(coloured, 100);
    EXPECT_EQ(window.saveImage(root / "no such folder" / "view.png"), Status::Error);
    EXPECT_TRUE(vt::logHas(log, "not saved."));
}

}  // namespace
