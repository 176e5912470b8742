#include "app/core/Notifications.h"
#include "tests/fakes/GestureCoordinatorRig.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using namespace std::chrono_literals;
using Calls = std::vector<std::string>;
constexpr std::int64_t capsLock = 0x10000, shift = 0x20000, option = 0x80000, command = 0x100000,
                       cmdOpt = command | option, bit32 = std::int64_t{1} << 32;

/// Script steps; the number is the flags, the cursor's x (y is x + 1), the button number (the
/// cursor at 7, 8 while pressing, dragging and releasing it), the distance (0: none), whether to
/// perform the action, or the gesture's touch count.
enum Op { flags, move, leftDown, button, junk, began, ended, selected };
using Script = std::vector<std::pair<Op, std::int64_t>>;

class Coordinator : public ::testing::Test, protected test::GestureCoordinatorRig {
protected:
    Coordinator() { defaults.reticleFlags.set(cmdOpt), defaults.reticleMouseButton.set(3); }
    void run(const Script& script) {
        const auto send = [&](EventType type, std::int64_t flags, double x, std::int64_t n = 0) {
            cursor.location = {x, x + 1};
            monitors.send({.type = type, .modifierFlags = std::uint64_t(flags), .buttonNumber = n});
        };
        // clang-format off
        for (const auto& [op, n] : script) {
            switch (op) {
            case flags: send(EventType::flagsChanged, n, 0); break;
            case move: send(EventType::mouseMoved, 0, n); break;
            case leftDown: send(EventType::leftMouseDown, cmdOpt, n); break;
            case button: for (const int t : {25, 27, 26}) send(EventType(t), 0, 7, n); break;
            case junk: for (int t : {5, 12, 25}) monitors.send({EventType(t)}, false); break;
            case began: manager->restToOneBegan(n ? std::optional<float>(n) : std::nullopt); break;
            case ended: manager->restToOneEnded(n); break;
            case selected: defaults.restToOneTouches.set(n);
                           center.post(notifications::gestureSelected); break;
            }
        }
        // clang-format on
    }
};

TEST_F(Coordinator, ModifierMatchIsExactUpToCapsLock) {
    // Only bits 16 to 31 count; caps lock inside the set is then required, never turned into a
    // carry; a set of 0 matches nothing. Extra or missing modifiers: see the trigger table.
    // clang-format off
    const std::tuple<std::int64_t, std::int64_t, bool> cases[] = {
        {cmdOpt, cmdOpt | 0xFFFF, true}, {cmdOpt, cmdOpt | bit32, true}, {0, capsLock, false},
        {cmdOpt, cmdOpt | 0x80000000, false}, {command | capsLock, command | capsLock, true},
        {command | capsLock, command, false}, {command | capsLock, command | shift, false}};
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
    // the match and shows again. A trigger that ended unseen (the gesture switched off) closes at
    // the next movement; once closed, movements reach nothing. The button setting is one above
    // the button's number.
    // clang-format off
    // Each row: what, reticleMouseButton, script, reticle calls.
    const std::tuple<const char*, std::int64_t, Script, Calls> cases[] = {
        {"modifiers", 3, {{flags, command}, {flags, cmdOpt}, {leftDown, 11},
         {flags, cmdOpt | capsLock}, {flags, cmdOpt | shift}, {move, 12}},
         {"dismiss perform", "show", "moved 11,12", "show", "dismiss perform"}},
        {"button during modifiers, junk", 3, {{flags, cmdOpt}, {button, 2}, {junk, 0}}, {"show"}},
        {"gesture, modifiers during it", 3, {{selected, 3}, {began, 0}, {move, 1}, {flags, shift},
         {ended, 1}, {began, 40}, {ended, 0}, {move, 2}},
         {"show", "moved 1,2", "dismiss perform", "dismiss perform", "show 40", "dismiss cancel"}},
        {"gesture off", 3, {{selected, 3}, {began, 0}, {selected, 0}, {move, 1}, {move, 2}},
         {"show", "dismiss perform"}},
        {"button 3 is number 2", 3, {{button, 2}}, {"show", "moved 7,8", "dismiss perform"}},
        {"not 3", 3, {{button, 3}}, {}}, {"nor 1", 3, {{button, 1}}, {}},
        {"-1", -1, {{button, -2}}, {}}, {"no overflow", INT64_MIN, {{button, INT64_MAX}}, {}},
    };
    // clang-format on
    for (const auto& [what, mouseButton, script, calls] : cases) {
        SCOPED_TRACE(what);
        defaults.restToOneTouches.set(0), defaults.reticleMouseButton.set(mouseButton), start();
        run(script);
        EXPECT_EQ(reticle.calls, calls);
    }
}

TEST_F(Coordinator, GestureTapRunsWhileSelectedAndPermitted) {
    defaults.restToOneTouches.set(3), start(); // not trusted yet: a prompt, polled
    taps.permitted = false;
    access.trusted = true;
    queue.advance(300ms); // granted, but the device cannot be read yet
    taps.permitted = true;
    run({{selected, 3}, {selected, 2}}); // tried again, now without a prompt; then left alone
    EXPECT_EQ(std::tuple(taps.live.size(), taps.createAttempts, windows.made),
              std::tuple(1ul, 2, 1));

    access.trusted = false;
    // Off stops the tap; the second prompt replaces the first, polling included.
    run({{selected, 0}, {selected, 3}, {selected, 4}});
    EXPECT_EQ(std::tuple(taps.live.size(), windows.made, windows.open, queue.pendingCount()),
              std::tuple(0ul, 3, 1, 1ul));
    run({{selected, 0}});
    access.trusted = true;
    queue.advance(300ms); // granted after the gesture was switched off: no tap
    manager.reset();      // removes every monitor and observer
    run({{selected, 3}});
    EXPECT_EQ(std::pair(taps.createAttempts, monitors.monitors.size()), std::pair(2, 0ul));
}

TEST_F(Coordinator, PromptIsPolledEvery300msUntilGrantedThenClosesAndCompletesOnce) {
    AccessibilityAuth auth(access, windows, queue, exit);
    int completions = 0;
    EXPECT_FALSE(auth.check("Zentrivo", std::nullopt, "Needed.", CloseBehavior::closeWillQuit,
                            [&] { completions += 1; }));
    windows.shown = false; // hidden meanwhile; polling goes on
    queue.advance(900ms);
    // The same window is shown again, and this completion is not kept.
    EXPECT_FALSE(auth.check({}, {}, "", CloseBehavior::notClosable, [&] { completions += 10; }));
    EXPECT_EQ(std::tuple(windows.made, windows.shown, windows.behavior, queue.pendingCount()),
              std::tuple(1, true, CloseBehavior::closeWillQuit, 1ul));
    access.trusted = true;
    queue.advance(299ms); // the next poll is due 0.3 s after the last
    EXPECT_EQ(completions, 0);
    queue.advance(1ms);
    EXPECT_EQ(std::tuple(completions, windows.open, queue.pendingCount()), std::tuple(1, 0, 0ul));
    windows.quit(); // the close button under closeWillQuit
    EXPECT_EQ(exit.statuses, std::vector{0});
}

} // namespace
} // namespace zentrivo
