#include "app/input/RestToOneRecognizer.h"

#include "tests/fakes/FakeDefaultsDatabase.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using Calls = std::vector<std::string>;
enum : std::uint32_t { began = 1, moved = 2, still = 4, ended = 8 };

/// A 128 × 64 point surface: positions that are whole or half points stay exact when normalised.
Touch touch(std::uint64_t id, std::uint32_t phase, double x = 0, double y = 20) {
    return Touch{id, phase, x / 128, y / 64, 128, 64};
}

class RestToOne : public ::testing::Test, public RestToOneDelegate {
protected:
    RestToOne() { recognizer.delegate = this; }
    void restToOneBegan(std::optional<float> at) override { calls.push_back(at ? "at" : "began"); }
    void restToOneEnded(bool perform) override { calls.push_back(perform ? "ended" : "cancelled"); }

    void feed(double t, std::vector<Touch> frame) {
        InputEvent e;
        e.type = EventType::gesture, e.timestamp = t, e.touches = std::move(frame);
        recognizer.handle(e);
    }
    /// Fingers 1..`count` rest at `restAt` 20 points apart; all but the last lift together at
    /// `liftAt`, and the last one moves at `lastAt`.
    void gesture(double restAt, double liftAt, double lastAt, std::uint64_t count = 3) {
        std::vector<Touch> resting, lifting;
        for (std::uint64_t i = 1; i <= count; ++i) {
            resting.push_back(touch(i, still, 20.0 * i));
            lifting.push_back(touch(i, i == count ? still : ended, 20.0 * i));
        }
        feed(restAt, resting);
        feed(liftAt, lifting);
        feed(lastAt, {touch(count, moved, 20.0 * count)});
    }
    /// Three fingers rest; the third slides by (dx, dy) while they rest, and the other two lift.
    void slide(double dx, double dy) {
        feed(0, {touch(1, still, 10), touch(2, still, 20), touch(3, still, 60, 2)});
        feed(0.1, {touch(1, still, 10), touch(2, still, 20), touch(3, moved, 60 + dx, 2 + dy)});
        feed(0.25, {touch(1, ended, 10), touch(2, ended, 20), touch(3, still, 60 + dx, 2 + dy)});
        feed(0.3, {touch(3, moved, 60 + dx, 2 + dy)});
    }
    test::FakeDefaultsDatabase db;
    IntDefault touches{db, "restToOneTouches"};
    RestToOneRecognizer recognizer{touches};
    Calls calls;
};

TEST_F(RestToOne, FingerCountsDistancesAndTimings) {
    const Calls none, begins{"began"}, beginsAndEnds{"began", "ended"};
    // The last finger must follow the first lift within 0.4 s (0.9 - 0.5 is exactly 0.4 in binary
    // floating point too); three resting fingers count only 0.4 s after a fourth was last seen;
    // a resting finger may slide 50 points on each axis, no more; one finger never triggers.
    const std::tuple<const char*, std::function<void()>, Calls> cases[] = {
        {"lifted one by one, steered, a second finger ends it",
         [&] {
             feed(0, {touch(1, still, 20), touch(2, still, 40), touch(3, still, 60)});
             feed(0.25, {touch(1, ended, 20), touch(2, still, 40), touch(3, still, 60)});
             feed(0.3, {touch(2, ended, 40), touch(3, still, 60)});
             for (double t = 0.35; t < 2; t += 0.25)
                 feed(t, {touch(3, moved, 60)});
             feed(2, {touch(3, moved, 60), touch(4, began, 90)});
         },
         beginsAndEnds},
        {"lifted one by one, alone 0.40625 s after the first lift; then a fresh rest",
         [&] {
             feed(0, {touch(1, still, 20), touch(2, still, 40), touch(3, still, 60)});
             feed(0.5, {touch(1, ended, 20), touch(2, still, 40), touch(3, still, 60)});
             feed(0.85, {touch(2, ended, 40), touch(3, still, 60)});
             feed(0.90625, {touch(3, moved, 60)});
             gesture(1, 1.1, 1.2);
         },
         begins},
        {"all lifted at once, then one finger",
         [&] {
             feed(0, {touch(1, still), touch(2, still), touch(3, still)});
             feed(0.1, {touch(1, ended), touch(2, ended), touch(3, ended)});
             feed(0.2, {touch(4, moved)});
         },
         none},
        {"the last finger's lift ends it",
         [&] { gesture(0, 0.25, 0.3), feed(0.5, {touch(3, ended)}); }, beginsAndEnds},
        {"lift window", [&] { gesture(0, 0.5, 0.9); }, begins},
        {"settling", [&] { gesture(0.25, 0.5, 0.5, 4), gesture(0.875, 1, 1.1); }, none},
        {"settled", [&] { gesture(0.25, 0.5, 0.5, 4), gesture(0.9, 1, 1.1); }, begins},
        {"slid 50, 50", [&] { slide(50, 50); }, begins},
        {"slid 50.5 right", [&] { slide(50.5, 0); }, none},
        {"slid 50.5 left", [&] { slide(-50.5, 0); }, none},
        {"slid 50.5 up", [&] { slide(0, 50.5); }, none},
        {"one finger setting",
         [&] { touches.set(1), feed(0, {touch(1, still)}), gesture(1, 1.5, 2, 2); }, none},
        {"16 fingers, as many as one lifted finger weighs",
         [&] {
             touches.set(16), feed(1, {touch(1, ended)});
             feed(1.1, {touch(1, ended), touch(2, still)}), feed(1.2, {touch(2, moved)});
         },
         none},
        {"a huge negative count", [&] { touches.set(INT64_MIN), gesture(0, 0.25, 0.3); }, none},
    };
    for (const auto& [what, steps, expected] : cases) {
        SCOPED_TRACE(what);
        touches.set(3); // read at every event: the same recognizer follows each row's setting
        recognizer.reset();
        calls.clear();
        steps();
        EXPECT_EQ(calls, expected);
    }
}

} // namespace
} // namespace zentrivo
