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

constexpr std::uint32_t right = 124, left = 123, superAlt = 0x900;
constexpr unsigned int base = Mod4Mask | Mod1Mask;
// Mod2 is Num Lock in the server's default keymap.
const std::vector<unsigned int> variants = {base, base | LockMask, base | Mod2Mask,
                                            base | LockMask | Mod2Mask};

int lastError = Success;
int recordError(Display*, XErrorEvent* error) {
    lastError = error->error_code;
    return 0;
}

/// Another X client, taking and releasing the same combinations the service does.
class OtherClient {
public:
    OtherClient() : display(XOpenDisplay(nullptr)) { XSetErrorHandler(recordError); }
    ~OtherClient() { XCloseDisplay(display); }

    unsigned int keyCode(KeySym keysym) { return XKeysymToKeycode(display, keysym); }
    /// Whether the server lets this client grab the combination; a grab taken is kept.
    bool grab(unsigned int keyCode, unsigned int modifiers) {
        lastError = Success;
        XGrabKey(display, static_cast<int>(keyCode), modifiers, DefaultRootWindow(display), False,
                 GrabModeAsync, GrabModeAsync);
        XSync(display, False);
        return lastError == Success;
    }
    void ungrab(unsigned int keyCode, unsigned int modifiers) {
        XUngrabKey(display, static_cast<int>(keyCode), modifiers, DefaultRootWindow(display));
        XSync(display, False);
    }
    /// Whether every variant is free: each is grabbed and released again.
    bool allFree(unsigned int keyCode) {
        for (const unsigned int modifiers : variants) {
            if (!grab(keyCode, modifiers))
                return false;
            ungrab(keyCode, modifiers);
        }
        return true;
    }
    /// Whether no variant can be grabbed.
    bool noneFree(unsigned int keyCode) {
        for (const unsigned int modifiers : variants)
            if (grab(keyCode, modifiers)) {
                ungrab(keyCode, modifiers);
                return false;
            }
        return true;
    }

    Display* display;
};

using Seen = std::vector<std::pair<std::uint32_t, std::uint32_t>>; // kind, id

struct Session {
    Session() {
        service.setEventHandler([this](const HotKeyEvent* event) {
            seen.emplace_back(event->kind, event->hotKeyId->id);
            return HotKeyEventResult::handled;
        });
    }
    /// Runs xdotool and waits for `count` events in all.
    bool keys(const std::string& words, std::size_t count) {
        if (std::system(("xdotool " + words).c_str()) != 0)
            return false;
        return test::pumpUntil([&] { return seen.size() >= count; });
    }

    test::RecordingLog log;
    X11HotKeyService service{log};
    Seen seen;
};

constexpr std::uint32_t pressed = 5, released = 6;

TEST(X11HotKeyServiceTest, grabsEveryLockVariantReportsPressRepeatsAndOneReleaseAndLetsGo) {
    OtherClient other;
    Session session;
    const auto ref = session.service.registerHotKey(right, superAlt, {0x5A4E5452, 7});
    ASSERT_TRUE(ref);
    const unsigned int rightKey = other.keyCode(XK_Right);
    EXPECT_TRUE(other.noneFree(rightKey));
    // Super alone is another combination.
    EXPECT_TRUE(other.grab(rightKey, Mod4Mask));
    other.ungrab(rightKey, Mod4Mask);

    ASSERT_TRUE(session.keys("key super+alt+Right", 2));
    EXPECT_EQ(session.seen, (Seen{{pressed, 7}, {released, 7}}));
    // Caps Lock on changes nothing; the Alt released before the arrow ends nothing early.
    ASSERT_TRUE(session.keys("key Caps_Lock keydown super+alt+Right keyup alt keyup Right keyup "
                             "super key Caps_Lock",
                             4));
    EXPECT_EQ(session.seen, (Seen{{pressed, 7}, {released, 7}, {pressed, 7}, {released, 7}}));

    // Held: the server repeats the press; the one release comes when the key is let go (xdotool
    // sends it twice: the second is nobody's, as the next press and release show).
    session.seen.clear();
    ASSERT_TRUE(session.keys("keydown super+alt+Right", 3));
    ASSERT_TRUE(test::pumpUntil([&] { return session.seen.size() >= 3; }));
    ASSERT_TRUE(session.keys("keyup Right keyup super+alt", session.seen.size() + 1));
    Seen held(session.seen.size() - 1, {pressed, 7});
    held.emplace_back(released, 7);
    EXPECT_EQ(session.seen, held);
    session.seen.clear();
    ASSERT_TRUE(session.keys("key super+alt+Right", 2));
    EXPECT_EQ(session.seen, (Seen{{pressed, 7}, {released, 7}}));

    session.service.unregisterHotKey(*ref);
    EXPECT_TRUE(other.allFree(rightKey));
    EXPECT_TRUE(session.log.lines.empty());
}

