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
#include <limits>

namespace zentrivo {
namespace {

InputEvent eventOf(EventType type) {
    InputEvent e;
    e.type = type;
    return e;
}

using namespace std::chrono_literals;
using Calls = std::vector<std::string>;

constexpr std::uint64_t capsLock = 0x10000, shift = 0x20000, control = 0x40000, option = 0x80000,
                        command = 0x100000, function = 0x800000;

class Coordinator : public ::testing::Test {
protected:
    Coordinator() {
        defaults.reticleFlags.set(static_cast<std::int64_t>(command | option));
        defaults.reticleMouseButton.set(3);
        defaults.restToOneTouches.set(0);
        access.trusted = true;
    }

    MouseGestureManager& start() {
        make();
        manager->start();
        return *manager;
    }
    void make() {
        manager = std::make_unique<MouseGestureManager>(reticle, defaults, center, monitors, taps,
                                                        loop, queue, cursor,
                                                        AccessibilityPorts{access, windows, exit});
    }

    void flags(std::uint64_t modifierFlags) {
        InputEvent e = eventOf(EventType::flagsChanged);
        e.modifierFlags = modifierFlags;
        monitors.send(e);
    }
    void move(double x, double y, std::uint64_t modifierFlags = command | option,
              EventType type = EventType::mouseMoved) {
        cursor.location = {x, y};
        InputEvent e = eventOf(type);
        e.modifierFlags = modifierFlags;
        monitors.send(e);
    }
    void button(EventType type, std::int64_t buttonNumber, double x = 0, double y = 0) {
        cursor.location = {x, y};
        InputEvent e = eventOf(type);
        e.buttonNumber = buttonNumber;
        monitors.send(e);
    }
    void selectGesture(std::int64_t touches) {
        defaults.restToOneTouches.set(touches);
        center.post(notifications::gestureSelected);
    }
    bool moveMonitorRunning() const {
        return monitors.countWithMask(MouseGestureManager::moveMask) == 2;
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
    struct Case {
        std::int64_t reticleFlags;
        std::uint64_t eventFlags;
        bool match;
    };
    const std::int64_t cmdOpt = static_cast<std::int64_t>(command | option);
    const Case cases[] = {
        {cmdOpt, command | option, true},
        {cmdOpt, command | option | capsLock, true},
        {cmdOpt, command | option | 0x100, true},        // device-dependent bits are ignored
        {cmdOpt, command | option | (1ull << 40), true}, // so is anything above 32 bits
        {cmdOpt, command | option | shift, false},
        {cmdOpt, command | option | function, false},
        {cmdOpt, command, false},
        {cmdOpt, capsLock, false},
        {cmdOpt, 0, false},
        {static_cast<std::int64_t>(control), control, true},
        {static_cast<std::int64_t>(function), function | capsLock, true},
        // Caps lock inside the set is then required, never turned into a carry.
        {static_cast<std::int64_t>(command | capsLock), command | capsLock, true},
        {static_cast<std::int64_t>(command | capsLock), command, false},
        {static_cast<std::int64_t>(command | capsLock), command | shift, false},
        {0, 0, false},
        {0, command | option, false},
        {-1, 0xFFFF0000, false},
        {-static_cast<std::int64_t>(command | option), command | option, false},
        {std::numeric_limits<std::int64_t>::min(), 0x80000000, false},
    };
    make();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.reticleFlags << " / " << c.eventFlags);
        defaults.reticleFlags.set(c.reticleFlags);
        InputEvent e = eventOf(EventType::flagsChanged);
        e.modifierFlags = c.eventFlags;
        EXPECT_EQ(manager->modifiersMatch(e), c.match);
    }
}

TEST_F(Coordinator, ModifierTriggerShowsSteersAndEndsWithTheAction) {
    start();
    flags(command); // first key: no match yet, which is a harmless dismiss
    EXPECT_FALSE(moveMonitorRunning());
    flags(command | option);
    EXPECT_TRUE(manager->isMonitoringMove());
    EXPECT_TRUE(moveMonitorRunning());
    move(10, 20);
    move(11, 21, command | option, EventType::leftMouseDown); // a click only steers
    move(12, 22, command | option, EventType::rightMouseDown);
    flags(command | option | capsLock); // still a match: re-centres
    flags(command | option | capsLock | shift);
    EXPECT_EQ(reticle.take(), (Calls{"dismiss perform", "show", "moved 10,20", "moved 11,21",
                                     "moved 12,22", "show", "dismiss perform"}));
    EXPECT_FALSE(manager->isMonitoringMove());
    EXPECT_FALSE(moveMonitorRunning());
    move(13, 23, 0);
    EXPECT_TRUE(reticle.take().empty()); // no movement monitor any more
}

TEST_F(Coordinator, ReleasingEitherModifierEndsTheReticle) {
    for (const std::uint64_t left : {command, option}) {
        SCOPED_TRACE(left);
        start();
        flags(command | option);
        flags(left);
        EXPECT_EQ(reticle.take(), (Calls{"show", "dismiss perform"}));
        EXPECT_FALSE(moveMonitorRunning());
    }
}

TEST_F(Coordinator, ZeroOrNegativeFlagsTurnTheModifierTriggerOff) {
    for (const std::int64_t stored : {std::int64_t{0}, std::int64_t{-0x180000}}) {
        defaults.reticleFlags.set(stored);
        start();
        flags(command | option);
        flags(0);
        EXPECT_EQ(reticle.take(), (Calls{"dismiss perform", "dismiss perform"}));
        EXPECT_FALSE(manager->isMonitoringMove());
    }
}

TEST_F(Coordinator, MovementAfterATriggerEndedUnseenClosesTheReticle) {
    start();
    flags(command | option);
    move(5, 5, 0); // the release never reached us as a flags change
    EXPECT_EQ(reticle.take(), (Calls{"show", "dismiss perform"}));
    EXPECT_FALSE(manager->isMonitoringMove());
    EXPECT_FALSE(moveMonitorRunning());
}

TEST_F(Coordinator, MouseButtonNumberIsOneBased) {
    struct Case {
        std::int64_t setting;
        std::int64_t buttonNumber;
        bool reacts;
    };
    const Case cases[] = {
        {3, 2, true},
        {4, 3, true},
        {5, 4, true},
        {3, 3, false},
        {4, 2, false},
        {-1, -2, false},
        {std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max(), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.setting << " / " << c.buttonNumber);
        defaults.reticleMouseButton.set(c.setting);
        start();
        button(EventType::otherMouseDown, c.buttonNumber);
        button(EventType::otherMouseDragged, c.buttonNumber, 7, 8);
        button(EventType::otherMouseUp, c.buttonNumber);
        EXPECT_EQ(reticle.take(),
                  c.reacts ? (Calls{"show", "moved 7,8", "dismiss perform"}) : Calls{});
        EXPECT_FALSE(manager->isMonitoringMove());
        EXPECT_FALSE(moveMonitorRunning());
    }
}

TEST_F(Coordinator, ButtonMonitorStartsOnlyWhenConfiguredAtStart) {
    defaults.reticleMouseButton.set(0);
    start();
    EXPECT_EQ(monitors.countWithMask(MouseGestureManager::clickMask), 0);
    defaults.reticleMouseButton.set(3);
    button(EventType::otherMouseDown, 2);
    EXPECT_TRUE(reticle.take().empty());
}

TEST_F(Coordinator, ButtonIsIgnoredWhileTheModifierTriggerHolds) {
    start();
    flags(command | option);
    button(EventType::otherMouseDown, 2);
    button(EventType::otherMouseDragged, 2, 3, 4);
    button(EventType::otherMouseUp, 2);
    EXPECT_EQ(reticle.take(), (Calls{"show"}));
    flags(0);
    EXPECT_EQ(reticle.take(), (Calls{"dismiss perform"}));
}

TEST_F(Coordinator, ModifierChangeEndsAButtonTrigger) {
    start();
    button(EventType::otherMouseDown, 2);
    flags(shift);
    button(EventType::otherMouseUp, 2); // nothing left to end; the reticle makes it harmless
    EXPECT_EQ(reticle.take(), (Calls{"show", "dismiss perform", "dismiss perform"}));
}

TEST_F(Coordinator, UndecodableEventsAreIgnored) {
    start();
    monitors.sendUndecodable(EventType::flagsChanged);
    monitors.sendUndecodable(EventType::otherMouseDown);
    flags(command | option);
    monitors.sendUndecodable(EventType::mouseMoved);
    EXPECT_EQ(reticle.take(), (Calls{"show"}));
}

TEST_F(Coordinator, GestureTriggerKeepsTheReticleWithoutModifiers) {
    defaults.restToOneTouches.set(3);
    start();
    manager->restToOneBegan(std::nullopt);
    EXPECT_TRUE(manager->isGestureTriggered());
    EXPECT_TRUE(moveMonitorRunning());
    move(1, 2, 0);
    move(3, 4, 0);
    manager->restToOneEnded(true);
    EXPECT_EQ(reticle.take(), (Calls{"show", "moved 1,2", "moved 3,4", "dismiss perform"}));
    EXPECT_FALSE(manager->isGestureTriggered());
    EXPECT_FALSE(moveMonitorRunning());

    // The command URLs pass their own distance and executing flag through.
    manager->restToOneBegan(40.0f);
    manager->restToOneEnded(false);
    EXPECT_EQ(reticle.take(), (Calls{"show 40", "dismiss cancel"}));
}

TEST_F(Coordinator, FlagsChangeDuringTheGestureDismissesButLeavesItTriggered) {
    defaults.restToOneTouches.set(3);
    start();
    manager->restToOneBegan(std::nullopt);
    flags(shift);
    EXPECT_FALSE(manager->isMonitoringMove());
    EXPECT_FALSE(moveMonitorRunning());
    EXPECT_TRUE(manager->isGestureTriggered());
    manager->restToOneEnded(true);
    EXPECT_EQ(reticle.take(), (Calls{"show", "dismiss perform", "dismiss perform"}));
}

TEST_F(Coordinator, WithTheGestureOffMovementEndsEvenATriggeredGesture) {
    defaults.restToOneTouches.set(3);
    start();
    manager->restToOneBegan(std::nullopt);
    defaults.restToOneTouches.set(0);
    move(1, 1, 0);
    EXPECT_EQ(reticle.take(), (Calls{"show", "dismiss perform"}));
    EXPECT_FALSE(moveMonitorRunning());
}

TEST_F(Coordinator, GestureSelectionStartsAndStopsTheTap) {
    start();
    EXPECT_FALSE(manager->isGestureTapActive());
    EXPECT_EQ(taps.createAttempts, 0);

    selectGesture(3);
    EXPECT_TRUE(manager->isGestureTapActive());
    ASSERT_NE(taps.latest(), nullptr);
    EXPECT_EQ(taps.latest()->mask(), MouseGestureManager::gestureMask);
    EXPECT_EQ(loop.sourceCount(), 1); // served by the main loop

    selectGesture(4);
    EXPECT_EQ(taps.createAttempts, 1); // the running tap is left alone

    selectGesture(0);
    EXPECT_FALSE(manager->isGestureTapActive());
    EXPECT_EQ(taps.liveCount(), 0);
    EXPECT_TRUE(windows.windows.empty()); // trusted: no prompt at any point
}

TEST_F(Coordinator, TrackpadGestureDrivesTheReticleEndToEnd) {
    defaults.restToOneTouches.set(2);
    start();
    ASSERT_TRUE(manager->isGestureTapActive());
    const auto finger = [](std::uint64_t id, std::uint32_t phase) {
        return Touch{id, phase, 0.5, 0.5, 100, 80};
    };
    const auto frame = [&](double t, std::vector<Touch> touches) {
        InputEvent e = eventOf(EventType::gesture);
        e.timestamp = t;
        e.touches = std::move(touches);
        taps.latest()->deliver(e);
        loop.runOnce();
        queue.runUntilIdle();
    };
    frame(1.0, {finger(1, touchPhaseBegan), finger(2, touchPhaseBegan)});
    frame(1.25, {finger(1, touchPhaseStationary), finger(2, touchPhaseStationary)});
    frame(1.5, {finger(1, touchPhaseEnded), finger(2, touchPhaseStationary)});
    frame(1.75, {finger(2, touchPhaseMoved)});
    EXPECT_TRUE(manager->isGestureTriggered());
    move(30, 40, 0);
    frame(2.0, {finger(2, touchPhaseEnded)});
    EXPECT_EQ(reticle.take(), (Calls{"show", "moved 30,40", "dismiss perform"}));
    EXPECT_FALSE(manager->isMonitoringMove());
}

TEST_F(Coordinator, PermissionPromptStartsTheTapOnceGranted) {
    access.trusted = false;
    defaults.restToOneTouches.set(3);
    start();
    EXPECT_FALSE(manager->isGestureTapActive());
    EXPECT_TRUE(manager->isPermissionPending());
    ASSERT_EQ(windows.windows.size(), 1u);
    const auto& prompt = *windows.windows[0];
    EXPECT_EQ(prompt.content.message, MouseGestureManager::accessibilityMessage);
    EXPECT_EQ(prompt.content.closeBehavior, CloseBehavior::closable);
    EXPECT_FALSE(prompt.content.appName.has_value());
    EXPECT_FALSE(prompt.content.icon.has_value());
    EXPECT_TRUE(prompt.visible());

    // The other triggers work meanwhile.
    flags(command | option);
    flags(0);
    EXPECT_EQ(reticle.take(), (Calls{"show", "dismiss perform"}));

    queue.advance(900ms);
    EXPECT_FALSE(manager->isGestureTapActive());
    access.trusted = true;
    queue.advance(300ms);
    EXPECT_TRUE(manager->isGestureTapActive());
    EXPECT_FALSE(manager->isPermissionPending());
    EXPECT_TRUE(prompt.destroyed);
    EXPECT_EQ(queue.pendingCount(), 0u);
}

TEST_F(Coordinator, PermissionGrantedAfterTheGestureWasSwitchedOffStartsNoTap) {
    access.trusted = false;
    start();
    selectGesture(3);
    selectGesture(4); // asks again: the new prompt replaces the first
    ASSERT_EQ(windows.windows.size(), 2u);
    EXPECT_TRUE(windows.windows[0]->destroyed);
    EXPECT_TRUE(windows.windows[1]->visible());
    EXPECT_EQ(queue.pendingCount(), 1u); // one polling loop

    selectGesture(0);
    access.trusted = true;
    queue.advance(300ms);
    EXPECT_FALSE(manager->isGestureTapActive());
    EXPECT_EQ(taps.createAttempts, 0);
    EXPECT_FALSE(manager->isPermissionPending());
}

TEST_F(Coordinator, TapThatCannotBeCreatedIsRetriedOnTheNextSelection) {
    taps.permitted = false;
    defaults.restToOneTouches.set(3);
    start();
    EXPECT_FALSE(manager->isGestureTapActive());
    taps.permitted = true;
    selectGesture(3);
    EXPECT_TRUE(manager->isGestureTapActive());
}

TEST_F(Coordinator, DestructionRemovesEveryMonitorAndObserver) {
    defaults.restToOneTouches.set(3);
    start();
    flags(command | option);
    manager.reset();
    EXPECT_EQ(monitors.globalCount() + monitors.localCount(), 0);
    EXPECT_EQ(taps.liveCount(), 0);
    center.post(notifications::gestureSelected);
    EXPECT_EQ(taps.createAttempts, 1);
}

} // namespace
} // namespace zentrivo
