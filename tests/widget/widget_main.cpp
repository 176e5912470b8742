// The main of every widget test executable: widgets need a QApplication, which gtest_main does not
// create. Tests run offscreen so that they never need a display.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // CTest sets this too; the fallback keeps a test run by hand (or test discovery) off the
    // user's screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
