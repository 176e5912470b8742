#include "platform/linux/TouchpadFrameDecoder.h"

#include "app/core/Notifications.h"
#include "app/input/MouseGestureManager.h"
#include "app/input/RunLoopThread.h"
#include "platform/linux/TouchpadDevices.h"
#include "tests/fakes/FakeAccessibilityPorts.h"
#include "tests/fakes/FakeCursorLocation.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeEventMonitorService.h"
#include "tests/fakes/FakeEventTapService.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/RecordingLog.h"
#include "tests/fakes/RecordingReticleControl.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using platform::TouchpadFrameDecoder;
using platform::TouchpadGeometry;
using Texts = std::vector<std::string>;

/// One evdev event of a recorded frame: type, code, value.
struct Ev {
    unsigned type, code;
    int value;
};
/// A frame's events at a time in seconds; the decoder is fed them and then the `SYN_REPORT`.
struct Frame {
    double time;
    std::vector<Ev> events;
    unsigned end = SYN_REPORT;
};

constexpr unsigned slot = ABS_MT_SLOT, id = ABS_MT_TRACKING_ID, x = ABS_MT_POSITION_X,
                   y = ABS_MT_POSITION_Y;
/// Frames carry the device's own clock even when nothing else changed: still fingers too.
constexpr Ev tick{EV_MSC, MSC_TIMESTAMP, 0};
Ev abs(unsigned code, int value) {
    return {EV_ABS, code, value};
}
Ev key(unsigned code, int value) {
    return {EV_KEY, code, value};
}

/// A 100 × 50 mm pad, 1000 × 500 units.
TouchpadGeometry pad(int slots) {
    return {{0, 1000, 10}, {0, 500, 10}, slots};
}

/// Each gesture event as its touches, "<identity><phase>" with phases b m s e c; the extra
/// touches of a pad with too few slots show as x0, x1, ….
std::string text(const InputEvent& event) {
    std::string out;
    for (const Touch& t : event.touches) {
        out += out.empty() ? "" : " ";
        out += t.identity >= (std::uint64_t{1} << 32)
                   ? "x" + std::to_string(t.identity - (std::uint64_t{1} << 32))
                   : std::to_string(t.identity);
        out += " bm s   e       c"[t.phase];
    }
    return out;
}

/// Feeds `frames` and answers the gesture events they produce.
std::vector<InputEvent> decode(TouchpadFrameDecoder& decoder, const std::vector<Frame>& frames) {
    std::vector<InputEvent> out;
    for (const Frame& frame : frames) {
        input_event e{};
        e.input_event_sec = long(frame.time);
        e.input_event_usec = long(std::llround((frame.time - long(frame.time)) * 1e6));
        std::vector<Ev> events = frame.events;
        events.push_back({EV_SYN, frame.end, 0});
        for (const Ev& ev : events) {
            e.type = std::uint16_t(ev.type), e.code = std::uint16_t(ev.code), e.value = ev.value;
            if (auto event = decoder.feed(e))
                out.push_back(*event);
        }
    }
    return out;
}

Texts texts(const std::vector<InputEvent>& events) {
    Texts out;
    for (const auto& e : events)
        out.push_back(text(e));
    return out;
}

/// The gesture coordinator with its trackpad tap, permitted, the gesture set to three fingers.
class TouchpadTrigger : public ::testing::Test {
protected:
    void start() {
        defaults.restToOneTouches.set(3);
        manager = std::make_unique<MouseGestureManager>(
            reticle, defaults, center, monitors, taps, loop, queue, cursor,
            AccessibilityPorts{access, windows, exit, log});
        manager->start();
    }

    test::FakeDefaultsDatabase db;
    Defaults defaults{db};
    NotificationCenter center;
    test::FakeEventMonitorService monitors;
    test::FakeEventTapService taps;
    RunLoopThread loop; // never started: the fake taps deliver by themselves
    test::FakeMainQueue queue;
    test::FakeCursorLocation cursor;
    test::RecordingReticleControl reticle;
    test::FakeInputAccess access;
    test::FakeAccessibilityWindowFactory windows;
    test::FakeProcessExit exit;
    test::RecordingLog log;
    std::unique_ptr<MouseGestureManager> manager;
};

