// xtest-send against a private Xvfb (see run-under-xvfb.sh): what it sends arrives exactly once,
// and its waits end on the windows' real state.
#include <gtest/gtest.h>
// After gtest, which has a type called None: Xlib defines None as a macro.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>
#include <cstdio>
#include <regex>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

/// Starts xtest-send with `words`, leaving standard input and output as they are.
pid_t start(const std::vector<std::string>& words) {
    std::vector<char*> argv{const_cast<char*>(XTEST_SEND_PATH)};
    for (const std::string& word : words) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, XTEST_SEND_PATH, nullptr, nullptr, argv.data(), environ), 0);
    return pid;
}

/// Waits for the exit (every wait inside xtest-send is bounded) and returns its status.
int finish(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int run(const std::vector<std::string>& words) {
    return finish(start(words));
}

/// The exit status of a pclose, as `finish` reports it.
int statusOf(int pcloseResult) {
    return WIFEXITED(pcloseResult) ? WEXITSTATUS(pcloseResult) : -1;
}

class XTestSendTest : public ::testing::Test {
protected:
    void SetUp() override {
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        root = DefaultRootWindow(display);
    }
    void TearDown() override {
        if (display) {
            XCloseDisplay(display);
        }
    }

    Window makeWindow(Window parent, const char* instance, const char* windowClass,
                      const char* name) {
        Window window = XCreateSimpleWindow(display, parent, 0, 0, 50, 50, 0, 0, 0);
        if (instance) {
            XClassHint hint{const_cast<char*>(instance), const_cast<char*>(windowClass)};
            XSetClassHint(display, window, &hint);
        }
        if (name) {
            XStoreName(display, window, name);
        }
        XSync(display, False);
        return window;
    }

    Display* display = nullptr;
    Window root = 0;
};

TEST_F(XTestSendTest, waitmapEndsWhenAMatchingWindowBecomesViewable) {
    const Window window = makeWindow(root, "zentrivo-reticle", "Zentrivo", "Reticle");
    for (const char* name : {"zentrivo-reticle", "Zentrivo", "Reticle"}) {
        SCOPED_TRACE(name);
        const pid_t mapWait = start({"waitmap", name, "10000"});
        XMapWindow(display, window);
        XSync(display, False);
        EXPECT_EQ(finish(mapWait), 0);

        const pid_t unmapWait = start({"waitunmap", name, "10000"});
        XUnmapWindow(display, window);
        XSync(display, False);
        EXPECT_EQ(finish(unmapWait), 0);
    }
}

TEST_F(XTestSendTest, aWindowInsideAnUnmappedFrameIsNotViewable) {
    // As under a window manager: the client is reparented into a frame, and the frame's map is
    // what makes it viewable.
    const Window frame = makeWindow(root, nullptr, nullptr, nullptr);
    const Window client = makeWindow(frame, "framed", "Framed", nullptr);
    XMapWindow(display, client);
    XSync(display, False);
    EXPECT_EQ(run({"waitmap", "framed", "50"}), 1);

    const pid_t waiting = start({"waitmap", "framed", "10000"});
    XMapWindow(display, frame);
    XSync(display, False);
    EXPECT_EQ(finish(waiting), 0);
}

TEST_F(XTestSendTest, waitsTimeOutWithStatusOne) {
    makeWindow(root, "never-mapped", "NeverMapped", nullptr);
    EXPECT_EQ(run({"waitmap", "never-mapped", "30"}), 1);
    EXPECT_EQ(run({"waitmap", "no-such-window", "0"}), 1);
    EXPECT_EQ(run({"waitunmap", "no-such-window", "0"}), 0);
    const Window shown = makeWindow(root, "shown", "Shown", nullptr);
    XMapWindow(display, shown);
    XSync(display, False);
    EXPECT_EQ(run({"waitunmap", "shown", "30"}), 1);
}

TEST_F(XTestSendTest, keySendsExactlyOnePressAndOneRelease) {
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XISetMask(bits, XI_RawButtonPress);
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
    int opcode = 0, event = 0, error = 0;
    ASSERT_TRUE(XQueryExtension(display, "XInputExtension", &opcode, &event, &error));
    int major = 2, minor = 2;
    ASSERT_EQ(XIQueryVersion(display, &major, &minor), Success);
    XISelectEvents(display, root, &mask, 1);
    XSync(display, False);

    // The button press marks the end of what the key produced.
    ASSERT_EQ(run({"key", "a", "click", "2"}), 0);
    int presses = 0, releases = 0;
    for (bool done = false; !done;) {
        XEvent xevent;
        XNextEvent(display, &xevent); // the click is on its way: this cannot block for good
        if (xevent.type != GenericEvent || xevent.xcookie.extension != opcode ||
            !XGetEventData(display, &xevent.xcookie)) {
            continue;
        }
        switch (xevent.xcookie.evtype) {
        case XI_RawKeyPress:
            ++presses;
            break;
        case XI_RawKeyRelease:
            ++releases;
            break;
        case XI_RawButtonPress:
            done = true;
            break;
        }
        XFreeEventData(display, &xevent.xcookie);
    }
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(releases, 1);
}

TEST_F(XTestSendTest, commandsFromStandardInputRunLineByLine) {
    const KeyCode shift = XKeysymToKeycode(display, XStringToKeysym("Shift_L"));
    auto held = [&] {
        char keys[32];
        XQueryKeymap(display, keys);
        return (keys[shift / 8] & (1 << (shift % 8))) != 0;
    };
    FILE* input = popen(XTEST_SEND_PATH, "w");
    ASSERT_NE(input, nullptr);
    std::fputs("# a comment line\n\nkeydown Shift_L   # trailing comment\nsync\n", input);
    EXPECT_EQ(statusOf(pclose(input)), 0);
    EXPECT_TRUE(held());
    EXPECT_EQ(run({"keyup", "Shift_L"}), 0);
    EXPECT_FALSE(held());
}

TEST_F(XTestSendTest, stampPrintsServerTimeAndMonotonicTime) {
    FILE* output = popen(XTEST_SEND_PATH " stamp stamp", "r");
    ASSERT_NE(output, nullptr);
    std::string text;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, output)) {
        text += buffer;
    }
    EXPECT_EQ(statusOf(pclose(output)), 0);
    const std::regex line(R"(stamp (\d+) (\d+)\n)");
    std::vector<std::pair<unsigned long long, unsigned long long>> stamps;
    for (std::sregex_iterator it(text.begin(), text.end(), line), end; it != end; ++it) {
        stamps.emplace_back(std::stoull((*it)[1]), std::stoull((*it)[2]));
    }
    ASSERT_EQ(stamps.size(), 2u) << text;
    EXPECT_GE(stamps[1].first, stamps[0].first);
    EXPECT_GE(stamps[1].second, stamps[0].second);
    EXPECT_GT(stamps[0].second, 0u);
}

TEST_F(XTestSendTest, motionIsAbsoluteOrRelativeAsAsked) {
    ASSERT_EQ(run({"moveto", "200", "300", "move", "5", "-3"}), 0);
    Window rootReturn, child;
    int rootX = 0, rootY = 0, windowX, windowY;
    unsigned int state;
    XQueryPointer(display, root, &rootReturn, &child, &rootX, &rootY, &windowX, &windowY, &state);
    EXPECT_EQ(rootX, 205);
    EXPECT_EQ(rootY, 297);
}

TEST_F(XTestSendTest, badCommandsExitWithStatusTwo) {
    const std::vector<std::vector<std::string>> table = {
        {"jump"},
        {"move", "1"},
        {"move", "one", "2"},
        {"keydown", "NoSuchKeysym"},
        {"buttondown", "0"},
        {"waitmap", "x", "-5"},
        {"sleep", "10"},
    };
    for (const auto& words : table) {
        SCOPED_TRACE(words.front());
        EXPECT_EQ(run(words), 2);
    }
}

} // namespace
