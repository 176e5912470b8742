#include "app/input/RestToOneRecognizer.h"

#include "app/input/TouchUtil.h"
#include "tests/fakes/FakeDefaultsDatabase.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace zentrivo {
namespace {

InputEvent eventOf(EventType type) {
    InputEvent e;
    e.type = type;
    return e;
}

using State = RestToOneRecognizer::State;

// A 128 × 64 point surface: positions that are whole points stay exact through normalisation.
constexpr double surfaceWidth = 128, surfaceHeight = 64;

Touch touch(std::uint64_t identity, std::uint32_t phase, double x = 0, double y = 0) {
    return Touch{identity, phase, x / surfaceWidth, y / surfaceHeight, surfaceWidth, surfaceHeight};
}

InputEvent frame(double timestamp, std::vector<Touch> touches) {
    InputEvent e = eventOf(EventType::gesture);
    e.timestamp = timestamp;
    e.touches = std::move(touches);
    return e;
}

/// `count` fingers, ids 1..count, all in `phase`, 20 points apart.
std::vector<Touch> fingers(int count, std::uint32_t phase) {
    std::vector<Touch> result;
    for (int i = 1; i <= count; ++i)
        result.push_back(touch(static_cast<std::uint64_t>(i), phase, 20.0 * i, 20));
    return result;
}

class RecordingDelegate final : public RestToOneDelegate {
public:
    void restToOneBegan(std::optional<float> minDist) override {
        calls.push_back(minDist ? "began with distance" : "began");
    }
    void restToOneEnded(bool performAction) override {
        calls.push_back(performAction ? "ended" : "ended without action");
    }
    std::vector<std::string> calls;
};

class RestToOne : public ::testing::Test {
protected:
    RestToOne() {
        touches.set(3);
        recognizer.delegate = &delegate;
    }
    void feed(const InputEvent& e) { recognizer.handle(e); }

    /// Three fingers land at `t` and rest from `t` + 0.125 on.
    void rest(double t) {
        feed(frame(t, fingers(3, touchPhaseBegan)));
        feed(frame(t + 0.125, fingers(3, touchPhaseStationary)));
    }
    /// Fingers 1 and 2 lift together at `t`; finger 3 stays.
    void liftTwo(double t) {
        feed(frame(t, {touch(1, touchPhaseEnded, 20, 20), touch(2, touchPhaseEnded, 40, 20),
                       touch(3, touchPhaseStationary, 60, 20)}));
    }
    void lastFinger(double t, std::uint32_t phase = touchPhaseMoved) {
        feed(frame(t, {touch(3, phase, 60, 20)}));
    }

