#include "AppDelegate.h"

#include "VersionCheck.h"

namespace zentrivo {

AppDelegate::AppDelegate(Log& log, platform::X11InputMonitor& input)
    : log(log), input(input), database(platform::SqliteDefaultsDatabase::defaultPath(), log),
      defaults(database), wakeDefaults(database),
      wakeNotifier(QDBusConnection::systemBus(), log), launcher(mainQueue),
      workspace(launcher, mainQueue, log),
      hotKeyService(log), keyboardShortcuts(hotKeyService), arrowKeys(keyboardShortcuts, defaults),
      touchDevice(log) {}

AppDelegate::~AppDelegate() {
    // Tear down in the reverse order of start-up: nothing may call into an object already gone.
    mouseGestureManager.reset();
    reticleManager.reset();
    reticleWindow.reset();
    reticleView.reset();
}

void AppDelegate::applicationDidFinishLaunching() {
    VersionCheck(defaults, log).checkVersion(VersionCheck::runningBuildNumber());
    // Login items, the launcher and the status item come with later releases.

    model = std::make_unique<ReticleSpecModel>(defaults, profile);
    frontmostAppDetection = std::make_unique<FrontmostAppDetection>(workspace, *model, profile);
    SlotIcons::installFallbackTheme();
    icons = std::make_unique<SlotIcons>(workspace);
    reticleView = std::make_unique<QtReticleView>(
        QtReticleView::Collaborators{defaults, *model, notificationCenter, mainQueue, workspace,
                                     *frontmostAppDetection, arrowKeys, *icons});
    reticleWindow = std::make_unique<QtReticleWindow>(QtReticleWindow::Collaborators{
        defaults, mainQueue, arrowKeys, *reticleView, [this] { return input.primaryScreen(); }});
    reticleWindow->warmUp();
    reticleManager = std::make_unique<ReticleManager>(ReticleManager::Collaborators{
        defaults, *model, mainQueue, notificationCenter, workspace, haptics, systemInfo, arrowKeys,
        input, *frontmostAppDetection, log, profile, *reticleWindow, *reticleView});

    mouseGestureManager = std::make_unique<MouseGestureManager>(
        *reticleManager, defaults, notificationCenter, input, touchDevice, mainLoop, mainQueue,
        input, AccessibilityPorts{inputAccess, accessibilityWindows, processExit, log});
    mouseGestureManager->start();
    wakeNotifier.addWakeObserver([this] { log.info("woke from sleep"); });
}

} // namespace zentrivo
