#include "app/input/RestToOneRecognizer.h"

#include "tests/fakes/FakeDefaultsDatabase.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using Calls = std::vector<std::string>;
enum : std::uint32_t { began = 1, moved = 2, still = 4, ended = 8 };

/// A 128 × 64 point surface: positions that are whole points stay exact through normalisation.
Touch touch(std::uint64_t id, std::uint32_t phase, double x = 0, double y = 20) {
    return Touch{id, phase, x / 128, y / 64, 128, 64};
}

class RestToOne : public ::testing::Test, public RestToOneDelegate {
protected:
    RestToOne() {
        touches.set(3);
        recognizer.delegate = this;
    }
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

    test::FakeDefaultsDatabase db;
    IntDefault touches{db, "restToOneTouches"};
    RestToOneRecognizer recognizer{touches};
    Calls calls;
};

TEST_F(RestToOne, LiftingOneByOneAndSteeringBeginsOnceUntilASecondFingerEndsIt) {
    feed(0, {touch(1, still, 20), touch(2, still, 40), touch(3, still, 60)});
    feed(0.25, {touch(1, ended, 20), touch(2, still, 40), touch(3, still, 60)});
    feed(0.3, {touch(2, ended, 40), touch(3, still, 60)});
    for (double t = 0.35; t < 2; t += 0.25)
        feed(t, {touch(3, moved, 60)}); // steering changes nothing, however long
    feed(2, {touch(3, moved, 60), touch(4, began, 90)});
    feed(2.1, {touch(3, ended), touch(4, ended)}); // the lifts that follow report nothing more
    EXPECT_EQ(calls, (Calls{"began", "ended"}));
}

TEST_F(RestToOne, TimingWindowsSlideToleranceAndTheOneFingerSetting) {
    const auto slide = [&](double dx, double dy) {
        feed(0, {touch(1, still, 10), touch(2, still, 20), touch(3, still, 60, 2)});
        feed(0.25, {touch(1, ended, 10), touch(2, ended, 20), touch(3, still, 60 + dx, 2 + dy)});
        feed(0.3, {touch(3, moved, 60 + dx, 2 + dy)});
    };
    // The last finger must follow the first lift within 0.4 s (0.9 - 0.5 is exactly 0.4 in binary
    // floating point too); three resting fingers count only 0.4 s after a fourth was last seen;
    // a resting finger may slide 50 points on each axis, no more; one finger never triggers.
    const std::tuple<const char*, std::function<void()>, bool> cases[] = {
        {"lift window", [&] { gesture(0, 0.5, 0.9); }, true},
        {"beyond the lift window", [&] { gesture(0, 0.5, 0.95); }, false},
        {"settling", [&] { gesture(0.25, 0.5, 0.5, 4), gesture(0.875, 1, 1.1); }, false},
        {"settled", [&] { gesture(0.25, 0.5, 0.5, 4), gesture(0.9, 1, 1.1); }, true},
        {"slid 50, 50", [&] { slide(50, 50); }, true},
        {"slid 60 right", [&] { slide(60, 0); }, false},
        {"slid 60 left", [&] { slide(-60, 0); }, false},
        {"slid 60 up", [&] { slide(0, 60); }, false},
        {"one finger setting",
         [&] { touches.set(1), feed(0, {touch(1, still)}), gesture(1, 1.5, 2, 2); }, false},
    };
    for (const auto& [what, steps, begins] : cases) {
        SCOPED_TRACE(what);
        touches.set(3);
        recognizer.reset();
        calls.clear();
        steps();
        EXPECT_EQ(calls, begins ? Calls{"began"} : Calls{});
    }
}

TEST_F(RestToOne, SettingIsReadAtEveryEventAndOddValuesMatchNothing) {
    for (const std::int64_t value : {0L, -1L, 16L, INT64_MIN}) {
        SCOPED_TRACE(value);
        touches.set(value);
        recognizer.reset();
        gesture(0, 0.25, 0.3);
        feed(1, {touch(1, ended)}); // 16 × the touching weight is one lifted finger's
        feed(1.1, {touch(1, ended), touch(2, still)});
        feed(1.2, {touch(2, moved)});
        EXPECT_TRUE(calls.empty());
    }
    touches.set(3); // back to three, the same recognizer works at once
    recognizer.reset();
    gesture(10, 10.25, 10.3);
    feed(10.5, {touch(3, ended)}); // and the last finger's lift ends it
    EXPECT_EQ(calls, (Calls{"began", "ended"}));
}

} // namespace
} // namespace zentrivo
