// The X11 input adapter against a real X server (a private Xvfb, see run-under-xvfb.sh), driven
// by synthetic input from xtest-send.
#include "platform/linux/X11InputMonitor.h"

#include "EventLoopWait.h"

#include <QCoreApplication>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace zentrivo::platform {
namespace {

using test::pumpUntil;

class X11InputMonitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        X11InputMonitor::Opened opened = X11InputMonitor::open();
        ASSERT_TRUE(opened.monitor) << opened.error;
        monitor = std::move(opened.monitor);
    }

    /// Runs xtest-send with `words`; it has synchronised with the server when it returns.
    static void send(const std::string& words) {
        ASSERT_EQ(std::system((XTEST_SEND_PATH " " + words).c_str()), 0) << words;
    }

    /// Records every event of `mask` from now on.
    void record(EventMask mask) {
        ASSERT_TRUE(monitor->addGlobalMonitor(
            mask, [this](const InputEvent* event) { events.push_back(*event); }));
    }

    std::unique_ptr<X11InputMonitor> monitor;
    std::vector<InputEvent> events;
};

TEST_F(X11InputMonitorTest, modifierKeysReportTheFlagsInTheDeviceIndependentLayout) {
    record(maskOf(EventType::flagsChanged));
    send("keydown Super_L keydown Alt_L keyup Alt_L keyup Super_L");
    ASSERT_TRUE(pumpUntil([&] { return events.size() >= 4; }));
    const std::vector<std::uint64_t> expected = {0x100000, 0x180000, 0x100000, 0};
    ASSERT_EQ(events.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(events[i].type, EventType::flagsChanged);
        EXPECT_EQ(events[i].modifierFlags, expected[i]);
    }
}

TEST_F(X11InputMonitorTest, scrollButtonsProduceNothingAndButtonEightIsNumberThree) {
    record(~EventMask{0});
    // The press of button 8 is the positive event to wait for; nothing may come before it.
    send("click 4 click 5 click 6 click 7 click 8");
    ASSERT_TRUE(pumpUntil([&] { return events.size() >= 2; }));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].type, EventType::otherMouseDown);
    EXPECT_EQ(events[1].type, EventType::otherMouseUp);
    EXPECT_EQ(events[0].buttonNumber, 3);
}

TEST_F(X11InputMonitorTest, cursorLocationFollowsRelativeMotionInYUpCoordinates) {
    record(maskOf(EventType::mouseMoved));
    send("moveto 100 100");
    ASSERT_TRUE(pumpUntil([&] { return monitor->mouseLocation() == Point{100, 700}; }));
    events.clear();

    send("move 10 -5");
    ASSERT_TRUE(pumpUntil([&] { return !events.empty(); }));
    // The screen is 800 pixels high: X row 95 is 705 points above the bottom edge.
    EXPECT_EQ(monitor->mouseLocation(), (Point{110, 705}));
}

TEST_F(X11InputMonitorTest, eventsReadDuringACursorQueryAreStillDelivered) {
    record(maskOf(EventType::flagsChanged));
    send("key Shift_L");
    // The events are on the connection already; the query's round trip reads them into Xlib's
    // queue, where the socket notifier cannot see them.
    monitor->mouseLocation();
    ASSERT_TRUE(pumpUntil([&] { return events.size() == 2; }));
    EXPECT_EQ(events[0].modifierFlags, 0x20000u);
    EXPECT_EQ(events[1].modifierFlags, 0u);
}

} // namespace
} // namespace zentrivo::platform

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
