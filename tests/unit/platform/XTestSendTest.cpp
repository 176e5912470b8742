// xtest-send against a private Xvfb (see run-under-xvfb.sh): what it sends arrives exactly once,
// and its waits are bounded.
#include <gtest/gtest.h>
// After gtest, which has a type called None: Xlib defines None as a macro.
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace {

/// Runs xtest-send with `words` (every wait inside it is bounded) and returns its exit status.
int run(const std::string& words) {
    const int status = std::system((XTEST_SEND_PATH " " + words).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class XTestSendTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(display, nullptr); }
    void TearDown() override {
        if (display)
            XCloseDisplay(display);
    }
    Display* display = XOpenDisplay(nullptr);
};

TEST_F(XTestSendTest, waitsTimeOutWithStatusOne) {
    const Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 50, 50, 0, 0, 0);
    XStoreName(display, window, "probe");
    XSync(display, False);
    EXPECT_EQ(run("waitmap probe 30"), 1);
    EXPECT_EQ(run("waitunmap probe 30"), 0);
    XMapWindow(display, window);
    XSync(display, False);
    EXPECT_EQ(run("waitunmap probe 30"), 1);
}

TEST_F(XTestSendTest, keySendsExactlyOnePressAndOneRelease) {
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XISetMask(bits, XI_RawButtonPress);
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
    int opcode = 0, event = 0, error = 0, major = 2, minor = 2;
    ASSERT_TRUE(XQueryExtension(display, "XInputExtension", &opcode, &event, &error));
    ASSERT_EQ(XIQueryVersion(display, &major, &minor), Success);
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    XSync(display, False);

    // The button press marks the end of what the key produced.
    ASSERT_EQ(run("key a click 2"), 0);
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
}

} // namespace
