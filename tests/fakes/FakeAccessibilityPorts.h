#pragma once

#include "app/input/AccessibilityWindowFactory.h"
#include "app/input/InputAccess.h"
#include "app/input/ProcessExit.h"

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
        explicit Window(FakeAccessibilityWindowFactory& windows) : windows(windows) {
            ++windows.open;
        }
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

} // namespace zentrivo::test
