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
    /// Three fingers rest; at the lift of two the third has slid by (dx, dy).
    void slide(double dx, double dy) {
        feed(0, {touch(1, still, 10), touch(2, still, 20), touch(3, still, 60, 2)});
        feed(0.25, {touch(1, ended, 10), touch(2, ended, 20), touch(3, still, 60 + dx, 2 + dy)});
        feed(0.3, {touch(3, moved, 60 + dx, 2 + dy)});
    }
    /// After a gesture with the setting at `touches`: a frame that is one lifted finger (16 × the
    /// touching weight), then a lift down to one finger.
    void oddSetting(std::int64_t touches) {
        this->touches.set(touches);
        gesture(0, 0.25, 0.3);
        feed(1, {touch(1, ended)});
        feed(1.1, {touch(1, ended), touch(2, still)});
        feed(1.2, {touch(2, moved)});
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
             feed(2.1, {touch(3, ended), touch(4, ended)}); // nothing more to report
         },
         beginsAndEnds},
        {"the last finger's lift ends it",
         [&] { gesture(0, 0.25, 0.3), feed(0.5, {touch(3, ended)}); }, beginsAndEnds},
        {"lift window", [&] { gesture(0, 0.5, 0.9); }, begins},
        {"beyond the lift window", [&] { gesture(0, 0.5, 0.90625); }, none},
        {"settling", [&] { gesture(0.25, 0.5, 0.5, 4), gesture(0.875, 1, 1.1); }, none},
        {"settled", [&] { gesture(0.25, 0.5, 0.5, 4), gesture(0.9, 1, 1.1); }, begins},
        {"slid 50, 50", [&] { slide(50, 50); }, begins},
        {"slid 50.5 right", [&] { slide(50.5, 0); }, none},
        {"slid 50.5 left", [&] { slide(-50.5, 0); }, none},
        {"slid 50.5 up", [&] { slide(0, 50.5); }, none},
        {"one finger setting",
         [&] { touches.set(1), feed(0, {touch(1, still)}), gesture(1, 1.5, 2, 2); }, none},
        {"16 fingers", [&] { oddSetting(16); }, none},
        {"a huge negative count", [&] { oddSetting(INT64_MIN); }, none},
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
