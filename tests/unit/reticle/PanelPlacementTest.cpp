#include "app/reticle/PanelPlacement.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

// Two monitors side by side in y-up coordinates: A, 1920×1080, is the primary one; B, 1280×1024,
// stands right of it with their top edges level, so below B there is a 56-unit gap that belongs
// to no monitor. The panel is 256×256.
const std::vector<Rect> monitors{{{0, 0}, {1920, 1080}}, {{1920, 56}, {1280, 1024}}};
constexpr Size panel{256, 256};

TEST(PanelPlacementTest, CentredOnTheCursorAndKeptInsideTheMonitorUnderIt) {
    const std::tuple<const char*, Point, Point> rows[] = {
        {"middle of A", {960, 540}, {832, 412}},
        {"half-unit cursor rounds the origin down", {960.5, 540.5}, {832, 412}},
        {"A's left edge, just inside", {128, 540}, {0, 412}},
        {"A's left edge, one over", {127, 540}, {0, 412}},
        {"A's right edge, just inside", {1792, 540}, {1664, 412}},
        {"A's right edge, one over: stays on A, not across onto B", {1793, 540}, {1664, 412}},
        {"first column of B: pushed into B", {1920, 540}, {1920, 412}},
        {"A's top edge, just inside", {960, 952}, {832, 824}},
        {"A's top edge, one over", {960, 953}, {832, 824}},
        {"A's bottom edge, just inside", {960, 128}, {832, 0}},
        {"A's bottom edge, one over", {960, 127}, {832, 0}},
        {"in the gap below B: the nearest monitor, B", {2500, 20}, {2372, 56}},
    };
    for (const auto& [name, cursor, origin] : rows) {
        SCOPED_TRACE(name);
        EXPECT_EQ(placePanel(monitors, cursor, panel), (Rect{origin, panel}));
    }
}

TEST(PanelPlacementTest, APanelLargerThanItsMonitorHangsFromItsTopLeftAndNoMonitorLeavesItCentred) {
    EXPECT_EQ(placePanel({{{0, 0}, {200, 150}}}, {100, 75}, panel), (Rect{{0, -106}, panel}));
    EXPECT_EQ(placePanel({}, {100.5, 100.5}, panel), (Rect{{-28, -28}, panel}));
}

} // namespace
} // namespace zentrivo
