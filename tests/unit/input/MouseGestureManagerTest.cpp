#include "app/input/MouseGestureManager.h"

#include "app/core/Notifications.h"
#include "tests/fakes/FakeAccessibilityPorts.h"
#include "tests/fakes/FakeCursorLocation.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeEventMonitorService.h"
#include "tests/fakes/FakeEventTapService.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeRunLoop.h"
#include "tests/fakes/RecordingReticleControl.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using namespace std::chrono_literals;
using Calls = std::vector<std::string>;
constexpr std::int64_t capsLock = 0x10000, shift = 0x20000, option = 0x80000, command = 0x100000,
                       cmdOpt = command | option, maxInt = INT64_MAX;

/// Script steps; the number is the flags, the cursor's x (y is x + 1), the button, the distance
/// (0: none), whether to perform the action, or the touch count.
// clang-format off
enum Op { flags, move, bareMove, leftDown, buttonDown, buttonDrag, buttonUp, junk, began, ended,
          selected };
// clang-format on
using Script = std::vector<std::pair<Op, std::int64_t>>;

class Coordinator : public ::testing::Test {
protected:
    Coordinator() { defaults.reticleMouseButton.set(3); }
    void start(std::int64_t touches = 0, bool trusted = true) {
        defaults.reticleFlags.set(cmdOpt);
        defaults.restToOneTouches.set(touches);
        access.trusted = trusted;
        reticle.calls.clear();
        manager = std::make_unique<MouseGestureManager>(reticle, defaults, center, monitors, taps,
                                                        loop, queue, cursor,
                                                        AccessibilityPorts{access, windows, exit});
        manager->start();
    }
    void send(EventType type, std::int64_t modifierFlags, double x, std::int64_t button = 0) {
        cursor.location = {x, x + 1};
        InputEvent e;
        e.type = type, e.modifierFlags = std::uint64_t(modifierFlags), e.buttonNumber = button;
        monitors.send(e);
    }
    void run(const Script& script) {
        // clang-format off
        for (const auto& [op, n] : script) {
            switch (op) {
            case flags: send(EventType::flagsChanged, n, 0); break;
            case move: send(EventType::mouseMoved, cmdOpt, n); break;
            case bareMove: send(EventType::mouseMoved, 0, n); break;
            case leftDown: send(EventType::leftMouseDown, cmdOpt, n); break;
            case buttonDown: send(EventType::otherMouseDown, 0, 7, n); break;
            case buttonDrag: send(EventType::otherMouseDragged, 0, 7, n); break;
            case buttonUp: send(EventType::otherMouseUp, 0, 7, n); break;
            case junk: for (const int t : {5, 12, 25}) monitors.send(EventType(t), nullptr); break;
            case began: manager->restToOneBegan(n ? std::optional<float>(n) : std::nullopt); break;
            case ended: manager->restToOneEnded(n); break;
            case selected: defaults.restToOneTouches.set(n);
                           center.post(notifications::gestureSelected); break;
            }
        }
        // clang-format on
    }

    test::FakeDefaultsDatabase db;
    Defaults defaults{db};
    NotificationCenter center;
    test::FakeEventMonitorService monitors;
    test::FakeEventTapService taps;
    test::FakeRunLoop loop;
    test::FakeMainQueue queue;
    test::FakeCursorLocation cursor;
    test::RecordingReticleControl reticle;
    test::FakeInputAccess access;
    test::FakeAccessibilityWindowFactory windows;
    test::FakeProcessExit exit;
    std::unique_ptr<MouseGestureManager> manager;
};

TEST_F(Coordinator, ModifierMatchIsExactUpToCapsLock) {
    // Device-dependent bits and anything above 32 bits are ignored; caps lock inside the set is
    // then required, never turned into a carry; a set that is zero or negative matches nothing.
    // clang-format off
    const std::tuple<std::int64_t, std::int64_t, bool> cases[] = {
        {cmdOpt, cmdOpt, true}, {cmdOpt, cmdOpt | capsLock, true}, {cmdOpt, cmdOpt | 0x100, true},
        {cmdOpt, cmdOpt | (std::int64_t{1} << 40), true}, {cmdOpt, cmdOpt | shift, false},
        {cmdOpt, command, false}, {cmdOpt, 0, false}, {0, 0, false}, {0, cmdOpt, false},
        {command | capsLock, command | capsLock, true}, {command | capsLock, command, false},
        {-cmdOpt, cmdOpt, false}, {-maxInt - 1, 0x80000000, false},
    };
    // clang-format on
    start();
    for (const auto& [reticleFlags, eventFlags, match] : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << reticleFlags << " / " << eventFlags);
        defaults.reticleFlags.set(reticleFlags);
        InputEvent e;
        e.modifierFlags = static_cast<std::uint64_t>(eventFlags);
        EXPECT_EQ(manager->modifiersMatch(e), match);
    }
}

