#include "tests/widget/ReticleRig.h"

#include <algorithm>

namespace zentrivo {
namespace {

using test::pixels;
using ReticleWindowShapeTest = test::ReticleRig;

TEST_F(ReticleWindowShapeTest, WithoutACompositorOnlyTheSlotsAreDrawnEmptyRingOnesAsOutlines) {
    model.setMainSlot(Action{"with-icon", ActionType::app}, Directional::r);
    auto& w = makeWindow();
    w.showWindow(); // cut as it is shown
    EXPECT_EQ(shape.lastWindow, w.widget().winId());
    ASSERT_TRUE(shape.shape);
    const auto cut = *shape.shape;
    EXPECT_EQ(cut.first, cut.second) << "X takes input only where it draws";
    // Exactly the eight ring slots, the empty ones too (they still take drops): the corners and
    // the empty centre show the desktop.
    std::vector<ShapeRect> slots = {{4, 4, 80, 80},    {88, 4, 80, 80},   {172, 4, 80, 80},
                                    {4, 88, 80, 80},   {172, 88, 80, 80}, {4, 172, 80, 80},
                                    {88, 172, 80, 80}, {172, 172, 80, 80}};
    EXPECT_TRUE(std::ranges::is_permutation(cut.first, slots));
    // The outline is drawn, opaque grey, on the empty tl slot's top edge; inside it nothing is.
    EXPECT_EQ(pixels(w.widget()).pixelColor(44, 4), QColor(150, 150, 150));
    EXPECT_LE(pixels(w.widget()).pixelColor(44, 44).alpha(), 1); // (an empty slot's hit veil)

    // A compositor starting takes the cut and the outlines away; stopping brings them back.
    const int before = shape.requests;
    compositor.set(true);
    EXPECT_FALSE(shape.shape);
    EXPECT_LE(pixels(w.widget()).pixelColor(44, 4).alpha(), 1);
    compositor.set(false);
    EXPECT_EQ(shape.shape, std::optional(cut));
    EXPECT_EQ(shape.requests, before + 2) << "one request each, no repeats of the same shape";
    w.widget().grab(); // a paint
    EXPECT_EQ(shape.requests, before + 2);

    // A centre filled while the window is up joins the shape at the next paint; with the backing
    // on the whole window is drawn.
    model.setMainSlot(Action{"with-icon", ActionType::app}, Directional::c);
    view->reloadSlotImages();
    w.widget().grab();
    slots.push_back({88, 88, 80, 80});
    EXPECT_TRUE(std::ranges::is_permutation(shape.shape->first, slots));
    defaults.background.set(OptionalBool::userEnabled);
    view->applyBackground();
    w.widget().grab();
    const std::vector<ShapeRect> whole = {{0, 0, 256, 256}};
    EXPECT_EQ(shape.shape, std::optional(std::pair(whole, whole)));
}

TEST_F(ReticleWindowShapeTest, PlacedInsideTheMonitorUnderTheCursorInThatMonitorsPixels) {
    // A 1280×800 primary monitor and, right of it, 2560×1600 device pixels at twice the density.
    const QtReticleWindow::MonitorSource two = [] {
        return std::vector<QtReticleWindow::Monitor>{{0, 0, 1280, 800, 1.0},
                                                     {1280, 0, 2560, 1600, 2.0}};
    };
    // screen, monitors, requested origin (y-up), window position in Qt's units, frame (device
    // pixels) of the 256-unit panel
    const std::tuple<platform::PrimaryScreen, QtReticleWindow::MonitorSource, Point, QPoint, Rect>
        rows[] = {
            // A primary screen right of and below another, its only monitor: as asked.
            {{1920, 100, 1280, 1024}, {}, {10, 20}, {1930, 848}, {{10, 20}, {256, 256}}},
            // Over the primary's right edge: pushed back onto it.
            {{0, 0, 1280, 800}, two, {1034, 200}, {1024, 344}, {{1024, 200}, {256, 256}}},
            // Centred at x 1300, on the dense monitor: twice as many pixels wide from its left
            // edge, from which Qt counts half the pixels down.
            {{0, 0, 1280, 800}, two, {1172, 272}, {1280, 72}, {{1280, 144}, {512, 512}}},
        };
    for (const auto& [screen, monitors, origin, position, frame] : rows) {
        SCOPED_TRACE(testing::Message() << origin.x << "," << origin.y);
        auto& w = makeWindow(screen, monitors);
        w.setFrameOrigin(origin);
        EXPECT_EQ(w.widget().pos(), position);
        EXPECT_EQ(w.frame(), frame);
    }
}

} // namespace
} // namespace zentrivo
