#pragma once

#include "app/core/MainQueue.h"
#include "app/core/NotificationCenter.h"
#include "app/settings/Defaults.h"

#include <vector>

namespace zentrivo {

/// The steps of the main program's start-up, each done by the composition root.
class LaunchSteps {
public:
    LaunchSteps() = default;
    virtual ~LaunchSteps() = default;
    LaunchSteps(const LaunchSteps&) = delete;
    LaunchSteps& operator=(const LaunchSteps&) = delete;

    /// First run and migration; shows the welcome window on a first run.
    virtual void checkVersion() = 0;
    virtual void applyLaunchOnLogin(bool enabled) = 0;
    /// Asks a login launcher that still runs to quit.
    virtual void terminateLauncherIfRunning() = 0;
    /// Puts the status menu on the tray icon, creates the icon and applies its visibility.
    virtual void showStatusItem() = 0;
    /// Creates the gesture coordinator (and the reticle it drives) and starts it.
    virtual void startGestureCoordinator() = 0;
    virtual void loadBookmarks(const std::vector<int>& ids) = 0;
    virtual void rebuildStatusMenuEntries() = 0;
    virtual void updateWakeObserver() = 0;
};

/// Runs the start-up in its fixed order; the observers it adds stay for the whole run.
/// Returns the tokens of the two observers it added.
std::vector<NotificationCenter::Token>
applicationDidFinishLaunching(LaunchSteps& steps, Defaults& defaults,
                              NotificationCenter& notifications, MainQueue& mainQueue);

} // namespace zentrivo
