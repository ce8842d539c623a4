#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv)
{
    // Listing the tests needs no display: offscreen then (the rendering
    // tests skip themselves where nothing can draw).
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
