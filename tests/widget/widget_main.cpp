// Qt widget tests (ctest label widget), all in one executable. Its main: widgets need a
// QApplication, which gtest_main does not create. Tests run offscreen: they never need a display.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen"); // also for a run by hand and for test discovery
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
