#include "app/input/MouseGestureManager.h"

#include "app/core/Notifications.h"
#include "tests/fakes/FakeAccessibilityPorts.h"
#include "tests/fakes/FakeCursorLocation.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeEventMonitorService.h"
#include "tests/fakes/FakeEventTapService.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/RecordingReticleControl.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using namespace std::chrono_literals;
using Calls = std::vector<std::string>;
constexpr std::int64_t capsLock = 0x10000, shift = 0x20000, option = 0x80000, command = 0x100000,
                       cmdOpt = command | option;

/// Script steps; the number is the flags, the cursor's x (y is x + 1), the button, the distance
/// (0: none), whether to perform the action, or the touch count.
// clang-format off
enum Op { flags, move, bareMove, leftDown, buttonDown, buttonDrag, buttonUp, junk, began, ended,
          selected };
// clang-format on
using Script = std::vector<std::pair<Op, std::int64_t>>;

class Coordinator : public ::testing::Test {
protected:
    void start(std::int64_t touches = 0, bool trusted = true, std::int64_t button = 3) {
        defaults.reticleFlags.set(cmdOpt);
        defaults.restToOneTouches.set(touches);
        defaults.reticleMouseButton.set(button);
        access.trusted = trusted;
        reticle.calls.clear();
        manager = std::make_unique<MouseGestureManager>(reticle, defaults, center, monitors, taps,
                                                        loop, queue, cursor,
                                                        AccessibilityPorts{access, windows, exit});
        manager->start();
    }
    void send(EventType type, std::int64_t modifierFlags, double x, std::int64_t button = 0) {
        cursor.location = {x, x + 1};
        monitors.send(
            {.type = type, .modifierFlags = std::uint64_t(modifierFlags), .buttonNumber = button});
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
    /// One trackpad frame through the gesture tap, a touch per phase (4 resting, 8 lifted).
    void frame(double timestamp, std::vector<std::uint32_t> phases) {
        InputEvent e{.type = EventType::gesture, .timestamp = timestamp};
        for (const auto phase : phases)
            e.touches.push_back(Touch{e.touches.size(), phase, 0.5, 0.5, 100, 80});
        taps.latest()->deliver(e);
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
    // Only bits 16 to 31 count; caps lock inside the set is then required, never turned into a
    // carry; a set of 0 matches nothing, not even caps lock alone.
    // clang-format off
    const std::tuple<std::int64_t, std::int64_t, bool> cases[] = {
        {cmdOpt, cmdOpt, true}, {cmdOpt, cmdOpt | capsLock, true}, {cmdOpt, cmdOpt | 0xFFFF, true},
        {cmdOpt, cmdOpt | (std::int64_t{1} << 32), true}, {cmdOpt, cmdOpt | 0x80000000, false},
        {cmdOpt, cmdOpt | shift, false}, {cmdOpt, command, false},
        {command | capsLock, command | capsLock, true}, {command | capsLock, command, false},
        {0, capsLock, false}, {-cmdOpt, cmdOpt, false},
    };
    // clang-format on
    start();
    for (const auto& [reticleFlags, eventFlags, match] : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << reticleFlags << " / " << eventFlags);
        defaults.reticleFlags.set(reticleFlags);
        EXPECT_EQ(manager->modifiersMatch({.modifierFlags = std::uint64_t(eventFlags)}), match);
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
        // two each for the modifier and the button trigger, two more while steering
        EXPECT_EQ(monitors.monitors.size(), monitoring ? 6u : 4u);
    }
}

TEST_F(Coordinator, MouseButtonSettingIsOneMoreThanTheButtonNumber) {
    // clang-format off
    const std::tuple<std::int64_t, std::int64_t, bool> cases[] = {
        {3, 2, true}, {3, 3, false}, {3, 1, false}, {-1, -2, false}, {INT64_MIN, INT64_MAX, false}};
    // clang-format on
    for (const auto& [setting, number, reacts] : cases) {
        SCOPED_TRACE(testing::Message() << setting << " / " << number);
        start(0, true, setting);
        run({{buttonDown, number}, {buttonDrag, number}, {buttonUp, number}});
        EXPECT_EQ(reticle.calls,
                  (reacts ? Calls{"show", "moved 7,8", "dismiss perform"} : Calls{}));
    }
}

TEST_F(Coordinator, GestureTapRunsWhileSelectedAndPermittedAndFeedsTheRecognizer) {
    start(3, false);
    taps.permitted = false;
    access.trusted = true;
    queue.advance(300ms); // granted: the prompt goes, but the device cannot be read yet
    EXPECT_TRUE(windows.windows.at(0).destroyed);
    EXPECT_TRUE(taps.live.empty());
    taps.permitted = true;
    run({{selected, 3}}); // tried again, now without a prompt
    EXPECT_EQ(taps.live.size(), 1u);
    run({{selected, 4}}); // the running tap is left alone
    EXPECT_EQ(std::pair(taps.createAttempts, windows.windows.size()), std::pair(2, 1ul));

    frame(0, {4, 4, 4, 4});
    frame(0.1, {8, 8, 8, 4});
    frame(0.2, {4});
    EXPECT_TRUE(reticle.calls.empty()); // the recognizer runs on the main queue
    queue.runUntilIdle();
    EXPECT_EQ(reticle.calls, Calls{"show"});

    run({{selected, 0}});
    EXPECT_TRUE(taps.live.empty());
    access.trusted = false;
    run({{selected, 3}, {selected, 4}}); // the new prompt replaces the first
    ASSERT_EQ(windows.windows.size(), 3u);
    EXPECT_TRUE(windows.windows[1].destroyed);
    EXPECT_EQ(queue.pendingCount(), 1u); // one polling loop
    run({{selected, 0}});
    access.trusted = true;
    queue.advance(300ms); // granted after the gesture was switched off: no tap
    EXPECT_EQ(taps.createAttempts, 2);

    manager.reset(); // removes every monitor and observer
    EXPECT_TRUE(monitors.monitors.empty());
    access.trusted = false;
    run({{selected, 3}});
    EXPECT_EQ(windows.windows.size(), 3u);
}

TEST_F(Coordinator, PromptIsPolledEvery300msUntilGrantedThenClosesAndCompletesOnce) {
    AccessibilityAuth auth(access, windows, queue, exit);
    int completions = 0;
    const auto check = [&](CloseBehavior behavior, int weight) {
        return auth.check("Zentrivo", std::nullopt, "Needed.", behavior,
                          [&, weight] { completions += weight; });
    };
    EXPECT_FALSE(check(CloseBehavior::closeWillQuit, 1));
    ASSERT_EQ(windows.windows.size(), 1u);
    auto& window = windows.windows[0];
    EXPECT_EQ(window.content.message, "Needed.");
    EXPECT_EQ(window.content.closeBehavior, CloseBehavior::closeWillQuit);
    window.shown = false; // hidden meanwhile; polling goes on
    queue.advance(900ms);
    EXPECT_FALSE(check(CloseBehavior::notClosable, 10)); // its completion is not kept
    EXPECT_EQ(windows.windows.size(), 1u);               // the same window, shown again
    EXPECT_TRUE(window.shown);
    EXPECT_EQ(queue.pendingCount(), 1u); // one polling loop
    access.trusted = true;
    queue.advance(299ms); // the next poll is due 0.3 s after the last
    EXPECT_EQ(std::pair(completions, window.destroyed), std::pair(0, false));
    queue.advance(1ms);
    EXPECT_EQ(std::pair(completions, window.destroyed), std::pair(1, true));
    EXPECT_EQ(queue.pendingCount(), 0u); // polling ended
    window.quit();                       // the close button under closeWillQuit
    EXPECT_EQ(exit.statuses, std::vector{0});
}

} // namespace
} // namespace zentrivo
