#include "app/input/EventMonitor.h"

#include "app/input/GlobalEventMonitor.h"
#include "app/input/LocalEventMonitor.h"
#include "tests/fakes/FakeEventMonitorService.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

InputEvent eventOf(EventType type) {
    InputEvent e;
    e.type = type;
    return e;
}

using test::FakeEventMonitorService;

InputEvent moved() {
    return eventOf(EventType::mouseMoved);
}

TEST(EventMonitor, SeesEventsEverywhereAndPassesLocalOnesOn) {
    FakeEventMonitorService service;
    int calls = 0;
    EventMonitor monitor(service, maskOf(EventType::mouseMoved),
                         [&](const InputEvent* e) { calls += e ? 1 : 100; });
    monitor.start();
    EXPECT_EQ(service.send(moved()), 1);
    const auto received = service.sendLocal(moved());
    ASSERT_TRUE(received.has_value());
    EXPECT_EQ(received->type, EventType::mouseMoved);
    EXPECT_EQ(calls, 2);
    // Outside the mask nothing arrives.
    EXPECT_EQ(service.send(eventOf(EventType::keyDown)), 0);
    // An event the platform could not decode still reaches the handler, as none.
    service.sendUndecodable(EventType::mouseMoved);
    EXPECT_EQ(calls, 102);
}

TEST(EventMonitor, RestartingKeepsOneMonitorOfEachKindAndStopRemovesThem) {
    FakeEventMonitorService service;
    int calls = 0;
    EventMonitor monitor(service, 0x6A, [&](const InputEvent*) { ++calls; });
    monitor.stop(); // right after construction: nothing to do
    EXPECT_EQ(service.removals, 0);

    monitor.start();
    monitor.start();
    EXPECT_EQ(service.globalCount(), 1);
    EXPECT_EQ(service.localCount(), 1);
    service.send(moved());
    EXPECT_EQ(calls, 1);

    monitor.stop();
    EXPECT_EQ(service.globalCount() + service.localCount(), 0);
    monitor.stop();
    EXPECT_EQ(service.removals, 4);
    service.send(moved());
    EXPECT_EQ(calls, 1);
}

TEST(EventMonitor, RefusedMonitorsLeaveTheirFieldEmpty) {
    FakeEventMonitorService service;
    service.refuseGlobal = true;
    EventMonitor monitor(service, 0x20, [](const InputEvent*) {});
    monitor.start();
    EXPECT_TRUE(monitor.isRunning());
    EXPECT_EQ(service.localCount(), 1);
    monitor.stop();
    EXPECT_EQ(service.removals, 1); // only the local one existed
    service.refuseLocal = true;
    monitor.start();
    EXPECT_FALSE(monitor.isRunning());
}

TEST(EventMonitor, DestructionRemovesRunningMonitors) {
    FakeEventMonitorService service;
    {
        EventMonitor monitor(service, 0x20, [](const InputEvent*) {});
        monitor.start();
    }
    EXPECT_EQ(service.globalCount() + service.localCount(), 0);
}

TEST(EventMonitor, HandlerMayStopItsOwnMonitor) {
    FakeEventMonitorService service;
    int calls = 0;
    std::unique_ptr<EventMonitor> monitor;
    monitor = std::make_unique<EventMonitor>(service, 0x20, [&](const InputEvent*) {
        ++calls;
        monitor->stop();
    });
    monitor->start();
    service.send(moved());
    service.send(moved());
    EXPECT_EQ(calls, 1);
}

TEST(GlobalEventMonitor, InstallsOnlyAGlobalMonitorAndRemovesItOnDestruction) {
    FakeEventMonitorService service;
    int calls = 0;
    {
        GlobalEventMonitor monitor(service, 0x1000, [&](const InputEvent*) { ++calls; });
        monitor.start();
        monitor.start();
        EXPECT_EQ(service.globalCount(), 1);
        EXPECT_EQ(service.localCount(), 0);
        service.send(eventOf(EventType::flagsChanged));
        EXPECT_EQ(service.sendLocal(eventOf(EventType::flagsChanged)).has_value(), true);
    }
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(service.globalCount(), 0);
}

TEST(LocalEventMonitor, HandlerDecidesWhatTheWindowsReceive) {
    FakeEventMonitorService service;
    {
        LocalEventMonitor monitor(service, 0x1000 | 0x20,
                                  [](const InputEvent& e) -> std::optional<InputEvent> {
                                      if (e.type == EventType::flagsChanged)
                                          return std::nullopt;
                                      InputEvent changed = e;
                                      changed.modifierFlags = 0x20000;
                                      return changed;
                                  });
        monitor.start();
        EXPECT_EQ(service.globalCount(), 0);
        EXPECT_FALSE(service.sendLocal(eventOf(EventType::flagsChanged)).has_value());
        const auto passed = service.sendLocal(moved());
        ASSERT_TRUE(passed.has_value());
        EXPECT_EQ(passed->modifierFlags, 0x20000u);
        // Global deliveries do not reach a local monitor.
        EXPECT_EQ(service.send(moved()), 0);
    }
    EXPECT_EQ(service.localCount(), 0);
}

} // namespace
} // namespace zentrivo
