#include "LaunchSequence.h"

#include "app/core/Notifications.h"

namespace zentrivo {

std::vector<NotificationCenter::Token>
applicationDidFinishLaunching(LaunchSteps& steps, Defaults& defaults,
                              NotificationCenter& notifications, MainQueue& mainQueue) {
    steps.checkVersion();
    steps.applyLaunchOnLogin(defaults.launchOnLogin.value());
    steps.terminateLauncherIfRunning();
    steps.showStatusItem();
    steps.startGestureCoordinator();
    // The bookmarks of every slot number a panel may use.
    std::vector<int> ids;
    for (int id = 0; id <= 20; ++id)
        ids.push_back(id);
    steps.loadBookmarks(ids);
    std::vector<NotificationCenter::Token> tokens;
    tokens.push_back(
        notifications.addObserver(notifications::appsUpdated, [&steps](const Notification&) {
            steps.rebuildStatusMenuEntries();
        }));
    // The menu's icons come from the installed applications, which take a moment to be known.
    mainQueue.postAfter(std::chrono::milliseconds(100),
                        [&steps] { steps.rebuildStatusMenuEntries(); });
    tokens.push_back(
        notifications.addObserver(notifications::gestureSelected,
                                  [&steps](const Notification&) { steps.updateWakeObserver(); }));
    steps.updateWakeObserver();
    return tokens;
}

} // namespace zentrivo