    test::FakeDefaultsDatabase db;
    IntDefault touches{db, "restToOneTouches"};
    RestToOneRecognizer recognizer{touches};
    RecordingDelegate delegate;
};

TEST_F(RestToOne, RestLiftSteerAndLiftReportsBeganAndEndedOnce) {
    rest(0);
    EXPECT_EQ(recognizer.state(), State::resting);
    // One after the other: 0x120, then 0x110.
    feed(frame(0.25, {touch(1, touchPhaseEnded, 20, 20), touch(2, touchPhaseStationary, 40, 20),
                      touch(3, touchPhaseStationary, 60, 20)}));
    EXPECT_EQ(recognizer.state(), State::lifting);
    feed(frame(0.3, {touch(2, touchPhaseEnded, 40, 20), touch(3, touchPhaseStationary, 60, 20)}));
    lastFinger(0.35);
    EXPECT_EQ(delegate.calls, (std::vector<std::string>{"began"}));
    EXPECT_EQ(recognizer.state(), State::triggered);
    for (double t = 0.4; t < 2; t += 0.25)
        lastFinger(t); // steering changes nothing, however long
    EXPECT_EQ(delegate.calls.size(), 1u);
    lastFinger(2.5, touchPhaseEnded);
    EXPECT_EQ(delegate.calls, (std::vector<std::string>{"began", "ended"}));
    EXPECT_EQ(recognizer.state(), State::waiting);
}

TEST_F(RestToOne, LastFingerMustFollowTheFirstLiftWithinTheLiftWindow) {
    struct Case {
        double lastFingerAt; // first lift at 0.5
        bool begins;
    };
    // 0.9 - 0.5 is exactly the window in binary floating point too.
    const Case cases[] = {{0.55, true}, {0.9, true}, {0.95, false}, {1.0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lastFingerAt);
        recognizer.reset();
        delegate.calls.clear();
        rest(0);
        liftTwo(0.5);
        lastFinger(c.lastFingerAt);
        EXPECT_EQ(delegate.calls.size(), c.begins ? 1u : 0u);
        EXPECT_EQ(recognizer.state(), c.begins ? State::triggered : State::waiting);
    }
}

TEST_F(RestToOne, RestCountsOnlyAfterTheSettleWindowSinceMoreFingers) {
    struct Case {
        double threeRestAt; // the fourth finger was last seen at 0.5
        bool accepted;
    };
    const Case cases[] = {{0.625, false}, {0.875, false}, {0.9, true}, {1.25, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.threeRestAt);
        recognizer.reset();
        delegate.calls.clear();
        feed(frame(0.25, fingers(4, touchPhaseStationary)));
        auto lifting = fingers(4, touchPhaseStationary);
        lifting[3].phase = touchPhaseEnded;
        feed(frame(0.5, lifting));
        feed(frame(c.threeRestAt, fingers(3, touchPhaseStationary)));
        EXPECT_EQ(recognizer.state(), c.accepted ? State::resting : State::waiting);
        liftTwo(c.threeRestAt + 0.125);
        lastFinger(c.threeRestAt + 0.25);
        EXPECT_EQ(delegate.calls.size(), c.accepted ? 1u : 0u);
    }
}

TEST_F(RestToOne, RestingFingerThatSlidesTooFarSpoilsTheGestureAtTheLift) {
    struct Case {
        double dx, dy;
        bool begins;
    };
    const Case cases[] = {{50, 0, true},   {0, 50, true},  {50, 50, true},   {60, 0, false},
                          {-60, 0, false}, {0, 60, false}, {50.5, 0, false}, {0, 50.5, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy);
        recognizer.reset();
        delegate.calls.clear();
        const std::vector<Touch> start{touch(1, touchPhaseStationary, 10, 20),
                                       touch(2, touchPhaseStationary, 20, 20),
                                       touch(3, touchPhaseStationary, 60, 2)};
        feed(frame(0, start));
        const Touch slid = touch(3, touchPhaseMoved, 60 + c.dx, 2 + c.dy);
        feed(frame(0.125, {start[0], start[1], slid}));
        EXPECT_EQ(recognizer.state(), State::resting);
        feed(frame(0.25, {touch(1, touchPhaseEnded, 10, 20), touch(2, touchPhaseEnded, 20, 20),
                          touch(3, touchPhaseStationary, 60 + c.dx, 2 + c.dy)}));
        EXPECT_EQ(recognizer.state(), c.begins ? State::lifting : State::waiting);
        feed(frame(0.375, {touch(3, touchPhaseMoved, 60 + c.dx, 2 + c.dy)}));
        EXPECT_EQ(delegate.calls.size(), c.begins ? 1u : 0u);
    }
}

TEST_F(RestToOne, ASecondFingerAfterBeganEndsTheGestureAtOnce) {
    rest(0);
    liftTwo(0.25);
    lastFinger(0.3);
    feed(frame(0.35, {touch(3, touchPhaseMoved, 60, 20), touch(4, touchPhaseBegan, 90, 20)}));
    EXPECT_EQ(delegate.calls, (std::vector<std::string>{"began", "ended"}));
    EXPECT_EQ(recognizer.state(), State::waiting);
    // The lifts that follow report nothing more.
    feed(frame(0.4, {touch(3, touchPhaseEnded), touch(4, touchPhaseEnded)}));
    EXPECT_EQ(delegate.calls.size(), 2u);
}

TEST_F(RestToOne, MoreFingersWhileRestingStartOver) {
    rest(0);
    feed(frame(0.25, {touch(1, touchPhaseStationary), touch(2, touchPhaseStationary),
                      touch(3, touchPhaseStationary), touch(4, touchPhaseBegan)}));
    EXPECT_EQ(recognizer.state(), State::waiting);
    liftTwo(0.375);
    lastFinger(0.5);
    EXPECT_TRUE(delegate.calls.empty());
}

TEST_F(RestToOne, OneFingerSettingNeverTriggers) {
    touches.set(1);
    feed(frame(0, fingers(1, touchPhaseBegan)));
    feed(frame(0.5, fingers(1, touchPhaseStationary)));
    feed(frame(1, fingers(2, touchPhaseStationary)));
    feed(frame(1.5, {touch(1, touchPhaseEnded), touch(2, touchPhaseStationary)}));
    feed(frame(2, fingers(1, touchPhaseMoved)));
    feed(frame(2.5, fingers(1, touchPhaseEnded)));
    EXPECT_TRUE(delegate.calls.empty());
}

TEST_F(RestToOne, SettingIsReadAtEveryEventAndOddValuesMatchNothing) {
    const std::int64_t values[] = {0, -1, 16, std::numeric_limits<std::int64_t>::max(),
                                   std::numeric_limits<std::int64_t>::min()};
    for (const auto value : values) {
        SCOPED_TRACE(value);
        touches.set(value);
        recognizer.reset();
        rest(0);
        liftTwo(0.25);
        lastFinger(0.3);
        EXPECT_TRUE(delegate.calls.empty());
    }
    // Back to three, the same recognizer works at once.
    touches.set(3);
    recognizer.reset();
    rest(10);
    liftTwo(10.25);
    lastFinger(10.3);
    EXPECT_EQ(delegate.calls, (std::vector<std::string>{"began"}));
}

TEST_F(RestToOne, OtherEventTypesChangeNothing) {
    rest(0);
    liftTwo(0.25);
    lastFinger(0.3);
    InputEvent notGesture = frame(0.35, {});
    notGesture.type = EventType::mouseMoved;
    feed(notGesture);
    notGesture.type = EventType::otherMouseDown;
    feed(notGesture);
    EXPECT_EQ(recognizer.state(), State::triggered);
    EXPECT_EQ(delegate.calls.size(), 1u);
}

TEST_F(RestToOne, EmptyFrameAndResetEndOnlyARecognisedGesture) {
    recognizer.reset();
    feed(frame(0, {}));
    EXPECT_TRUE(delegate.calls.empty());
    rest(1);
    liftTwo(1.25);
    lastFinger(1.3);
    feed(frame(1.4, {}));
    EXPECT_EQ(delegate.calls, (std::vector<std::string>{"began", "ended"}));

    rest(2);
    liftTwo(2.25);
    lastFinger(2.3);
    recognizer.delegate = nullptr; // nobody to tell: still clears
    recognizer.reset();
    EXPECT_EQ(recognizer.state(), State::waiting);
    EXPECT_EQ(delegate.calls.size(), 3u);
}

TEST(TouchUtil, PhaseCountsWeighEachPhase) {
    struct Case {
        std::vector<std::uint32_t> phases;
        int counts;
    };
    const Case cases[] = {
        {{}, 0x000},
        {{touchPhaseBegan, touchPhaseBegan, touchPhaseBegan}, 0x003},
        {{touchPhaseMoved, touchPhaseStationary, touchPhaseMoved}, 0x030},
        {{touchPhaseEnded, touchPhaseEnded, touchPhaseStationary}, 0x210},
        {{touchPhaseCancelled, touchPhaseMoved}, 0x010},
        {{touchPhaseBegan, touchPhaseMoved, touchPhaseEnded, touchPhaseCancelled}, 0x111},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.counts);
        std::vector<Touch> touches;
        for (auto phase : c.phases)
            touches.push_back(touch(touches.size() + 1, phase));
        EXPECT_EQ(TouchUtil::phaseCounts(touches), c.counts);
    }
}