TEST_F(TouchpadTrigger, RestThreeLiftTwoStartsAndThenPerformsTheGestureOnBothKindsOfPad) {
    // Three fingers land and rest, two lift together 0.17 s later, the third steers and lifts.
    // The two-slot pad tracks two of them and counts the third only through its tool key.
    // clang-format off
    const std::vector<Frame> fivePad = {
        {1.0, {abs(slot, 0), abs(id, 10), abs(x, 100), abs(y, 100), abs(slot, 1), abs(id, 11),
                abs(x, 300), abs(y, 100), abs(slot, 2), abs(id, 12), abs(x, 500), abs(y, 100),
                key(BTN_TOUCH, 1), key(BTN_TOOL_TRIPLETAP, 1)}},
        {1.015625, {tick}},
        {1.1875, {abs(slot, 1), abs(id, -1), abs(slot, 2), abs(id, -1), key(BTN_TOOL_TRIPLETAP, 0),
                key(BTN_TOOL_FINGER, 1)}},
        {1.25, {abs(slot, 0), abs(x, 160)}},
        {1.5625, {abs(id, -1), key(BTN_TOUCH, 0), key(BTN_TOOL_FINGER, 0)}},
    };
    const std::vector<Frame> twoPad = {
        {1.0, {abs(slot, 0), abs(id, 10), abs(x, 100), abs(y, 100), abs(slot, 1), abs(id, 11),
                abs(x, 300), abs(y, 100), key(BTN_TOUCH, 1), key(BTN_TOOL_TRIPLETAP, 1)}},
        {1.015625, {tick}},
        {1.1875, {abs(id, -1), key(BTN_TOOL_TRIPLETAP, 0), key(BTN_TOOL_FINGER, 1)}},
        {1.25, {abs(slot, 0), abs(x, 160)}},
        {1.5625, {abs(id, -1), key(BTN_TOUCH, 0), key(BTN_TOOL_FINGER, 0)}},
    };
    const std::tuple<const char*, int, std::vector<Frame>, Texts> cases[] = {
        {"five slots", 5, fivePad, {"10b 11b 12b", "10s 11s 12s", "10s 11e 12e", "10m", "10e"}},
        {"two slots", 2, twoPad, {"10b 11b x0b", "10s 11s x0s", "10s 11e x0e", "10m", "10e"}},
    };
    // clang-format on
    for (const auto& [what, slots, frames, expected] : cases) {
        SCOPED_TRACE(what);
        access.trusted = true;
        reticle.calls.clear();
        start();
        ASSERT_EQ(taps.live.size(), 1u);

        TouchpadFrameDecoder decoder(pad(slots));
        const auto events = decode(decoder, frames);
        EXPECT_EQ(texts(events), expected);
        for (const auto& event : events) {
            taps.live.back()->deliver(event);
            queue.runUntilIdle();
            if (event.touches.size() == 1 && event.touches[0].phase == touchPhaseMoved) {
                EXPECT_EQ(reticle.calls, Texts{"show"});
            }
        }
        EXPECT_EQ(reticle.calls, (Texts{"show", "dismiss perform"}));
    }
}

TEST_F(TouchpadTrigger, WithoutAnyTouchpadThereIsNoPromptOnlyOneLogLineAndTheTapWatchesForOne) {
    access.device = false;
    start();
    // switched off and on again: still no prompt, and nothing more in the log
    defaults.restToOneTouches.set(0), center.post(notifications::gestureSelected);
    defaults.restToOneTouches.set(3), center.post(notifications::gestureSelected);
    queue.advance(std::chrono::seconds(1));
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].message, "no trackpad found; the rest-to-one gesture waits for one");
    EXPECT_EQ(std::tuple(windows.made, taps.live.size(), taps.createAttempts),
              std::tuple(0, 1ul, 2));
}

