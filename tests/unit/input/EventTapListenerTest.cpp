#include "app/input/EventTapListener.h"

#include "app/input/RunLoopThread.h"
#include "tests/fakes/FakeEventTapService.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeRunLoop.h"
#include "tests/fakes/LockedMainQueue.h"

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <unistd.h>

namespace zentrivo {
namespace {

InputEvent eventOf(EventType type) {
    InputEvent e;
    e.type = type;
    return e;
}

using namespace std::chrono_literals;
using test::FakeEventTapService;
using test::FakeMainQueue;
using test::FakeRunLoop;

constexpr EventMask gestures = 0x20000000;
constexpr auto bound = 5s;

InputEvent gesture(double timestamp) {
    InputEvent e = eventOf(EventType::gesture);
    e.timestamp = timestamp;
    return e;
}

class EventTapOnMain : public ::testing::Test {
protected:
    std::unique_ptr<EventTapListener> listener(EventTapListener::Filterer filterer = nullptr) {
        return std::make_unique<EventTapListener>(
            taps, loop, queue, gestures, true, std::move(filterer),
            [this](const InputEvent& e) { handled.push_back(e.timestamp); });
    }
    /// One pass of the main loop, then whatever it queued.
    void turn() {
        loop.runOnce();
        queue.runUntilIdle();
    }

    FakeEventTapService taps;
    FakeRunLoop loop;
    FakeMainQueue queue;
    std::vector<double> handled;
};

TEST_F(EventTapOnMain, HandlesEachTappedEventOnceAfterTheCallbackReturned) {
    auto tapListener = listener();
    tapListener->start();
    ASSERT_TRUE(tapListener->isStarted());
    ASSERT_NE(taps.latest(), nullptr);
    EXPECT_EQ(taps.latest()->mask(), gestures);
    EXPECT_EQ(loop.sourceCount(), 1);
    EXPECT_EQ(tapListener->servingThread(), nullptr);

    taps.latest()->deliver(gesture(1));
    taps.latest()->deliver(eventOf(EventType::mouseMoved));
    taps.latest()->deliver(gesture(2));
    loop.runOnce();
    EXPECT_TRUE(handled.empty()); // queued, not called from inside the callback
    EXPECT_EQ(taps.latest()->callbackThreads().size(), 2u);
    EXPECT_EQ(taps.latest()->callbackThreads()[0], std::this_thread::get_id());
    queue.runUntilIdle();
    EXPECT_EQ(handled, (std::vector<double>{1, 2}));
}

TEST_F(EventTapOnMain, StopDetachesDisablesAndIsIdempotent) {
    listener().reset(); // never started: destroys quietly
    auto tapListener = listener();
    tapListener->stop();
    EXPECT_EQ(taps.createAttempts, 0);

    tapListener->start();
    tapListener->start(); // one listener never holds two taps
    EXPECT_EQ(taps.createAttempts, 2);
    EXPECT_EQ(taps.liveCount(), 1);
    EXPECT_EQ(loop.sourceCount(), 1);

    tapListener->stop();
    EXPECT_FALSE(tapListener->isStarted());
    EXPECT_EQ(taps.liveCount(), 0);
    EXPECT_EQ(loop.sourceCount(), 0);
    tapListener->stop();
    EXPECT_EQ(taps.createAttempts, 2);
}

TEST_F(EventTapOnMain, StartsOnceTheDeviceMayBeRead) {
    auto tapListener = listener();
    taps.permitted = false;
    tapListener->start();
    EXPECT_FALSE(tapListener->isStarted());
    EXPECT_EQ(loop.sourceCount(), 0);

    taps.permitted = true;
    tapListener->start();
    EXPECT_TRUE(tapListener->isStarted());
    taps.latest()->deliver(gesture(3));
    turn();
    EXPECT_EQ(handled, (std::vector<double>{3}));
}

TEST_F(EventTapOnMain, TapDisabledBySystemIsReplacedAndEventsKeepComing) {
    auto tapListener = listener();
    tapListener->start();
    test::FakeEventTap* first = taps.latest();
    first->noticeDisabled();
    first->noticeDisabled(); // a second notice of the same tap replaces nothing more
    turn();
    EXPECT_EQ(taps.createAttempts, 2);
    EXPECT_EQ(taps.liveCount(), 1);
    EXPECT_EQ(loop.sourceCount(), 1);
    ASSERT_TRUE(tapListener->isStarted());

    taps.latest()->deliver(gesture(4));
    turn();
    EXPECT_EQ(handled, (std::vector<double>{4}));
}

TEST_F(EventTapOnMain, DisabledNoticeAfterStopDoesNotRestart) {
    auto tapListener = listener();
    tapListener->start();
    taps.latest()->noticeDisabled();
    loop.runOnce();
    tapListener->stop();
    queue.runUntilIdle();
    EXPECT_FALSE(tapListener->isStarted());
    EXPECT_EQ(taps.createAttempts, 1);
}

TEST_F(EventTapOnMain, FiltererRunsFirstAndNeverKeepsTheHandlerFromTheEvent) {
    std::vector<double> filtered;
    auto tapListener = listener([&](const InputEvent& e) {
        filtered.push_back(e.timestamp);
        EXPECT_TRUE(handled.empty());
        return true;
    });
    tapListener->start();
    taps.latest()->deliver(gesture(5));
    taps.latest()->deliverUndecodable();
    turn();
    EXPECT_EQ(filtered, (std::vector<double>{5}));
    EXPECT_EQ(taps.latest()->answers(), (std::vector<bool>{true, false}));
    EXPECT_EQ(handled, (std::vector<double>{5})); // the undecodable event reaches no handler
}

TEST_F(EventTapOnMain, QueuedEventsOfADestroyedListenerAreDropped) {
    auto tapListener = listener();
    tapListener->start();
    taps.latest()->deliver(gesture(6));
    loop.runOnce();
    tapListener.reset();
    queue.runUntilIdle();
    EXPECT_TRUE(handled.empty());
}

TEST(RunLoopThread, StartsARealThreadThatServesSourcesAndEnds) {
    RunLoopThread thread;
    EXPECT_FALSE(thread.isRunning());
    ASSERT_TRUE(thread.start());
    EXPECT_TRUE(thread.isRunning());
    const auto servingId = thread.threadId();
    EXPECT_NE(servingId, std::thread::id{});
    EXPECT_NE(servingId, std::this_thread::get_id());

    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC | O_NONBLOCK), 0);
    std::promise<std::thread::id> servedOn;
    bool first = true;
    const auto id = thread.addSource(fds[0], [&] {
        char byte;
        while (::read(fds[0], &byte, 1) > 0) {
        }
        if (std::exchange(first, false))
            servedOn.set_value(std::this_thread::get_id());
    });
    ASSERT_EQ(::write(fds[1], "x", 1), 1);
    auto served = servedOn.get_future();
    ASSERT_EQ(served.wait_for(bound), std::future_status::ready);
    EXPECT_EQ(served.get(), servingId);

