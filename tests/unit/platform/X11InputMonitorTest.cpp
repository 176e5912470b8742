// The X11 input adapter against a real X server (a private Xvfb, see run-under-xvfb.sh), driven
// by XTest input from xdotool.
#include "platform/linux/X11InputMonitor.h"

#include "EventLoopWait.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace zentrivo::platform {
namespace {

using enum EventType;

TEST(X11InputMonitorTest, rawEventsWithXkbFlagsMotionOnlyWhileWantedAndAMissedMovementCaughtUp) {
    X11InputMonitor::Opened x11 = X11InputMonitor::open();
    ASSERT_TRUE(x11.monitor) << x11.error;
    X11InputMonitor& input = *x11.monitor;
    using Events = std::vector<std::pair<EventType, std::uint64_t>>; // with the flags or button
    Events seen;
    const auto record = [&](const InputEvent* event) {
        seen.emplace_back(event->type, event->type == flagsChanged
                                           ? event->modifierFlags
                                           : static_cast<std::uint64_t>(event->buttonNumber));
    };
    // Everything but plain movement, which only the trigger's movement monitor wants: motion is
    // read while a button is held or the trigger is.
    input.addGlobalMonitor(~maskOf(mouseMoved), record);
    // The trigger reads the cursor as its origin and starts its movement monitor; the cursor
    // moves in between, before motion is selected.
    std::optional<EventMonitorService::Token> movement;
    input.addGlobalMonitor(maskOf(flagsChanged), [&](const InputEvent* event) {
        if (event->modifierFlags == 0x180000 && !movement) {
            input.mouseLocation();
            EXPECT_EQ(std::system("xdotool mousemove_relative --sync 0 -40"), 0);
            movement = input.addGlobalMonitor(maskOf(mouseMoved), record);
        } else if (event->modifierFlags == 0 && movement) {
            input.removeMonitor(*std::exchange(movement, std::nullopt));
        }
    });
    // A press is delivered (and motion selected) before the next row moves the pointer.
    const std::pair<std::string, Events> rows[] = {
        {"mousemove --sync 200 200 mousedown 1", {{leftMouseDown, 0}}},
        {"mousemove_relative --sync 3 0 mouseup 1 mousedown 3",
         {{leftMouseDragged, 0}, {leftMouseUp, 0}, {rightMouseDown, 1}}},
        {"mousemove_relative --sync 3 0 mouseup 3 mousedown 9",
         {{rightMouseDragged, 1}, {rightMouseUp, 1}, {otherMouseDown, 4}}},
        {"mousemove_relative --sync 3 0 mouseup 9", {{otherMouseDragged, 4}, {otherMouseUp, 4}}},
        // The 40 px the trigger's origin missed come as one movement.
        {"keydown Super_L keydown Alt_L",
         {{flagsChanged, 0x100000}, {flagsChanged, 0x180000}, {mouseMoved, 0}}},
        // A scroll button makes no events and holds nothing.
        {"mousedown 4 mousemove_relative --sync 0 10 mouseup 4", {{mouseMoved, 0}}},
        {"keyup Alt_L keyup Super_L", {{flagsChanged, 0x100000}, {flagsChanged, 0}}},
    };
    for (const auto& [commands, expected] : rows) {
        SCOPED_TRACE(commands);
        seen.clear();
        ASSERT_EQ(std::system(("xdotool " + commands).c_str()), 0);
        // xdotool has synchronised with the server, so the events are on the connection; this
        // query's round trip reads them into Xlib's queue, where the socket notifier cannot see
        // them: they must still be delivered.
        input.mouseLocation();
        ASSERT_TRUE(test::pumpUntil([&] { return seen.size() >= expected.size(); }));
        EXPECT_EQ(seen, expected);
    }
    EXPECT_FALSE(movement);
    // The screen is 800 pixels high: X row 170 is 630 points above the bottom edge.
    EXPECT_EQ(input.mouseLocation(), (Point{209, 630}));
}

} // namespace
} // namespace zentrivo::platform
