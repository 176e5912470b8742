#include "app/input/EventMonitor.h"
#include "app/input/EventTapListener.h"
#include "app/input/GlobalEventMonitor.h"
#include "app/input/LocalEventMonitor.h"
#include "app/input/RunLoopThread.h"
#include "tests/fakes/FakeEventServices.h"
#include "tests/fakes/FakeMainQueue.h"

#include <atomic>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace zentrivo {
namespace {

using namespace std::chrono_literals;
using Times = std::vector<double>;

/// A descriptor number that is closed, and high enough that no descriptor opened meanwhile (the
/// loop's own, say) takes it over.
int closedDescriptor() {
    const int low = ::eventfd(0, EFD_CLOEXEC);
    const int high = ::fcntl(low, F_DUPFD_CLOEXEC, 900);
    ::close(low), ::close(high);
    return high;
}

TEST(EventMonitors, StartedTwiceEachKeepsOneMonitorPerKindAndStopRemovesThem) {
    test::FakeEventMonitorService service;
    std::string seen;
    // masks: 0x20 mouse moved, 0x1000 flags changed
    EventMonitor both(service, 0x20, [&](const InputEvent* e) { seen += e ? 'b' : '0'; });
    GlobalEventMonitor global(service, 0x1000, [&](const InputEvent*) { seen += 'g'; });
    LocalEventMonitor local(service, 0x1020, [](const InputEvent& e) { return std::optional(e); });
    for (EventListener* listener : std::initializer_list<EventListener*>{&both, &global, &local})
        listener->start(), listener->start();
    EXPECT_EQ(service.monitors.size(), 4u);
    service.send({.type = EventType::mouseMoved});
    service.send({.type = EventType::flagsChanged});
    service.send({.type = EventType::mouseMoved}, false);
    EXPECT_EQ(seen, "bg0"); // b, g: both, global; 0: none to both
    both.stop(), global.stop(), local.stop(), local.stop();
    EXPECT_TRUE(service.monitors.empty());
}

TEST(EventTapListener, HandsEventsOverOnMainAndReplacesATapTheSystemDisabledOrWhoseSourceFailed) {
    test::FakeEventTapService taps;
    RunLoopThread loop; // never started: an off-main tap is served on the listener's own thread
    test::FakeMainQueue queue;
    Times filtered, handled;
    auto listener = std::make_unique<EventTapListener>(
        taps, loop, queue, 0x20000000, true,
        [&](const InputEvent& e) { return filtered.push_back(e.timestamp), true; },
        [&](const InputEvent& e) { handled.push_back(e.timestamp); });

    listener->start(), listener->start(); // one listener never holds two taps
    taps.live.back()->deliver(InputEvent{.type = EventType::gesture, .timestamp = 1});
    taps.live.back()->deliver(std::nullopt); // undecodable: reaches neither
    // a filterer's true still queues the event for the handler
    EXPECT_EQ(std::pair(filtered, handled), std::pair(Times{1}, Times{}));

    // the same tap's second notice is stale
    taps.live.back()->deliver(std::nullopt, TapNotice::disabledBySystem);
    taps.live.back()->deliver(std::nullopt, TapNotice::disabledBySystem);
    queue.runUntilIdle();
    taps.live.back()->deliver(InputEvent{.type = EventType::gesture, .timestamp = 2});
    taps.live.back()->deliver(std::nullopt, TapNotice::disabledBySystem);
    listener->stop(), listener->stop(); // the notice, handled after the stop, restarts nothing
    queue.runUntilIdle();
    EXPECT_EQ(std::pair(taps.createAttempts, taps.live.size()), std::pair(3, 0ul));

    listener->start();
    taps.live.back()->deliver(InputEvent{.type = EventType::gesture, .timestamp = 3});
    listener.reset(); // what a destroyed listener had queued is dropped
    queue.runUntilIdle();
    EXPECT_EQ(handled, (Times{1, 2}));

    taps.sourceFd = closedDescriptor();
    std::promise<void> failed;
    taps.sourceFailed = [&] { failed.set_value(); };
    EventTapListener offMain(taps, loop, queue, 0x20000000, false, {}, {});
    offMain.start();
    ASSERT_EQ(failed.get_future().wait_for(5s), std::future_status::ready);
    queue.runUntilIdle();
    EXPECT_EQ(taps.createAttempts, 6) << "the failed source's tap is made again";
    EXPECT_TRUE(offMain.isStarted() && offMain.servingThread()->isRunning());
}

TEST(RunLoopThread, ServesSourcesOnItsOwnThreadAndDropsOneThatFailed) {
    RunLoopThread thread;
    ASSERT_TRUE(thread.start());
    std::atomic<int> failures = 0;
    std::promise<void> failed;
    thread.addSource(
        closedDescriptor(), [] { ADD_FAILURE() << "a failed source is not ready"; },
        [&] { failures++ == 0 ? failed.set_value() : void(); });
    ASSERT_EQ(failed.get_future().wait_for(5s), std::future_status::ready);

    // the loop lives on and serves later sources; the failed one is never polled again
    const int fd = ::eventfd(1, EFD_CLOEXEC | EFD_NONBLOCK); // readable at once
    std::promise<std::thread::id> served;
    thread.addSource(fd,
                     [&] { // a second call would throw
                         eventfd_t count;
                         ::eventfd_read(fd, &count), served.set_value(std::this_thread::get_id());
                     },
                     {});
    auto servedOn = served.get_future();
    ASSERT_EQ(servedOn.wait_for(5s), std::future_status::ready);
    EXPECT_NE(servedOn.get(), std::this_thread::get_id());
    thread.stop();
    EXPECT_EQ(failures, 1);
    ::close(fd);
}

} // namespace
} // namespace zentrivo