    thread.removeSource(id);
    thread.stop();
    EXPECT_FALSE(thread.isRunning());
    EXPECT_EQ(thread.threadId(), std::thread::id{});
    thread.stop();

    // It can serve again after a restart, on a new thread.
    ASSERT_TRUE(thread.start());
    EXPECT_TRUE(thread.isRunning());
    thread.stop();
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST(RunLoopThread, HandlerMayRemoveItselfAndCancelTheLoop) {
    RunLoopThread thread;
    ASSERT_TRUE(thread.start());
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC | O_NONBLOCK), 0);
    std::promise<void> done;
    std::atomic<RunLoop::SourceId> id{0};
    std::atomic<int> calls{0};
    id = thread.addSource(fds[0], [&] {
        // Data left unread: without the removal it would be served again and again.
        if (calls++ == 0) {
            thread.removeSource(id);
            thread.stop();
            done.set_value();
        }
    });
    ASSERT_EQ(::write(fds[1], "x", 1), 1);
    ASSERT_EQ(done.get_future().wait_for(bound), std::future_status::ready);
    thread.stop(); // joins the thread that cancelled itself
    EXPECT_FALSE(thread.isRunning());
    EXPECT_EQ(calls, 1);
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST(EventTapOnItsOwnThread, FiltersOnTheServingThreadAndHandlesOnTheMainQueue) {
    FakeEventTapService taps;
    FakeRunLoop mainLoop;
    test::LockedMainQueue queue;
    std::vector<double> handled;
    std::vector<std::thread::id> handledOn;
    std::atomic<int> filtered{0};
    EventTapListener listener(
        taps, mainLoop, queue, gestures, false,
        [&](const InputEvent&) {
            ++filtered;
            return false;
        },
        [&](const InputEvent& e) {
            handled.push_back(e.timestamp);
            handledOn.push_back(std::this_thread::get_id());
        });
    listener.start();
    ASSERT_TRUE(listener.isStarted());
    const RunLoopThread* serving = listener.servingThread();
    ASSERT_NE(serving, nullptr);
    EXPECT_TRUE(serving->isRunning()); // start() returned after the loop existed
    const auto servingId = serving->threadId();
    EXPECT_NE(servingId, std::this_thread::get_id());
    EXPECT_EQ(mainLoop.sourceCount(), 0);

    taps.latest()->deliver(gesture(7));
    EXPECT_EQ(queue.runPosted(1, bound), 1);
    EXPECT_EQ(handled, (std::vector<double>{7}));
    EXPECT_EQ(handledOn, (std::vector<std::thread::id>{std::this_thread::get_id()}));
    EXPECT_EQ(filtered, 1);
    EXPECT_EQ(taps.latest()->callbackThreads(), (std::vector<std::thread::id>{servingId}));

    // A system disable is repaired on the main thread: new tap, new serving thread.
    taps.latest()->noticeDisabled();
    EXPECT_EQ(queue.runPosted(1, bound), 1);
    EXPECT_EQ(taps.createAttempts, 2);
    ASSERT_NE(listener.servingThread(), nullptr);
    taps.latest()->deliver(gesture(8));
    EXPECT_EQ(queue.runPosted(1, bound), 1);
    EXPECT_EQ(handled, (std::vector<double>{7, 8}));

    listener.stop();
    EXPECT_EQ(listener.servingThread(), nullptr);
    EXPECT_EQ(taps.liveCount(), 0);
}

} // namespace
} // namespace zentrivo
