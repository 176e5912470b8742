#pragma once

#include "AccessibilityWindowFactory.h"
#include "CloseBehavior.h"
#include "InputAccess.h"
#include "ProcessExit.h"
#include "app/core/MainQueue.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zentrivo {

/// Checks the permission the trackpad trigger needs and, while it is missing, keeps a prompt up
/// that explains how to grant it, polling until it is granted. Self-contained: it knows only its
/// ports. Main thread only.
class AccessibilityAuth {
public:
    static constexpr std::chrono::milliseconds pollingInterval{300};

    AccessibilityAuth(InputAccess& access, AccessibilityWindowFactory& windows, MainQueue& queue,
                      ProcessExit& process);
    /// Ends the polling and closes the prompt: whoever owns the object decides how long the
    /// permission is waited for.
    ~AccessibilityAuth();
    AccessibilityAuth(const AccessibilityAuth&) = delete;
    AccessibilityAuth& operator=(const AccessibilityAuth&) = delete;

    /// True when already trusted; then nothing else happens and `onAuthorized` is never called.
    /// Otherwise shows the prompt (building it and starting the polling on the first call; a later
    /// call shows the same window again and keeps the first call's completion) and answers false.
    /// Once the permission is granted the prompt closes and `onAuthorized` runs once, on the main
    /// queue; it may destroy this object.
    bool check(std::optional<std::string> appName, std::optional<std::string> icon,
               std::string message, CloseBehavior closeBehavior,
               std::function<void()> onAuthorized);

    /// The close button's action under `CloseBehavior::closeWillQuit`: ends the program with
    /// status 0.
    void quit();

    /// Present from the first failed check until the permission is granted.
    bool hasWindow() const { return accessibilityWindowController != nullptr; }

private:
    void schedulePoll();
    void poll();

    InputAccess& access;
    AccessibilityWindowFactory& windows;
    MainQueue& queue;
    ProcessExit& process;
    std::unique_ptr<AccessibilityWindow> accessibilityWindowController;
    std::function<void()> onAuthorized;
    std::shared_ptr<WorkItem> pollItem;
};

} // namespace zentrivo
