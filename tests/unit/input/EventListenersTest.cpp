#include "app/input/EventMonitor.h"
#include "app/input/EventTapListener.h"
#include "app/input/GlobalEventMonitor.h"
#include "app/input/LocalEventMonitor.h"
#include "app/input/RunLoopThread.h"
#include "tests/fakes/FakeEventMonitorService.h"
#include "tests/fakes/FakeEventTapService.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeRunLoop.h"
#include "tests/fakes/LockedMainQueue.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using namespace std::chrono_literals;
using Times = std::vector<double>;
constexpr EventMask gestures = 0x20000000;

InputEvent eventOf(EventType type, std::uint64_t modifierFlags = 0, double timestamp = 0) {
    InputEvent e;
    e.type = type, e.modifierFlags = modifierFlags, e.timestamp = timestamp;
    return e;
}

const InputEvent moved = eventOf(EventType::mouseMoved), flags = eventOf(EventType::flagsChanged);
const auto gesture = [](double timestamp) { return eventOf(EventType::gesture, 0, timestamp); };

TEST(EventMonitor, StartedTwiceKeepsOneMonitorOfEachKindThatSeeAndPassOnEvents) {
    test::FakeEventMonitorService service;
    int calls = 0;
    {
        EventMonitor monitor(service, maskOf(EventType::mouseMoved),
                             [&](const InputEvent* e) { calls += e ? 1 : 100; });
        monitor.start();
        monitor.start();
        EXPECT_EQ(service.monitors.size(), 2u);
        service.send(moved);
        EXPECT_EQ(service.sendLocal(moved).value().type, EventType::mouseMoved); // passed on
        service.send(flags);                                                     // outside the mask
        service.send(EventType::mouseMoved, nullptr); // undecodable: reaches the handler as none
        EXPECT_EQ(calls, 102);
    }
    EXPECT_TRUE(service.monitors.empty()); // destruction removes running monitors
}

TEST(GlobalAndLocalEventMonitor, EachInstallsItsOwnKindAndTheLocalHandlerDecidesWhatPasses) {
    test::FakeEventMonitorService service;
    int globalCalls = 0;
    const EventMask mask = maskOf(EventType::flagsChanged) | maskOf(EventType::mouseMoved);
    GlobalEventMonitor global(service, mask, [&](const InputEvent*) { ++globalCalls; });
    LocalEventMonitor local(service, mask, [](const InputEvent& e) -> std::optional<InputEvent> {
        if (e.type == EventType::flagsChanged)
            return std::nullopt;
        return eventOf(e.type, 0x20000);
    });
    global.start();
    local.start();
    local.start();
    EXPECT_EQ(service.monitors.size(), 2u);
    EXPECT_FALSE(service.sendLocal(flags).has_value());                  // swallowed
    EXPECT_EQ(service.sendLocal(moved).value().modifierFlags, 0x20000u); // changed
    service.send(flags);
    EXPECT_EQ(globalCalls, 1); // local deliveries never reach it
}

class EventTapOnMain : public ::testing::Test {
protected:
    std::unique_ptr<EventTapListener> listener(EventTapListener::Filterer filterer = nullptr) {
        return std::make_unique<EventTapListener>(
            taps, loop, queue, gestures, true, std::move(filterer),
            [this](const InputEvent& e) { handled.push_back(e.timestamp); });
    }

    test::FakeEventTapService taps;
    test::FakeRunLoop loop;
    test::FakeMainQueue queue;
    Times handled;
};

TEST_F(EventTapOnMain, FiltererTrueStillLetsTheHandlerHaveTheEventAfterTheCallbackReturned) {
    Times filtered;
    auto tapListener =
        listener([&](const InputEvent& e) { return filtered.push_back(e.timestamp), true; });
    tapListener->start();
    ASSERT_EQ(taps.live.size(), 1u);
    taps.latest()->deliver(gesture(1));
    taps.latest()->deliver(std::nullopt); // undecodable: reaches neither
    loop.runOnce();
    EXPECT_EQ(filtered, Times{1});
    EXPECT_TRUE(handled.empty()); // queued, not called from inside the callback
    queue.runUntilIdle();
    EXPECT_EQ(handled, Times{1});

    taps.latest()->deliver(gesture(2));
    loop.runOnce();
    tapListener.reset(); // what a destroyed listener had queued is dropped
    queue.runUntilIdle();
    EXPECT_EQ(handled, Times{1});
}

TEST_F(EventTapOnMain, FailedCreationStaysStoppedAndASystemDisableRecreatesTheTap) {
    auto tapListener = listener();
    taps.permitted = false;
    tapListener->start();
    EXPECT_FALSE(tapListener->isStarted());

    taps.permitted = true;
    tapListener->start();
    tapListener->start(); // one listener never holds two taps
    taps.latest()->noticeDisabled();
    taps.latest()->noticeDisabled(); // a second notice of the same tap replaces nothing more
    loop.runOnce();
    queue.runUntilIdle();
    EXPECT_EQ(taps.createAttempts, 4);
    EXPECT_EQ(std::pair(taps.live.size(), loop.sources.size()), std::pair(1ul, 1ul));
    taps.latest()->deliver(gesture(4));
    loop.runOnce();
    queue.runUntilIdle();
    EXPECT_EQ(handled, Times{4});

    taps.latest()->noticeDisabled();
    loop.runOnce();
    tapListener->stop(); // the notice, handled after the stop, restarts nothing
    tapListener->stop();
    queue.runUntilIdle();
    EXPECT_FALSE(tapListener->isStarted());
    EXPECT_EQ(taps.createAttempts, 4);
    EXPECT_EQ(std::pair(taps.live.size(), loop.sources.size()), std::pair(0ul, 0ul));
}

TEST(RunLoopThread, StartsARealThreadThatServesSourcesAndEnds) {
    test::FakeEventTapService taps;
    test::LockedMainQueue queue;
    std::thread::id servedOn;
    const auto tap = taps.createTap(gestures, [&](TapNotice, const InputEvent*) {
        return queue.post([&, id = std::this_thread::get_id()] { servedOn = id; }), false;
    });
    RunLoopThread thread;
    ASSERT_TRUE(thread.start());
    tap->addToRunLoop(thread);
    taps.latest()->deliver(gesture(1));
    EXPECT_EQ(queue.runPosted(1, 5s), 1u);
    EXPECT_EQ(servedOn, thread.threadId());
    EXPECT_NE(servedOn, std::this_thread::get_id());
    tap->removeFromRunLoop(thread);
    thread.stop();
    EXPECT_FALSE(thread.isRunning());
    EXPECT_EQ(thread.threadId(), std::thread::id{});
}

} // namespace
} // namespace zentrivo
