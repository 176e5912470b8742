#include "platform/linux/TouchpadFrameDecoder.h"

#include "app/core/Notifications.h"
#include "platform/linux/TouchpadDevices.h"
#include "tests/fakes/GestureCoordinatorRig.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using platform::TouchpadGeometry;
using Texts = std::vector<std::string>;

/// An evdev event (type, code, value); a frame's time in seconds and events, closed by a
/// `SYN_REPORT` unless they end in another `EV_SYN`.
using Ev = std::tuple<unsigned, unsigned, int>;
using Frame = std::pair<double, std::vector<Ev>>;

constexpr unsigned slot = ABS_MT_SLOT, id = ABS_MT_TRACKING_ID, x = ABS_MT_POSITION_X,
                   y = ABS_MT_POSITION_Y;
/// Frames carry the device's clock even when nothing else changed; `dropped` closes a frame.
constexpr Ev tick{EV_MSC, MSC_TIMESTAMP, 0}, dropped{EV_SYN, SYN_DROPPED, 0};
constexpr auto abs = [](unsigned code, int value) { return Ev{EV_ABS, code, value}; };
constexpr auto key = [](unsigned code, int value) { return Ev{EV_KEY, code, value}; };
/// A 100 × 50 mm pad, 1000 × 500 units.
constexpr auto pad = [](int slots) { return TouchpadGeometry{{0, 1000, 10}, {0, 500, 10}, slots}; };

/// The gesture events a fresh decoder makes of `frames`.
std::vector<InputEvent> decode(const TouchpadGeometry& geometry, const std::vector<Frame>& frames) {
    platform::TouchpadFrameDecoder decoder(geometry);
    std::vector<InputEvent> out;
    for (auto [time, events] : frames) {
        input_event e{};
        e.input_event_sec = long(time);
        e.input_event_usec = long(std::llround((time - long(time)) * 1e6));
        if (std::get<0>(events.back()) != EV_SYN)
            events.push_back({EV_SYN, SYN_REPORT, 0});
        for (const auto& [type, code, value] : events) {
            e.type = std::uint16_t(type), e.code = std::uint16_t(code), e.value = value;
            if (auto event = decoder.feed(e))
                out.push_back(*event);
        }
    }
    return out;
}

/// Each event as its touches, "<identity><phase>" with phases b m s e c; the extra touches of a
/// pad with too few slots show as x0, x1, ….
Texts texts(const std::vector<InputEvent>& events) {
    constexpr std::uint64_t extra = std::uint64_t{1} << 32;
    Texts out;
    for (const InputEvent& event : events) {
        std::string& line = out.emplace_back();
        for (const Touch& t : event.touches)
            line += (line.empty() ? "" : " ") + std::string(t.identity >= extra ? "x" : "") +
                    std::to_string(t.identity % extra) + " bm s   e       c"[t.phase];
    }
    return out;
}

struct TouchpadTrigger : ::testing::Test, test::GestureCoordinatorRig {};

TEST_F(TouchpadTrigger, WithoutATouchpadNoPromptAndOneLogLineThenOnePlugsInAndTheGestureRuns) {
    defaults.restToOneTouches.set(3), access.device = false, start();
    // switched off and on again: still no prompt, and nothing more in the log
    defaults.restToOneTouches.set(0), center.post(notifications::gestureSelected);
    defaults.restToOneTouches.set(3), center.post(notifications::gestureSelected);
    queue.advance(std::chrono::seconds(1));
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].message, "no trackpad found; the rest-to-one gesture waits for one");
    ASSERT_EQ(std::tuple(windows.made, taps.live.size(), taps.createAttempts),
              std::tuple(0, 1ul, 2));

    // A two-slot pad appears. Three fingers land and rest, two lift together 0.19 s later, the
    // third steers and lifts; the pad tracks two and counts the third only through its tool key.
    // clang-format off
    const auto events = decode(pad(2), {
        {1.0, {abs(slot, 0), abs(id, 10), abs(x, 100), abs(y, 100), abs(slot, 1), abs(id, 11),
               abs(x, 300), abs(y, 100), key(BTN_TOUCH, 1), key(BTN_TOOL_TRIPLETAP, 1)}},
        {1.015625, {tick}},
        {1.1875, {abs(id, -1), key(BTN_TOOL_TRIPLETAP, 0), key(BTN_TOOL_FINGER, 1)}},
        {1.25, {abs(slot, 0), abs(x, 160)}},
        {1.5625, {abs(id, -1), key(BTN_TOUCH, 0), key(BTN_TOOL_FINGER, 0)}}});
    // clang-format on
    EXPECT_EQ(texts(events), (Texts{"10b 11b x0b", "10s 11s x0s", "10s 11e x0e", "10m", "10e"}));
    for (const auto& event : events)
        taps.live.back()->deliver(event);
    queue.runUntilIdle();
    EXPECT_EQ(reticle.calls, (Texts{"show", "dismiss perform"}));
}

