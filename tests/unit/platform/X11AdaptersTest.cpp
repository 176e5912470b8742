// The X11 input and hot-key adapters against a real X server (a private Xvfb, see
// run-under-xvfb.sh), driven by XTest input from xdotool; the hot-key grabs are checked by another
// client trying the same combinations.
#include "EventLoopWait.h"
#include "platform/linux/X11HotKeyService.h"
#include "platform/linux/X11InputMonitor.h"
#include "tests/fakes/RecordingLog.h"

#include <algorithm>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
// After gtest, which has a type called None: X.h defines None as a macro.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace zentrivo::platform {
namespace {

bool xdotool(const std::string& words) {
    return std::system(("xdotool " + words).c_str()) == 0;
}

TEST(X11InputMonitorTest, rawEventsWithXkbFlagsMotionOnlyWhileWantedAndAMissedMovementCaughtUp) {
    using enum EventType;
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
            EXPECT_TRUE(xdotool("mousemove_relative --sync 0 -40"));
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
        ASSERT_TRUE(xdotool(commands));
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

constexpr std::uint32_t superAlt = 0x900, zntr = 0x5A4E5452;
constexpr unsigned int base = Mod4Mask | Mod1Mask; // Mod2 is Num Lock in the server's keymap
const std::vector<unsigned int> lockVariants{base, base | LockMask, base | Mod2Mask,
                                             base | LockMask | Mod2Mask};

int lastError = Success;

/// How many of `modifierSets` on `keyCode` another client may grab; `keep` holds them.
int freeGrabs(Display* other, unsigned int keyCode,
              const std::vector<unsigned int>& modifierSets = lockVariants, bool keep = false) {
    int free = 0;
    for (const unsigned int modifiers : modifierSets) {
        lastError = Success;
        XGrabKey(other, int(keyCode), modifiers, DefaultRootWindow(other), False, GrabModeAsync,
                 GrabModeAsync);
        XSync(other, False);
        free += lastError == Success;
        if (!keep)
            XUngrabKey(other, int(keyCode), modifiers, DefaultRootWindow(other));
    }
    XSync(other, False);
    return free;
}

TEST(X11HotKeyServiceTest, grabsAllLockVariantsOrNoneRepeatsPressesReleasesOnceFollowsKeymap) {
    XSetErrorHandler([](Display*, XErrorEvent* error) { return lastError = error->error_code, 0; });
    Display* other = XOpenDisplay(nullptr);
    test::RecordingLog log;
    X11HotKeyService service{log};
    std::string seen; // P or R for pressed (5) or released (6), then the id
    service.setEventHandler([&](const HotKeyEvent* event) {
        const char kind = event->kind == 5 ? 'P' : event->kind == 6 ? 'R' : '?';
        seen += kind + std::to_string(event->hotKeyId->id);
        return HotKeyEventResult::handled;
    });
    // Runs xdotool and waits until `count` events of `kind` have been seen.
    const auto keys = [&](const std::string& words, long count, char kind) {
        return xdotool(words) &&
               test::pumpUntil([&] { return std::ranges::count(seen, kind) >= count; });
    };
    const unsigned int rightKey = XKeysymToKeycode(other, XK_Right),
                       leftKey = XKeysymToKeycode(other, XK_Left),
                       upKey = XKeysymToKeycode(other, XK_Up);

    // Another client holds one variant of Super+Alt+Right: refused, named once, and the three
    // variants the service had taken are released. The function key has no X modifier.
    ASSERT_EQ(freeGrabs(other, rightKey, {base | LockMask | Mod2Mask}, true), 1);
    EXPECT_FALSE(service.registerHotKey(124, superAlt, {zntr, 1}));
    EXPECT_FALSE(service.registerHotKey(124, superAlt, {zntr, 2}));
    EXPECT_EQ(freeGrabs(other, rightKey), 4); // its own grab is free to the holder
    EXPECT_FALSE(service.registerHotKey(123, 0x20900, {zntr, 3}));
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0].message,
              "hot key Super+Alt+Right refused: another program has taken it");

    const auto left = service.registerHotKey(123, superAlt, {zntr, 4}).value();
    EXPECT_EQ(freeGrabs(other, leftKey), 0);
    EXPECT_EQ(freeGrabs(other, leftKey, {Mod4Mask}), 1); // Super alone is another combination
    // The refused key is not reported; Alt let go before the arrow ends nothing early. Held, the
    // server repeats the press; the one release comes when the key is let go (xdotool sends it
    // twice: the second is nobody's, as the next press and release show).
    ASSERT_TRUE(keys("key super+alt+Right keydown super+alt+Left keyup alt keyup Left keyup super",
                     1, 'R'));
    ASSERT_TRUE(keys("keydown super+alt+Left", 4, 'P'));
    ASSERT_TRUE(keys("keyup Left keyup super+alt key super+alt+Left", 3, 'R'));

    // Left and Up swap keys: the grab follows Left.
    KeySym leftSym = XK_Left, upSym = XK_Up;
    XChangeKeyboardMapping(other, int(upKey), 1, &leftSym, 1);
    XChangeKeyboardMapping(other, int(leftKey), 1, &upSym, 1);
    XSync(other, False);
    ASSERT_TRUE(test::pumpUntil([&] { return freeGrabs(other, leftKey) == 4; }));
    ASSERT_TRUE(keys("key super+alt+Left", 4, 'R'));
    EXPECT_THAT(seen, ::testing::MatchesRegex("P4R4(P4){3,}R4P4R4P4R4"));

    service.unregisterHotKey(left);
    EXPECT_EQ(freeGrabs(other, upKey), 4);
    XCloseDisplay(other);
}

} // namespace
} // namespace zentrivo::platform
