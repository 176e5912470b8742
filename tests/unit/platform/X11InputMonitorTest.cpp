// The X11 input adapter against a real X server (a private Xvfb, see run-under-xvfb.sh), driven
// by synthetic input from xtest-send; and xtest-send itself: what it sends arrives exactly once,
// and its waits are bounded.
#include "platform/linux/X11InputMonitor.h"

#include "EventLoopWait.h"

#include <QCoreApplication>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <vector>
// After gtest, which has a type called None: Xlib defines None as a macro.
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace zentrivo::platform {
namespace {

using test::pumpUntil;

/// Runs xtest-send with `words` (every wait inside it is bounded) and returns its exit status;
/// it has synchronised with the server when it returns.
int send(const std::string& words) {
    const int status = std::system((XTEST_SEND_PATH " " + words).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class X11InputMonitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        X11InputMonitor::Opened opened = X11InputMonitor::open();
        ASSERT_TRUE(opened.monitor) << opened.error;
        monitor = std::move(opened.monitor);
    }

    /// Records every event of `mask` from now on.
    void record(EventMask mask) {
        ASSERT_TRUE(monitor->addGlobalMonitor(
            mask, [this](const InputEvent* event) { events.push_back(*event); }));
    }

    std::unique_ptr<X11InputMonitor> monitor;
    std::vector<InputEvent> events;
};

TEST_F(X11InputMonitorTest, modifierFlagsInTheDeviceIndependentLayoutEvenWhenReadByACursorQuery) {
    record(maskOf(EventType::flagsChanged));
    ASSERT_EQ(send("keydown Super_L keydown Alt_L keyup Alt_L keyup Super_L"), 0);
    // The events are on the connection already; the query's round trip reads them into Xlib's
    // queue, where the socket notifier cannot see them: they must still be delivered.
    monitor->mouseLocation();
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
    ASSERT_EQ(send("click 4 click 5 click 6 click 7 click 8"), 0);
    ASSERT_TRUE(pumpUntil([&] { return events.size() >= 2; }));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].type, EventType::otherMouseDown);
    EXPECT_EQ(events[1].type, EventType::otherMouseUp);
    EXPECT_EQ(events[0].buttonNumber, 3);
}

TEST_F(X11InputMonitorTest, cursorLocationFollowsRelativeMotionInYUpCoordinates) {
    record(maskOf(EventType::mouseMoved));
    ASSERT_EQ(send("moveto 100 100"), 0);
    ASSERT_TRUE(pumpUntil([&] { return monitor->mouseLocation() == Point{100, 700}; }));
    events.clear();
    ASSERT_EQ(send("move 10 -5"), 0);
    ASSERT_TRUE(pumpUntil([&] { return !events.empty(); }));
    // The screen is 800 pixels high: X row 95 is 705 points above the bottom edge.
    EXPECT_EQ(monitor->mouseLocation(), (Point{110, 705}));
}

TEST(XTestSend, waitsTimeOutWithStatusOneAndAKeyIsOnePressAndOneRelease) {
    Display* const display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 50, 50, 0, 0, 0);
    XStoreName(display, window, "probe");
    XSync(display, False);
    EXPECT_EQ(send("waitmap probe 30"), 1);
    EXPECT_EQ(send("waitunmap probe 30"), 0);
    XMapWindow(display, window);
    XSync(display, False);
    EXPECT_EQ(send("waitunmap probe 30"), 1);

    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    for (int type : {XI_RawKeyPress, XI_RawKeyRelease, XI_RawButtonPress})
        XISetMask(bits, type);
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
    int opcode = 0, event = 0, error = 0, major = 2, minor = 2;
    ASSERT_TRUE(XQueryExtension(display, "XInputExtension", &opcode, &event, &error));
    ASSERT_EQ(XIQueryVersion(display, &major, &minor), Success);
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    XSync(display, False);
    // The button press marks the end of what the key produced.
    ASSERT_EQ(send("key a click 2"), 0);
    int presses = 0, releases = 0;
    for (bool done = false; !done;) {
        XEvent xevent;
        XNextEvent(display, &xevent); // the click is on its way: this cannot block for good
        if (xevent.type != GenericEvent || xevent.xcookie.extension != opcode ||
            !XGetEventData(display, &xevent.xcookie))
            continue;
        presses += xevent.xcookie.evtype == XI_RawKeyPress;
        releases += xevent.xcookie.evtype == XI_RawKeyRelease;
        done = xevent.xcookie.evtype == XI_RawButtonPress;
        XFreeEventData(display, &xevent.xcookie);
    }
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(releases, 1);
    XCloseDisplay(display);
}

} // namespace
} // namespace zentrivo::platform

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
