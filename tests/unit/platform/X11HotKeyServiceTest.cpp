// The X11 hot-key service against a real X server (a private Xvfb, see run-under-xvfb.sh): its
// grabs are checked by another client trying the same combinations, its events by XTest keys.
#include "platform/linux/X11HotKeyService.h"

#include "EventLoopWait.h"
#include "tests/fakes/RecordingLog.h"

#include <QCoreApplication>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>
// After gtest, which has a type called None: X.h defines None as a macro.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace zentrivo::platform {
namespace {

constexpr std::uint32_t pressed = 5, released = 6, superAlt = 0x900, zntr = 0x5A4E5452;
constexpr unsigned int base = Mod4Mask | Mod1Mask; // Mod2 is Num Lock in the server's keymap
const std::vector<unsigned int> variants = {base, base | LockMask, base | Mod2Mask,
                                            base | LockMask | Mod2Mask};
using Seen = std::vector<std::pair<std::uint32_t, std::uint32_t>>; // kind, id

int lastError = Success;
int recordError(Display*, XErrorEvent* error) {
    lastError = error->error_code;
    return 0;
}

/// Whether another client may grab the combination; `keep` holds it if so.
bool grab(Display* other, unsigned int keyCode, unsigned int modifiers, bool keep = false) {
    lastError = Success;
    const Window root = DefaultRootWindow(other);
    XGrabKey(other, static_cast<int>(keyCode), modifiers, root, False, GrabModeAsync,
             GrabModeAsync);
    XSync(other, False);
    if (lastError == Success && !keep)
        XUngrabKey(other, static_cast<int>(keyCode), modifiers, root);
    XSync(other, False);
    return lastError == Success;
}

/// How many of the four variants another client may grab.
int freeVariants(Display* other, unsigned int keyCode) {
    int free = 0;
    for (const unsigned int modifiers : variants)
        free += grab(other, keyCode, modifiers);
    return free;
}

struct Session {
    Session() {
        XSetErrorHandler(recordError);
        service.setEventHandler([this](const HotKeyEvent* event) {
            seen.emplace_back(event->kind, event->hotKeyId->id);
            return HotKeyEventResult::handled;
        });
    }
    ~Session() { XCloseDisplay(other); }
    /// Runs xdotool and waits for `count` events in all.
    bool keys(const std::string& words, std::size_t count) {
        return std::system(("xdotool " + words).c_str()) == 0 &&
               test::pumpUntil([&] { return seen.size() >= count; });
    }

    Display* other = XOpenDisplay(nullptr);
    test::RecordingLog log;
    X11HotKeyService service{log};
    Seen seen;
};

TEST(X11HotKeyServiceTest, grabsAllLockVariantsOrNoneReportsPressRepeatsAndOneReleaseAndLetsGo) {
    Session s;
    const unsigned int rightKey = XKeysymToKeycode(s.other, XK_Right),
                       leftKey = XKeysymToKeycode(s.other, XK_Left);
    // Another client holds one variant of Super+Alt+Right: refused, named once, and the three
    // variants the service had taken are released.
    ASSERT_TRUE(grab(s.other, rightKey, base | LockMask | Mod2Mask, true));
    EXPECT_FALSE(s.service.registerHotKey(124, superAlt, {zntr, 1}));
    EXPECT_FALSE(s.service.registerHotKey(124, superAlt, {zntr, 2}));
    EXPECT_EQ(freeVariants(s.other, rightKey), 4); // its own grab is free to the holder
    // The function key has no X modifier.
    EXPECT_FALSE(s.service.registerHotKey(123, 0x20900, {zntr, 3}));
    std::vector<std::string> lines;
    for (const auto& line : s.log.lines)
        lines.push_back(line.message);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "hot key Super+Alt+Right refused: another program has taken it",
                         "hot key Left with modifiers 0x20900 refused: only command, option, "
                         "control and shift have X modifiers"}));

    const auto left = s.service.registerHotKey(123, superAlt, {zntr, 4});
    ASSERT_TRUE(left);
    EXPECT_EQ(freeVariants(s.other, leftKey), 0);
    EXPECT_TRUE(grab(s.other, leftKey, Mod4Mask)); // Super alone is another combination
    // The refused key is not reported; Alt let go before the arrow ends nothing early.
    ASSERT_TRUE(
        s.keys("key super+alt+Right keydown super+alt+Left keyup alt keyup Left keyup super", 2));
    EXPECT_EQ(s.seen, (Seen{{pressed, 4}, {released, 4}}));

    // Held, the server repeats the press; the one release comes when the key is let go (xdotool
    // sends it twice: the second is nobody's, as the next press and release show).
    s.seen.clear();
    ASSERT_TRUE(s.keys("keydown super+alt+Left", 3));
    ASSERT_TRUE(s.keys("keyup Left keyup super+alt", s.seen.size() + 1));
    Seen held(s.seen.size() - 1, {pressed, 4});
    held.emplace_back(released, 4);
    ASSERT_TRUE(s.keys("key super+alt+Left", s.seen.size() + 2));
    held.insert(held.end(), {{pressed, 4}, {released, 4}});
    EXPECT_EQ(s.seen, held);

    s.service.unregisterHotKey(*left);
    EXPECT_EQ(freeVariants(s.other, leftKey), 4);
}

TEST(X11HotKeyServiceTest, aKeymapChangeMovesTheGrabToTheKeyNowBearingTheKeysym) {
    Session s;
    ASSERT_TRUE(s.service.registerHotKey(124, superAlt, {zntr, 9}));
    const unsigned int oldKey = XKeysymToKeycode(s.other, XK_Right);
    // Right moves to the highest key code that has no symbol.
    int minCode = 0, newKey = 0, width = 0;
    XDisplayKeycodes(s.other, &minCode, &newKey);
    KeySym* map =
        XGetKeyboardMapping(s.other, static_cast<KeyCode>(minCode), newKey - minCode + 1, &width);
    while (newKey > minCode && map[(newKey - minCode) * width] != NoSymbol)
        --newKey;
    XFree(map);
    KeySym rightSym = XK_Right, noSymbol = NoSymbol;
    XChangeKeyboardMapping(s.other, newKey, 1, &rightSym, 1);
    XChangeKeyboardMapping(s.other, static_cast<int>(oldKey), 1, &noSymbol, 1);
    XSync(s.other, False);

    ASSERT_TRUE(test::pumpUntil([&] { return freeVariants(s.other, oldKey) == 4; }));
    EXPECT_EQ(freeVariants(s.other, static_cast<unsigned int>(newKey)), 0);
    ASSERT_TRUE(s.keys("key super+alt+Right", 2));
    EXPECT_EQ(s.seen, (Seen{{pressed, 9}, {released, 9}}));
}

} // namespace
} // namespace zentrivo::platform

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