TEST(TouchpadFrames, DroppedEventsCancelEveryOpenTouchAndTheReplayedStateBeginsAfresh) {
    // libevdev replays what changed in the gap: slot 1 lifted, slot 0 stayed, slot 0 is current.
    // On the two-slot pad the third finger lifted in the gap as well. Slot 7 is beyond both pads.
    // clang-format off
    const std::vector<Frame> frames = {
        {2.0, {abs(slot, 0), abs(id, 20), abs(x, 100), abs(y, 100), abs(slot, 1), abs(id, 21),
               abs(x, 300), abs(y, 100), key(BTN_TOOL_TRIPLETAP, 1)}},
        {2.125, {abs(slot, 0), abs(x, 120)}, SYN_DROPPED},
        {2.3, {abs(slot, 0), abs(x, 140), abs(slot, 1), abs(id, -1), abs(slot, 0),
               key(BTN_TOOL_TRIPLETAP, 0), key(BTN_TOOL_FINGER, 1)}},
        {2.4, {tick}},
        {2.5, {abs(id, 23), abs(slot, 7), abs(id, 99)}}, // a new contact in the same slot
        {2.625, {abs(slot, 0), abs(id, -1), key(BTN_TOOL_FINGER, 0)}},
        {2.75, {tick}}, // no finger: no event
    };
    // clang-format on
    const std::pair<int, Texts> cases[] = {
        {5, {"20b 21b", "20c 21c", "20b", "20s", "20e 23b", "23e"}},
        {2, {"20b 21b x0b", "20c 21c x0c", "20b", "20s", "20e 23b", "23e"}},
    };
    for (const auto& [slots, expected] : cases) {
        SCOPED_TRACE(slots);
        TouchpadFrameDecoder decoder(pad(slots));
        const auto events = decode(decoder, frames);
        EXPECT_EQ(texts(events), expected);
        // The cancelled touches keep the last place reported; the finger still down, its new one.
        ASSERT_EQ(events.size(), 6u);
        EXPECT_DOUBLE_EQ(events[1].touches[0].normalizedX, 0.1);
        EXPECT_DOUBLE_EQ(events[2].touches[0].normalizedX, 0.14);
        EXPECT_DOUBLE_EQ(events[1].timestamp, 2.125);
    }
}

TEST(TouchpadFrames, PositionsAreNormalisedWithYUpAndTheSizeComesFromTheResolution) {
    // 100 mm = 283.4646 pt, 50 mm = 141.7323 pt; without a resolution a 69 × 50 mm pad.
    struct Row {
        const char* what;
        TouchpadGeometry geometry;
        int x, y;
        double nx, ny, width, height;
    };
    // clang-format off
    const Row rows[] = {
        {"inside", {{0, 1000, 10}, {0, 500, 10}, 5}, 250, 125, 0.25, 0.75, 283.4646, 141.7323},
        {"corners", {{0, 1000, 10}, {0, 500, 10}, 5}, 1000, 0, 1.0, 1.0, 283.4646, 141.7323},
        {"beyond the range", {{0, 1000, 10}, {0, 500, 10}, 5}, 1100, -20, 1.0, 1.0, 283.4646, 141.7323},
        {"offset range", {{1000, 5000, 40}, {2000, 4000, 40}, 5}, 2000, 3500, 0.25, 0.25, 283.4646, 141.7323},
        {"no resolution", {{0, 1000, 0}, {0, 500, 0}, 5}, 0, 500, 0.0, 0.0, 195.5906, 141.7323},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TouchpadFrameDecoder decoder(row.geometry);
        const auto events = decode(decoder, {{5.25, {abs(id, 7), abs(x, row.x), abs(y, row.y)}}});
        ASSERT_EQ(events.size(), 1u);
        const Touch& t = events[0].touches.at(0);
        EXPECT_EQ(events[0].type, EventType::gesture);
        EXPECT_DOUBLE_EQ(events[0].timestamp, 5.25);
        EXPECT_DOUBLE_EQ(t.normalizedX, row.nx);
        EXPECT_DOUBLE_EQ(t.normalizedY, row.ny);
        EXPECT_NEAR(t.deviceWidth, row.width, 1e-4);
        EXPECT_NEAR(t.deviceHeight, row.height, 1e-4);
    }
}

TEST(TouchpadDevices, CapabilityBitmapsOfATouchpad) {
    // As sysfs prints them: 64-bit hexadecimal words, most significant first.
    const char* touchpadAbs = "660800011000003";     // x, y, pressure, MT slot/x/y/id
    const char* touchpadKeys = "6420 30000 0 0 0 0"; // left, right, finger, touch, 2, 3 taps
    const std::tuple<const char*, const char*, const char*, const char*, bool> cases[] = {
        {"touchpad, pointer + buttonpad", touchpadAbs, touchpadKeys, "5", true},
        {"touchscreen: direct", touchpadAbs, touchpadKeys, "2", false},
        {"mouse: no MT axes", "0", "1f0000 0 0 0 0", "0", false},
        {"no touch key", touchpadAbs, "2020 30000 0 0 0 0", "1", false},
        {"unreadable", touchpadAbs, "zz", "1", false},
    };
    for (const auto& [what, abs, keys, props, expected] : cases) {
        SCOPED_TRACE(what);
        EXPECT_EQ(platform::hasTouchpadCapabilities(abs, keys, props), expected);
    }
}

} // namespace
} // namespace zentrivo
