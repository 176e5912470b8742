// The X11 input adapter against a real X server (a private Xvfb, see run-under-xvfb.sh), driven
// by synthetic input from xtest-send.
#include "platform/linux/X11InputMonitor.h"

#include "EventLoopWait.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <vector>
// Last: Xlib's macros (None, Bool, Status) clash with names in Qt and gtest.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace zentrivo::platform {
namespace {

using test::pumpUntil;

constexpr EventMask everything = ~EventMask{0};

class X11InputMonitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Every test starts with nothing held and the pointer at a known place.
        send({"moveto", "640", "400"});
        X11InputMonitor::Opened opened = X11InputMonitor::open();
        ASSERT_TRUE(opened.monitor) << opened.error;
        monitor = std::move(opened.monitor);
    }

    /// Runs xtest-send with `words`; it has synchronised with the server when it returns.
    static void send(const QStringList& words) {
        QProcess process;
        process.start(QStringLiteral(XTEST_SEND_PATH), words);
        ASSERT_TRUE(process.waitForFinished(10000)) << "xtest-send hung";
        ASSERT_EQ(process.exitStatus(), QProcess::NormalExit);
        ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    }

    /// Records every event of `mask` from now on.
    std::vector<InputEvent>& record(EventMask mask) {
        auto token = monitor->addGlobalMonitor(mask, [this](const InputEvent* event) {
            ASSERT_NE(event, nullptr);
            events.push_back(*event);
        });
        EXPECT_TRUE(token.has_value());
        return events;
    }

    bool receivedType(EventType type) const {
        for (const InputEvent& event : events) {
            if (event.type == type) {
                return true;
            }
        }
        return false;
    }

    std::unique_ptr<X11InputMonitor> monitor;
    std::vector<InputEvent> events;
};

TEST_F(X11InputMonitorTest, modifierKeysReportTheFlagsInTheDeviceIndependentLayout) {
    record(maskOf(EventType::flagsChanged));
    send({"keydown", "Super_L", "keydown", "Alt_L", "keyup", "Alt_L", "keyup", "Super_L"});
    ASSERT_TRUE(pumpUntil([&] { return events.size() >= 4; }));

    const std::vector<std::uint64_t> expected = {0x100000, 0x180000, 0x100000, 0};
    ASSERT_EQ(events.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(events[i].type, EventType::flagsChanged);
        EXPECT_EQ(events[i].modifierFlags, expected[i]);
    }
    EXPECT_GT(events[0].timestamp, 0);
    EXPECT_LE(events[0].timestamp, events[3].timestamp);
}

TEST_F(X11InputMonitorTest, eachMappedModifierKeyHasItsOwnFlag) {
    record(maskOf(EventType::flagsChanged));
    const struct {
        const char* key;
        std::uint64_t flag;
    } table[] = {
        {"Shift_L", 0x20000},  {"Control_L", 0x40000}, {"Alt_L", 0x80000},
        {"Super_L", 0x100000}, {"Caps_Lock", 0x10000},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.key);
        events.clear();
        send({"keydown", row.key});
        ASSERT_TRUE(pumpUntil([&] { return !events.empty(); }));
        EXPECT_EQ(events.front().modifierFlags, row.flag);
        send({"keyup", row.key});
        if (row.flag == 0x10000) {
            // Caps Lock stays locked after its release; a second press and release unlocks it.
            send({"key", "Caps_Lock"});
        }
        ASSERT_TRUE(pumpUntil([&] { return events.back().modifierFlags == 0; }));
    }
}

TEST_F(X11InputMonitorTest, mouseButtonsCarryTheirNumberAndTheHeldModifiers) {
    record(everything);
    const struct {
        const char* xButton;
        EventType down, up;
        std::int64_t number;
    } table[] = {
        {"1", EventType::leftMouseDown, EventType::leftMouseUp, 0},
        {"3", EventType::rightMouseDown, EventType::rightMouseUp, 1},
        {"2", EventType::otherMouseDown, EventType::otherMouseUp, 2},
        {"8", EventType::otherMouseDown, EventType::otherMouseUp, 3},
        {"9", EventType::otherMouseDown, EventType::otherMouseUp, 4},
    };
    send({"keydown", "Shift_L"});
    ASSERT_TRUE(pumpUntil([&] { return !events.empty(); }));
    for (const auto& row : table) {
        SCOPED_TRACE(row.xButton);
        events.clear();
        send({"click", row.xButton});
        ASSERT_TRUE(pumpUntil([&] { return events.size() >= 2; }));
        ASSERT_EQ(events.size(), 2u);
        EXPECT_EQ(events[0].type, row.down);
        EXPECT_EQ(events[1].type, row.up);
        EXPECT_EQ(events[0].buttonNumber, row.number);
        EXPECT_EQ(events[1].buttonNumber, row.number);
        EXPECT_EQ(events[0].modifierFlags, 0x20000u);
    }
    send({"keyup", "Shift_L"});
}

