// The X11 input adapter against a real X server (a private Xvfb, see run-under-xvfb.sh), driven
// by XTest input from xdotool.
#include "platform/linux/X11InputMonitor.h"

#include "EventLoopWait.h"

#include <QCoreApplication>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

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

} // namespace
} // namespace zentrivo::platform

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