TEST(X11HotKeyServiceTest, aVariantAnotherClientHoldsRefusesTheKeyReleasesTheRestAndLogsOnce) {
    OtherClient other;
    Session session;
    const unsigned int rightKey = other.keyCode(XK_Right);
    ASSERT_TRUE(other.grab(rightKey, base | LockMask | Mod2Mask));
    EXPECT_FALSE(session.service.registerHotKey(right, superAlt, {0x5A4E5452, 1}));
    EXPECT_FALSE(session.service.registerHotKey(right, superAlt, {0x5A4E5452, 2}));
    ASSERT_EQ(session.log.lines.size(), 1u);
    EXPECT_EQ(session.log.lines[0].message,
              "hot key Super+Alt+Right refused: another program has taken it");
    // The variants the service took before the refusal are released.
    for (const unsigned int modifiers : {base, base | LockMask, base | Mod2Mask}) {
        EXPECT_TRUE(other.grab(rightKey, modifiers)) << modifiers;
        other.ungrab(rightKey, modifiers);
    }
    // The other keys work.
    ASSERT_TRUE(session.service.registerHotKey(left, superAlt, {0x5A4E5452, 3}));
    ASSERT_TRUE(session.keys("key super+alt+Right key super+alt+Left", 2));
    EXPECT_EQ(session.seen, (Seen{{pressed, 3}, {released, 3}}));
    // The function key has no X modifier.
    EXPECT_FALSE(session.service.registerHotKey(right, 0x20900, {0x5A4E5452, 4}));
    EXPECT_EQ(session.log.lines.back().message,
              "hot key Right with modifiers 0x20900 refused: only command, option, control and "
              "shift have X modifiers");
    // Once the other client lets go, the key can be had.
    other.ungrab(rightKey, base | LockMask | Mod2Mask);
    EXPECT_TRUE(session.service.registerHotKey(right, superAlt, {0x5A4E5452, 5}));
}

TEST(X11HotKeyServiceTest, aKeymapChangeMovesTheGrabToTheKeyNowBearingTheKeysym) {
    OtherClient other;
    Session session;
    ASSERT_TRUE(session.service.registerHotKey(right, superAlt, {0x5A4E5452, 9}));
    const unsigned int oldKey = other.keyCode(XK_Right);
    // Right moves to a key code that has no symbol.
    int minCode = 0, maxCode = 0, width = 0;
    XDisplayKeycodes(other.display, &minCode, &maxCode);
    KeySym* map = XGetKeyboardMapping(other.display, static_cast<KeyCode>(minCode),
                                      maxCode - minCode + 1, &width);
    int newKey = maxCode;
    while (newKey > minCode && map[(newKey - minCode) * width] != NoSymbol)
        --newKey;
    XFree(map);
    ASSERT_GT(newKey, minCode);
    KeySym rightSym = XK_Right, noSymbol = NoSymbol;
    XChangeKeyboardMapping(other.display, newKey, 1, &rightSym, 1);
    XChangeKeyboardMapping(other.display, static_cast<int>(oldKey), 1, &noSymbol, 1);
    XSync(other.display, False);

    ASSERT_TRUE(test::pumpUntil([&] { return other.allFree(oldKey); }));
    EXPECT_TRUE(other.noneFree(static_cast<unsigned int>(newKey)));
    ASSERT_TRUE(session.keys("key super+alt+Right", 2));
    EXPECT_EQ(session.seen, (Seen{{pressed, 9}, {released, 9}}));
}

} // namespace
} // namespace zentrivo::platform

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