TEST_F(X11InputMonitorTest, scrollButtonsProduceNothing) {
    record(everything);
    // The press of button 8 is the positive event to wait for; nothing may come before it.
    send({"click", "4", "click", "5", "click", "6", "click", "7", "buttondown", "8"});
    ASSERT_TRUE(pumpUntil([&] { return !events.empty(); }));
    EXPECT_EQ(events.front().type, EventType::otherMouseDown);
    EXPECT_EQ(events.front().buttonNumber, 3);
    send({"buttonup", "8"});
}

TEST_F(X11InputMonitorTest, motionIsMovedOrDraggedByTheHeldButton) {
    record(maskOf(EventType::mouseMoved) | maskOf(EventType::leftMouseDragged) |
           maskOf(EventType::rightMouseDragged) | maskOf(EventType::otherMouseDragged));
    const struct {
        const char* xButton; // null: no button held
        EventType type;
        std::int64_t number;
    } table[] = {
        // The other buttons' numbering is covered by the click test and the translator's table.
        {nullptr, EventType::mouseMoved, 0},
        {"1", EventType::leftMouseDragged, 0},
        {"3", EventType::rightMouseDragged, 1},
        {"9", EventType::otherMouseDragged, 4},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.xButton ? row.xButton : "none");
        events.clear();
        if (row.xButton) {
            send({"buttondown", row.xButton});
        }
        send({"move", "3", "0"});
        ASSERT_TRUE(pumpUntil([&] { return !events.empty(); }));
        EXPECT_EQ(events.front().type, row.type);
        EXPECT_EQ(events.front().buttonNumber, row.number);
        if (row.xButton) {
            send({"buttonup", row.xButton});
        }
    }
}

TEST_F(X11InputMonitorTest, aButtonHeldBeforeMonitoringStartsStillMakesADrag) {
    monitor.reset();
    send({"buttondown", "1"});
    monitor = std::move(X11InputMonitor::open().monitor);
    ASSERT_TRUE(monitor);
    record(maskOf(EventType::mouseMoved) | maskOf(EventType::leftMouseDragged));
    send({"move", "2", "2"});
    ASSERT_TRUE(pumpUntil([&] { return !events.empty(); }));
    EXPECT_EQ(events.front().type, EventType::leftMouseDragged);
    send({"buttonup", "1"});
}

TEST_F(X11InputMonitorTest, cursorLocationFollowsRelativeMotionInYUpCoordinates) {
    record(maskOf(EventType::mouseMoved));
    send({"moveto", "100", "100"});
    ASSERT_TRUE(pumpUntil([&] { return monitor->mouseLocation() == Point{100, 700}; }));
    events.clear();

    send({"move", "10", "-5"});
    ASSERT_TRUE(pumpUntil([&] { return !events.empty(); }));
    // The screen is 800 pixels high: X row 95 is 705 points above the bottom edge.
    EXPECT_EQ(monitor->mouseLocation(), (Point{110, 705}));
    EXPECT_EQ(monitor->primaryScreen(), (PrimaryScreen{0, 0, 1280, 800}));
}

TEST_F(X11InputMonitorTest, eventsReadDuringACursorQueryAreStillDelivered) {
    record(maskOf(EventType::flagsChanged));
    send({"key", "Shift_L"});
    // The events are on the connection already; the query's round trip reads them into Xlib's
    // queue, where the socket notifier cannot see them.
    monitor->mouseLocation();
    ASSERT_TRUE(pumpUntil([&] { return events.size() == 2; }));
    EXPECT_EQ(events[0].modifierFlags, 0x20000u);
    EXPECT_EQ(events[1].modifierFlags, 0u);
}

TEST_F(X11InputMonitorTest, monitorsSeeOnlyTheirMaskAndNothingOnceRemoved) {
    std::vector<EventType> flagsOnly, clicksOnly;
    auto flagsToken =
        monitor->addGlobalMonitor(maskOf(EventType::flagsChanged), [&](const InputEvent* event) {
            flagsOnly.push_back(event->type);
        });
    auto clickToken = monitor->addGlobalMonitor(
        maskOf(EventType::otherMouseDown) | maskOf(EventType::otherMouseUp),
        [&](const InputEvent* event) { clicksOnly.push_back(event->type); });
    ASSERT_TRUE(flagsToken && clickToken);
    int localCalls = 0;
    auto localToken = monitor->addLocalMonitor(everything, [&](const InputEvent& event) {
        ++localCalls;
        return std::optional<InputEvent>(event);
    });
    ASSERT_TRUE(localToken);
    EXPECT_NE(*localToken, *flagsToken);

    send({"move", "4", "4", "click", "1", "key", "Shift_L", "click", "2"});
    ASSERT_TRUE(pumpUntil([&] { return clicksOnly.size() >= 2; }));
    EXPECT_EQ(flagsOnly, (std::vector{EventType::flagsChanged, EventType::flagsChanged}));
    EXPECT_EQ(clicksOnly, (std::vector{EventType::otherMouseDown, EventType::otherMouseUp}));
    EXPECT_EQ(localCalls, 0);

    monitor->removeMonitor(*flagsToken);
    monitor->removeMonitor(*localToken);
    monitor->removeMonitor(12345); // unknown: ignored
    send({"key", "Shift_L", "click", "2"});
    ASSERT_TRUE(pumpUntil([&] { return clicksOnly.size() >= 4; }));
    EXPECT_EQ(flagsOnly.size(), 2u);
}

