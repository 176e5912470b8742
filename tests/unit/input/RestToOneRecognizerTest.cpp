#include "app/input/RestToOneRecognizer.h"

#include "tests/fakes/FakeDefaultsDatabase.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using Calls = std::vector<std::string>;

class RestToOne : public ::testing::Test, public RestToOneDelegate {
protected:
    RestToOne() { recognizer.delegate = this; }
    void restToOneBegan(std::optional<float> at) override { calls.push_back(at ? "at" : "began"); }
    void restToOneEnded(bool perform) override { calls.push_back(perform ? "ended" : "cancelled"); }

    /// One frame, a letter per finger 1, 2, …: b began, m moved, s still, e ended, '.' absent.
    /// Finger i touches (20 i, 20) on a 128 × 64 point surface, so whole and half points stay
    /// exact when normalised; the frame's last finger is moved by (dx, dy).
    void feed(double t, std::string_view fingers, double dx = 0, double dy = 0) {
        InputEvent e{.type = EventType::gesture, .timestamp = t};
        for (std::size_t i = 0; i < fingers.size(); ++i) {
            const auto phase = std::string_view(" bm s   e").find(fingers[i]); // its bit value
            if (fingers[i] != '.')
                e.touches.push_back(
                    Touch{i + 1, std::uint32_t(phase), 20.0 * (i + 1) / 128, 20.0 / 64, 128, 64});
        }
        e.touches.back().normalizedX += dx / 128, e.touches.back().normalizedY += dy / 64;
        recognizer.handle(e);
    }
    /// `count` fingers rest at `restAt`, the last sliding by (dx, dy) while they rest; all but the
    /// last lift together at `liftAt`, and the last one moves at `lastAt`.
    void gesture(double restAt, double liftAt, double lastAt, std::size_t count = 3, double dx = 0,
                 double dy = 0) {
        const std::string others(count - 1, 's');
        feed(restAt, others + 's'), feed(restAt, others + 'm', dx, dy);
        feed(liftAt, std::string(count - 1, 'e') + 's', dx, dy);
        feed(lastAt, std::string(count - 1, '.') + 'm', dx, dy);
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
    // a resting finger may slide 50 points on each axis, no more.
    const std::tuple<const char*, std::function<void()>, Calls> cases[] = {
        {"steered, a second finger ends it",
         [&] { gesture(0, 0.25, 0.3), feed(0.6, "..m"), feed(2, "..mb"); }, beginsAndEnds},
        {"lifted one by one, alone 0.40625 s after the first lift; then a fresh rest",
         [&] {
             feed(0, "sss"), feed(0.5, "ess"), feed(0.85, ".es"), feed(0.90625, "..m");
             gesture(1, 1.1, 1.2);
         },
         begins},
        {"all lifted at once, then one finger",
         [&] { feed(0, "sss"), feed(0.1, "eee"), feed(0.2, "...m"); }, none},
        {"lift window", [&] { gesture(0, 0.5, 0.9); }, begins},
        {"settling", [&] { gesture(0.25, 0.5, 0.5, 4), gesture(0.875, 1, 1.1); }, none},
        {"settled", [&] { gesture(0.25, 0.5, 0.5, 4), gesture(0.9, 1, 1.1); }, begins},
        {"slid 50, 50", [&] { gesture(0, 0.25, 0.3, 3, 50, 50); }, begins},
        {"slid 50.5 right", [&] { gesture(0, 0.25, 0.3, 3, 50.5, 0); }, none},
        {"slid 50.5 left", [&] { gesture(0, 0.25, 0.3, 3, -50.5, 0); }, none},
        {"slid 50.5 up", [&] { gesture(0, 0.25, 0.3, 3, 0, 50.5); }, none},
        {"a fourth finger voids the rest",
         [&] { feed(0, "sss"), feed(0.1, "ssss"), feed(0.2, "eees"), feed(0.3, "...m"); }, none},
        {"16 fingers, as many as one lifted finger weighs",
         [&] { touches.set(16), feed(1, "e"), feed(1.1, "es"), feed(1.2, ".m"); }, none},
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
