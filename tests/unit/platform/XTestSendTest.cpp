// xtest-send against a private Xvfb (see run-under-xvfb.sh): what it sends arrives exactly once,
// and its waits end on the windows' real state.
#include <gtest/gtest.h>
// After gtest, which has a type called None: Xlib defines None as a macro.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>
#include <regex>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

/// A running xtest-send with its standard input and output connected to pipes.
class Sender {
public:
    explicit Sender(const std::vector<std::string>& words) {
        int input[2], output[2];
        if (pipe(input) != 0 || pipe(output) != 0) {
            ADD_FAILURE() << "pipe failed";
            return;
        }
        pid = fork();
        if (pid == 0) {
            dup2(input[0], STDIN_FILENO);
            dup2(output[1], STDOUT_FILENO);
            close(input[0]);
            close(input[1]);
            close(output[0]);
            close(output[1]);
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(XTEST_SEND_PATH));
            for (const std::string& word : words) {
                argv.push_back(const_cast<char*>(word.c_str()));
            }
            argv.push_back(nullptr);
            execv(XTEST_SEND_PATH, argv.data());
            _exit(127);
        }
        close(input[0]);
        close(output[1]);
        toChild = input[1];
        fromChild = output[0];
    }
    ~Sender() {
        if (toChild >= 0) {
            close(toChild);
        }
        if (fromChild >= 0) {
            close(fromChild);
        }
        if (pid > 0) {
            finish();
        }
    }
    Sender(const Sender&) = delete;
    Sender& operator=(const Sender&) = delete;

    void writeInput(const std::string& text) {
        ASSERT_EQ(write(toChild, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    void closeInput() {
        close(toChild);
        toChild = -1;
    }
    /// Waits for the exit (the waits inside xtest-send are bounded) and returns its status.
    int finish() {
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string output() {
        std::string text;
        char buffer[256];
        ssize_t got;
        while ((got = read(fromChild, buffer, sizeof buffer)) > 0) {
            text.append(buffer, static_cast<std::size_t>(got));
        }
        return text;
    }

private:
    pid_t pid = -1;
    int toChild = -1, fromChild = -1;
};

int run(const std::vector<std::string>& words) {
    Sender sender(words);
    sender.closeInput();
    return sender.finish();
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
        Sender waiting({"waitmap", name, "10000"});
        XMapWindow(display, window);
        XSync(display, False);
        EXPECT_EQ(waiting.finish(), 0);

        Sender unmapWaiting({"waitunmap", name, "10000"});
        XUnmapWindow(display, window);
        XSync(display, False);
        EXPECT_EQ(unmapWaiting.finish(), 0);
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

    Sender waiting({"waitmap", "framed", "10000"});
    XMapWindow(display, frame);
    XSync(display, False);
    EXPECT_EQ(waiting.finish(), 0);
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
    Sender sender({});
    sender.writeInput("# a comment line\n\nkeydown Shift_L   # trailing comment\nsync\n");
    sender.closeInput();
    EXPECT_EQ(sender.finish(), 0);
    EXPECT_TRUE(held());
    EXPECT_EQ(run({"keyup", "Shift_L"}), 0);
    EXPECT_FALSE(held());
}

TEST_F(XTestSendTest, stampPrintsServerTimeAndMonotonicTime) {
    Sender sender({"stamp", "stamp"});
    sender.closeInput();
    const std::string text = sender.output();
    EXPECT_EQ(sender.finish(), 0);
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