TEST_F(X11InputMonitorTest, aHandlerMayStartAndStopMonitorsWhileEventsArrive) {
    // As the gesture coordinator does: the trigger starts the movement monitor, the release
    // stops it again.
    std::vector<EventType> moves;
    bool clicked = false;
    std::optional<EventMonitorService::Token> movement;
    monitor->addGlobalMonitor(maskOf(EventType::flagsChanged), [&](const InputEvent* event) {
        if (event->modifierFlags == 0x180000 && !movement) {
            movement = monitor->addGlobalMonitor(
                maskOf(EventType::mouseMoved),
                [&](const InputEvent* moved) { moves.push_back(moved->type); });
        } else if (event->modifierFlags != 0x180000 && movement) {
            monitor->removeMonitor(*movement);
            movement.reset();
        }
    });
    monitor->addGlobalMonitor(maskOf(EventType::otherMouseDown),
                              [&](const InputEvent*) { clicked = true; });
    send({"keydown", "Super_L", "keydown", "Alt_L", "move", "5", "0", "keyup", "Alt_L", "move", "5",
          "0", "keyup", "Super_L", "click", "8"});
    // Events arrive in order: once the click is in, both movements have been delivered or not.
    ASSERT_TRUE(pumpUntil([&] { return clicked; }));
    EXPECT_FALSE(movement);
    EXPECT_EQ(moves, (std::vector{EventType::mouseMoved}));
}

TEST_F(X11InputMonitorTest, aMonitorRemovedByAnEarlierHandlerMissesTheSameEvent) {
    int secondCalls = 0;
    std::optional<EventMonitorService::Token> second;
    monitor->addGlobalMonitor(maskOf(EventType::flagsChanged), [&](const InputEvent*) {
        if (second) {
            monitor->removeMonitor(*second);
        }
    });
    second = monitor->addGlobalMonitor(maskOf(EventType::flagsChanged),
                                       [&](const InputEvent*) { ++secondCalls; });
    record(maskOf(EventType::flagsChanged));
    send({"keydown", "Shift_L"});
    ASSERT_TRUE(pumpUntil([&] { return !events.empty(); }));
    EXPECT_EQ(secondCalls, 0);
    send({"keyup", "Shift_L"});
}

TEST_F(X11InputMonitorTest, keysReportOnlyNonModifierKeysAndOnlyWhenWanted) {
    std::vector<EventType> seen;
    auto token = monitor->addGlobalMonitor(
        maskOf(EventType::keyDown) | maskOf(EventType::keyUp) | maskOf(EventType::flagsChanged),
        [&](const InputEvent* event) { seen.push_back(event->type); });
    ASSERT_TRUE(token);
    send({"key", "Shift_L", "key", "a"});
    ASSERT_TRUE(pumpUntil([&] { return seen.size() >= 4; }));
    EXPECT_EQ(seen, (std::vector{EventType::flagsChanged, EventType::flagsChanged,
                                 EventType::keyDown, EventType::keyUp}));
}

TEST_F(X11InputMonitorTest, thePrimaryOutputDefinesTheOriginAndFollowsChanges) {
    // Shrink the one output of Xvfb to 1024x768 at (100, 32) and make it the primary; the
    // screen stays 1280x800.
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const Window root = DefaultRootWindow(display);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
    ASSERT_TRUE(resources && resources->noutput > 0 && resources->ncrtc > 0);
    RROutput output = resources->outputs[0];
    XRRModeInfo info{};
    char name[] = "zentrivo-1024x768";
    info.width = 1024;
    info.height = 768;
    info.name = name;
    info.nameLength = sizeof name - 1;
    const RRMode mode = XRRCreateMode(display, root, &info);
    XRRAddOutputMode(display, output, mode);
    ASSERT_EQ(XRRSetCrtcConfig(display, resources, resources->crtcs[0], CurrentTime, 100, 32, mode,
                               RR_Rotate_0, &output, 1),
              Success);
    XRRSetOutputPrimary(display, root, output);
    XSync(display, False);
    XRRFreeScreenResources(resources);
    XCloseDisplay(display);

    const PrimaryScreen shrunk{100, 32, 1024, 768};
    ASSERT_TRUE(pumpUntil([&] { return monitor->primaryScreen() == shrunk; }));
    send({"moveto", "150", "100"});
    EXPECT_EQ(monitor->mouseLocation(), (Point{50, 700}));
}

TEST(X11InputMonitorOpenTest, anUnreachableServerIsOneLineOfError) {
    X11InputMonitor::Opened opened = X11InputMonitor::open(":4711");
    EXPECT_FALSE(opened.monitor);
    EXPECT_NE(opened.error.find(":4711"), std::string::npos) << opened.error;
    EXPECT_EQ(opened.error.find('\n'), std::string::npos);
}

} // namespace
} // namespace zentrivo::platform

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
