#pragma once

#include "app/input/AccessibilityWindowFactory.h"
#include "app/input/InputAccess.h"
#include "app/input/MouseGestureManager.h"
#include "app/input/ProcessExit.h"
#include "app/input/RunLoopThread.h"
#include "tests/fakes/FakeCursorLocation.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeEventServices.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/RecordingLog.h"

#include <string>
#include <vector>

namespace zentrivo::test {

struct FakeInputAccess final : InputAccess {
    bool isTrusted() const override { return trusted; }
    bool hasDevice() const override { return device; }
    bool trusted = false, device = true;
};

/// Counts the prompt windows it makes and keeps what the newest was given and whether it shows.
struct FakeAccessibilityWindowFactory final : AccessibilityWindowFactory {
    std::unique_ptr<AccessibilityWindow> makeWindow(const AccessibilityPromptContent& content,
                                                    std::function<void()> quitAction) override {
        ++made, behavior = content.closeBehavior, quit = std::move(quitAction);
        return std::make_unique<Window>(*this);
    }

    int made = 0, open = 0; // open: made and not yet destroyed
    bool shown = false;     // presented and not closed since
    CloseBehavior behavior{};
    std::function<void()> quit;

    struct Window final : AccessibilityWindow {
        explicit Window(FakeAccessibilityWindowFactory& w) : windows(w) { ++w.open; }
        ~Window() override { --windows.open; }
        void present() override { windows.shown = true; }
        void close() override { windows.shown = false; }
        FakeAccessibilityWindowFactory& windows;
    };
};

struct FakeProcessExit final : ProcessExit {
    void exitProcess(int status) override { statuses.push_back(status); }
    std::vector<int> statuses;
};

/// Records what the reticle is told, as compact strings ("show", "show 40", "moved 10,20",
/// "dismiss perform", "dismiss cancel"), whole points only, so that a test can compare sequences.
struct RecordingReticleControl final : ReticleControl {
    void show(std::optional<float> minDist) override {
        calls.push_back(minDist ? "show " + std::to_string(int(*minDist)) : "show");
    }
    bool cursorMoved(Point to) override {
        calls.push_back("moved " + std::to_string(int(to.x)) + "," + std::to_string(int(to.y)));
        return true;
    }
    void dismiss(bool performAction) override {
        calls.push_back(performAction ? "dismiss perform" : "dismiss cancel");
    }
    std::vector<std::string> calls;
};

/// The gesture coordinator over a fake of every port it uses; `start` makes and starts a fresh
/// one with the defaults as they are then, and forgets what the reticle was told before.
struct GestureCoordinatorRig {
    void start() {
        reticle.calls.clear();
        manager = std::make_unique<MouseGestureManager>(
            reticle, defaults, center, monitors, taps, loop, queue, cursor,
            AccessibilityPorts{access, windows, exit, log});
        manager->start();
    }

    FakeDefaultsDatabase db;
    Defaults defaults{db};
    NotificationCenter center;
    FakeEventMonitorService monitors;
    FakeEventTapService taps;
    RunLoopThread loop; // never started: the fake taps deliver by themselves
    FakeMainQueue queue;
    FakeCursorLocation cursor;
    RecordingReticleControl reticle;
    FakeInputAccess access;
    FakeAccessibilityWindowFactory windows;
    FakeProcessExit exit;
    RecordingLog log;
    std::unique_ptr<MouseGestureManager> manager; // last: gone before the ports it holds
};

} // namespace zentrivo::test
