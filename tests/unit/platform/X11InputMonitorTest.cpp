// The X11 input adapter against a real X server (a private Xvfb, see run-under-xvfb.sh), driven
// by XTest input from xdotool.
#include "platform/linux/X11InputMonitor.h"

#include "EventLoopWait.h"

#include <QCoreApplication>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>
// After gtest, which has a type called None: X.h defines None as a macro.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace zentrivo::platform {
namespace {

using enum EventType;

TEST(X11InputMonitorTest, flagsFromTheKeyboardStateButtonsAndDragsFromRawEventsAndAYUpCursor) {
    X11InputMonitor::Opened x11 = X11InputMonitor::open();
    ASSERT_TRUE(x11.monitor) << x11.error;
    using Events = std::vector<std::pair<EventType, std::uint64_t>>; // with the flags or button
    Events seen;
    x11.monitor->addGlobalMonitor(~EventMask{0}, [&](const InputEvent* event) {
        seen.emplace_back(event->type, event->type == flagsChanged
                                           ? event->modifierFlags
                                           : static_cast<std::uint64_t>(event->buttonNumber));
    });
    // xdotool warps the pointer to (100, 100), which is no motion; each row then moves it by 3.
    const std::pair<std::string, Events> rows[] = {
        {"mousemove --sync 100 100 keydown Super_L keydown Alt_L keyup Alt_L keyup Super_L",
         {{flagsChanged, 0x100000},
          {flagsChanged, 0x180000},
          {flagsChanged, 0x100000},
          {flagsChanged, 0}}},
        {"mousedown 1 mousemove_relative --sync 3 0 mouseup 1",
         {{leftMouseDown, 0}, {leftMouseDragged, 0}, {leftMouseUp, 0}}},
        {"mousedown 3 mousemove_relative --sync 3 0 mouseup 3",
         {{rightMouseDown, 1}, {rightMouseDragged, 1}, {rightMouseUp, 1}}},
        {"mousedown 9 mousemove_relative --sync 3 0 mouseup 9",
         {{otherMouseDown, 4}, {otherMouseDragged, 4}, {otherMouseUp, 4}}},
        // A scroll button makes no events and holds nothing.
        {"mousedown 4 mousemove_relative --sync 3 0 mouseup 4", {{mouseMoved, 0}}},
    };
    for (const auto& [commands, expected] : rows) {
        SCOPED_TRACE(commands);
        seen.clear();
        ASSERT_EQ(std::system(("xdotool " + commands).c_str()), 0);
        // xdotool has synchronised with the server, so the events are on the connection; this
        // query's round trip reads them into Xlib's queue, where the socket notifier cannot see
        // them: they must still be delivered.
        x11.monitor->mouseLocation();
        ASSERT_TRUE(test::pumpUntil([&] { return seen.size() >= expected.size(); }));
        EXPECT_EQ(seen, expected);
    }
    // The screen is 800 pixels high: X row 100 is 700 points above the bottom edge.
    EXPECT_EQ(x11.monitor->mouseLocation(), (Point{112, 700}));
}

TEST(X11InputMonitorTest, motionOnlyWhileWantedAndAMovementBeforeTheSelectionIsNotLost) {
    X11InputMonitor::Opened x11 = X11InputMonitor::open();
    ASSERT_TRUE(x11.monitor) << x11.error;
    X11InputMonitor& input = *x11.monitor;
    Display* driver = XOpenDisplay(nullptr);
    ASSERT_TRUE(driver);
    std::vector<std::pair<EventType, Point>> seen; // with the cursor read on delivery
    const auto record = [&](const InputEvent* event) {
        seen.emplace_back(event->type, input.mouseLocation());
    };
    // A watched side button (the coordinator's click mask): its drag is read while it is down.
    input.addGlobalMonitor(0x0E000000, record);
    ASSERT_EQ(std::system("xdotool mousemove --sync 200 200 mousedown 9"), 0);
    ASSERT_TRUE(test::pumpUntil([&] { return !seen.empty(); }));
    ASSERT_EQ(std::system("xdotool mousemove_relative --sync 3 0 mouseup 9"), 0);
    ASSERT_TRUE(test::pumpUntil([&] { return seen.size() >= 3; }));
    const std::vector<std::pair<EventType, Point>> dragged = {
        {otherMouseDown, {200, 600}}, {otherMouseDragged, {203, 600}}, {otherMouseUp, {203, 600}}};
    EXPECT_EQ(seen, dragged);

    // A trigger that reads the cursor as its origin, then starts its movement monitor; the
    // cursor moves in between, before motion is selected, and is then held still.
    seen.clear();
    std::optional<EventMonitorService::Token> movement;
    Point origin;
    input.addGlobalMonitor(maskOf(flagsChanged), [&](const InputEvent* event) {
        if (event->modifierFlags == 0x180000 && !movement) {
            origin = input.mouseLocation();
            XTestFakeRelativeMotionEvent(driver, 0, -40, CurrentTime);
            XSync(driver, False);
            movement = input.addGlobalMonitor(0x6A, record);
        } else if (event->modifierFlags == 0 && movement) {
            input.removeMonitor(*std::exchange(movement, std::nullopt));
        }
    });
    ASSERT_EQ(std::system("xdotool keydown Super_L keydown Alt_L"), 0);
    ASSERT_TRUE(test::pumpUntil([&] { return !seen.empty(); }));
    EXPECT_EQ(origin, (Point{203, 600}));
    // 40 px up in X is 40 points up in y-up coordinates.
    EXPECT_EQ(seen, (std::vector<std::pair<EventType, Point>>{{mouseMoved, {203, 640}}}));
    ASSERT_EQ(std::system("xdotool mousemove_relative --sync 0 10"), 0);
    ASSERT_TRUE(test::pumpUntil([&] { return seen.size() >= 2; }));
    EXPECT_EQ(seen.back(), (std::pair<EventType, Point>{mouseMoved, {203, 630}}));
    ASSERT_EQ(std::system("xdotool keyup Alt_L keyup Super_L"), 0);
    ASSERT_TRUE(test::pumpUntil([&] { return !movement; }));
    XCloseDisplay(driver);
}

} // namespace
} // namespace zentrivo::platform

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