TEST_F(Coordinator, TriggersShowSteerAndDismissTheReticle) {
    // The first key alone is no match yet: a harmless dismiss. Clicks only steer; caps lock keeps
    // the match and shows again; once ended no movement monitor is left.
    // clang-format off
    // Each row: what, touch count, movement monitor running at the end, script, reticle calls.
    const std::tuple<const char*, std::int64_t, bool, Script, Calls> cases[] = {
        {"modifiers", 0, false, {{flags, command}, {flags, cmdOpt}, {move, 10}, {leftDown, 11},
         {flags, cmdOpt | capsLock}, {flags, cmdOpt | shift}, {bareMove, 12}},
         {"dismiss perform", "show", "moved 10,11", "moved 11,12", "show", "dismiss perform"}},
        {"unseen release", 0, false, {{flags, cmdOpt}, {bareMove, 5}}, {"show", "dismiss perform"}},
        {"button during modifiers, junk", 0, true,
         {{flags, cmdOpt}, {buttonDown, 2}, {buttonDrag, 2}, {buttonUp, 2}, {junk, 0}}, {"show"}},
        {"modifiers during a button", 0, false, {{buttonDown, 2}, {flags, shift}, {buttonUp, 2}},
         {"show", "dismiss perform", "dismiss perform"}},
        {"gesture", 3, false, {{began, 0}, {bareMove, 1}, {ended, 1}, {began, 40}, {ended, 0}},
         {"show", "moved 1,2", "dismiss perform", "show 40", "dismiss cancel"}},
        {"modifiers during a gesture", 3, false, {{began, 0}, {flags, shift}, {ended, 1}},
         {"show", "dismiss perform", "dismiss perform"}},
        {"gesture switched off", 3, false, {{began, 0}, {selected, 0}, {bareMove, 1}},
         {"show", "dismiss perform"}},
    };
    // clang-format on
    for (const auto& [what, touches, monitoring, script, calls] : cases) {
        SCOPED_TRACE(what);
        start(touches);
        run(script);
        EXPECT_EQ(reticle.calls, calls);
        EXPECT_EQ(monitors.countWithMask(MouseGestureManager::moveMask) == 2, monitoring);
    }
}

TEST_F(Coordinator, MouseButtonNumberIsOneBased) {
    // clang-format off
    const std::tuple<std::int64_t, std::int64_t, bool> cases[] = {
        {3, 2, true}, {5, 4, true}, {3, 3, false}, {4, 2, false}, {0, -1, false}, {-1, -2, false},
        {-maxInt - 1, maxInt, false}};
    // clang-format on
    for (const auto& [setting, number, reacts] : cases) {
        SCOPED_TRACE(testing::Message() << setting << " / " << number);
        defaults.reticleMouseButton.set(setting);
        start();
        run({{buttonDown, number}, {buttonDrag, number}, {buttonUp, number}});
        EXPECT_EQ(reticle.calls,
                  (reacts ? Calls{"show", "moved 7,8", "dismiss perform"} : Calls{}));
    }
}

TEST_F(Coordinator, GestureSelectionStartsATapThatFeedsTheRecognizerAndStopsIt) {
    taps.permitted = false;
    start();
    run({{selected, 3}});
    EXPECT_FALSE(manager->isGestureTapActive());
    taps.permitted = true;
    run({{selected, 3}}); // a tap that could not be made is tried again
    ASSERT_TRUE(manager->isGestureTapActive());
    EXPECT_EQ(taps.latest()->mask, MouseGestureManager::gestureMask);
    run({{selected, 4}});
    EXPECT_EQ(taps.createAttempts, 2); // the running tap is left alone

    InputEvent rest;
    rest.type = EventType::gesture;
    rest.touches.assign(4, Touch{1, touchPhaseStationary, 0.5, 0.5, 100, 80});
    taps.latest()->deliver(rest);
    loop.runOnce(); // served by the main loop
    queue.runUntilIdle();
    EXPECT_EQ(manager->recognizer().state(), RestToOneRecognizer::State::resting);
    EXPECT_EQ(manager->recognizer().delegate, manager.get());

    run({{selected, 0}});
    EXPECT_FALSE(manager->isGestureTapActive());
    EXPECT_TRUE(taps.live.empty());
    EXPECT_TRUE(windows.windows.empty()); // trusted: no prompt at any point
}

TEST_F(Coordinator, PermissionGrantedAfterTheGestureWasSwitchedOffStartsNoTap) {
    start(3, false);
    access.trusted = true;
    queue.advance(300ms); // granted while the gesture is on: the tap starts, the prompt goes
    EXPECT_TRUE(manager->isGestureTapActive());
    EXPECT_TRUE(windows.windows[0].destroyed);

    access.trusted = false;
    run({{selected, 0}, {selected, 3}, {selected, 4}}); // the new prompt replaces the first
    ASSERT_EQ(windows.windows.size(), 3u);
    EXPECT_TRUE(windows.windows[1].destroyed);
    EXPECT_EQ(queue.pendingCount(), 1u); // one polling loop
    run({{selected, 0}});
    access.trusted = true;
    queue.advance(300ms);
    EXPECT_EQ(taps.createAttempts, 1);
    EXPECT_FALSE(manager->isPermissionPending());

    manager.reset(); // removes every monitor and observer
    EXPECT_TRUE(monitors.monitors.empty());
    access.trusted = false;
    run({{selected, 3}});
    EXPECT_EQ(windows.windows.size(), 3u);
}

} // namespace
} // namespace zentrivo