TEST(TouchpadFrames, DroppedEventsCancelEveryOpenTouchAndTheReplayedStateBeginsAfresh) {
    // libevdev replays what changed in the gap: slot 1 lifted, slot 0 stayed, slot 0 is current.
    // On the two-slot pad the third finger lifted in the gap as well. Slot 7 is beyond both pads.
    // clang-format off
    const std::vector<Frame> frames = {
        {2.0, {abs(slot, 0), abs(id, 20), abs(x, 100), abs(y, 100), abs(slot, 1), abs(id, 21),
               abs(x, 300), abs(y, 100), key(BTN_TOOL_TRIPLETAP, 1)}},
        {2.125, {abs(slot, 0), abs(x, 120), dropped}},
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
        const auto events = decode(pad(slots), frames);
        ASSERT_EQ(texts(events), expected);
        // The cancelled touches keep the last place reported; the finger still down, its new one.
        EXPECT_DOUBLE_EQ(events[1].timestamp, 2.125);
        EXPECT_DOUBLE_EQ(events[1].touches[0].normalizedX, 0.1);
        EXPECT_DOUBLE_EQ(events[2].touches[0].normalizedX, 0.14);
    }
}

TEST(TouchpadFrames, PositionsAreNormalisedWithYUpAndTheSizeComesFromTheResolution) {
    // 100 mm = 283.4646 pt, 50 mm = 141.7323 pt; without a resolution a 69 × 50 mm pad.
    // clang-format off
    const std::tuple<const char*, TouchpadGeometry, int, int, double, double, double> rows[] = {
        {"inside", pad(5), 250, 125, 0.25, 0.75, 283.4646},
        {"beyond the range", pad(5), 1100, -20, 1.0, 1.0, 283.4646},
        {"offset range", {{1000, 5000, 40}, {2000, 4000, 40}, 5}, 2000, 3500, 0.25, 0.25, 283.4646},
        {"no resolution", {{0, 1000, 0}, {0, 500, 0}, 5}, 0, 500, 0.0, 0.0, 195.5906},
    };
    // clang-format on
    for (const auto& [what, geometry, px, py, nx, ny, width] : rows) {
        SCOPED_TRACE(what);
        const auto events = decode(geometry, {{5.25, {abs(id, 7), abs(x, px), abs(y, py)}}});
        ASSERT_EQ(texts(events), Texts{"7b"});
        const Touch& t = events[0].touches[0];
        EXPECT_DOUBLE_EQ(events[0].timestamp, 5.25);
        EXPECT_DOUBLE_EQ(t.normalizedX, nx);
        EXPECT_DOUBLE_EQ(t.normalizedY, ny);
        EXPECT_NEAR(t.deviceWidth, width, 1e-4);
        EXPECT_NEAR(t.deviceHeight, 141.7323, 1e-4);
    }
}

TEST(TouchpadDevices, CapabilityBitmapsOfATouchpad) {
    // As sysfs prints them: 64-bit hexadecimal words, most significant first.
    const char* padAbs = "660800011000003";     // x, y, pressure, MT slot/x/y/id
    const char* padKeys = "6420 30000 0 0 0 0"; // left, right, finger, touch, 2, 3 taps
    const std::tuple<const char*, const char*, const char*, const char*, bool> cases[] = {
        {"touchpad, pointer + buttonpad", padAbs, padKeys, "5", true},
        {"touchscreen: direct as well", padAbs, padKeys, "7", false},
        {"no pointer", padAbs, padKeys, "4", false},
        {"mouse: no MT axes", "0", "1f0000 0 0 0 0", "1", false},
        {"no touch key", padAbs, "2020 30000 0 0 0 0", "1", false},
        {"unreadable", padAbs, "zz", "1", false},
    };
    for (const auto& [what, absBits, keyBits, props, expected] : cases)
        EXPECT_EQ(platform::hasTouchpadCapabilities(absBits, keyBits, props), expected) << what;
}

} // namespace
} // namespace zentrivo