TEST(TouchUtil, FindsTouchesByIdentityAndMeasuresOnTheSurface) {
    const std::vector<Touch> set{touch(7, touchPhaseMoved, 1, 1), touch(9, touchPhaseMoved, 2, 2),
                                 touch(7, touchPhaseEnded, 3, 3)};
    const Touch* found = TouchUtil::touchWithIdentity(set, touch(7, touchPhaseBegan));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->phase, touchPhaseMoved); // the first one
    EXPECT_EQ(TouchUtil::touchWithIdentity(set, touch(8, touchPhaseBegan)), nullptr);

    // Strictly greater, each axis on its own, in points of each touch's own surface.
    EXPECT_FALSE(TouchUtil::fartherApart(touch(1, 0, 0, 0), touch(1, 0, 50, 50), 50));
    EXPECT_TRUE(TouchUtil::fartherApart(touch(1, 0, 0, 0), touch(1, 0, 51, 0), 50));
    EXPECT_TRUE(TouchUtil::fartherApart(touch(1, 0, 0, 60), touch(1, 0, 0, 0), 50));
    Touch halfSurface = touch(1, 0, 0, 0);
    halfSurface.normalizedX = 0.5;
    halfSurface.deviceWidth = 200; // 100 points in
    EXPECT_TRUE(TouchUtil::fartherApart(halfSurface, touch(1, 0, 49, 0), 50));

    // Touches missing from the current set are skipped.
    EXPECT_TRUE(
        TouchUtil::stayedPut({touch(1, 0, 0, 0), touch(2, 0, 0, 0)}, {touch(1, 0, 50, 0)}, 50));
    EXPECT_FALSE(TouchUtil::stayedPut({touch(1, 0, 0, 0), touch(2, 0, 0, 0)},
                                      {touch(1, 0, 10, 0), touch(2, 0, 0, 51)}, 50));
}

} // namespace
} // namespace zentrivo
