#include "AppDelegate.h"

#include "CommandUrl.h"
#include "VersionCheck.h"
#include "ui/AppListWindow.h"
#include "ui/PreferencesWindow.h"
#include "ui/WelcomeWindow.h"
#include "platform/linux/GioCustomIcon.h"
#include "app/core/Notifications.h"
#include "app/settings/CloudConfig.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace zentrivo {
namespace {

/// Calls `closed` when the window it filters is closed (not when it is merely hidden).
class CloseWatcher final : public QObject {
public:
    explicit CloseWatcher(std::function<void()> closed) : closed(std::move(closed)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Close)
            closed();
        return false;
    }

private:
    std::function<void()> closed;
};

/// This program, as the desktop should start it.
std::filesystem::path ownProgram() {
    return QCoreApplication::applicationFilePath().toStdString();
}

/// The login launcher beside this program: `<prefix>/libexec/zentrivo/zentrivo-launcher` for
/// `<prefix>/bin/zentrivo`, installed or in the build tree.
std::filesystem::path launcherProgram() {
    return (ownProgram().parent_path() / ".." / "libexec" / "zentrivo" / "zentrivo-launcher")
        .lexically_normal();
}

} // namespace

AppDelegate::AppDelegate(Log& log, platform::X11InputMonitor& input)
    : log(log), input(input), database(platform::SqliteDefaultsDatabase::defaultPath(), log),
      defaults(database), wakeDefaults(database),
      wakeNotifier(QDBusConnection::systemBus(), log), launcher(mainQueue),
      workspace(launcher, mainQueue, log),
      hotKeyService(log), keyboardShortcuts(hotKeyService), arrowKeys(keyboardShortcuts, defaults),
      touchDevice(log),
      autostart(platform::XdgAutostart::defaultFolder().value_or(std::filesystem::path()),
                ownProgram(), launcherProgram()),
      relaunch({defaults, wakeDefaults, wakeNotifier, distributedNotifications, processStarter,
                systemInfo, processExit, log},
               launcherProgram()),
      statusItem(defaults, mainQueue) {}

AppDelegate::~AppDelegate() {
    // Tear down in the reverse order of start-up: nothing may call into an object already gone.
    cloudImport.reset();
    cloudStore.reset();
    welcomeWindowController.reset();
    prefsWindowController.reset();
    appListWindowController.reset();
    mouseGestureManager.reset();
    reticleManager.reset();
    reticleWindow.reset();
    reticleView.reset();
}

void AppDelegate::applicationDidFinishLaunching() {
    zentrivo::applicationDidFinishLaunching(*this, defaults, notificationCenter, mainQueue);
    startCloudImport();
}

void AppDelegate::startCloudImport() {
    const auto folder = cloudFolderPath(defaults);
    if (!folder) {
        log.error("no cloud folder (neither XDG_DATA_HOME nor HOME is set); configuration "
                  "records are not imported");
        return;
    }
    // An imported panel is shown the way a panel changed in the preferences is.
    notificationCenter.addObserver(notifications::configImported, [this](const Notification&) {
        log.info("configuration imported");
        notificationCenter.post(notifications::appsUpdated);
    });
    cloudStore = std::make_unique<platform::InotifyCloudStore>(*folder, log);
    cloudImport = std::make_unique<CloudImport>(CloudImport::Collaborators{
        defaults, *model, *cloudStore, cloudQuestion, mainQueue, notificationCenter});
    cloudImport->start();
}

void AppDelegate::checkVersion() {
    if (VersionCheck(defaults, log).checkVersion(VersionCheck::runningBuildNumber()))
        showWelcomeWindow();
}

void AppDelegate::applyLaunchOnLogin(bool enabled) { launchOnLogin.applyLaunchOnLogin(enabled); }

void AppDelegate::terminateLauncherIfRunning() { launchOnLogin.terminateLauncherIfRunning(); }

void AppDelegate::loadBookmarks(const std::vector<int>& ids) { bookmarkManager.loadBookmarks(ids); }

void AppDelegate::updateWakeObserver() { relaunch.updateWakeObserver(); }

void AppDelegate::showStatusItem() {
    statusMenu = std::make_unique<QMenu>();
    QObject::connect(statusMenu->addAction(QStringLiteral("Preferences\u2026")),
                     &QAction::triggered, [this] { showPreferencesWindow(); });
    QObject::connect(statusMenu->addAction(QStringLiteral("Quit Zentrivo")), &QAction::triggered,
                     [] { QCoreApplication::quit(); });
    statusItem.setStatusMenu(statusMenu.get());
    statusItem.show();
}

void AppDelegate::startGestureCoordinator() {
    model = std::make_unique<ReticleSpecModel>(defaults, profile);
    frontmostAppDetection = std::make_unique<FrontmostAppDetection>(workspace, *model, profile);
    SlotIcons::installFallbackTheme();
    appearance = std::make_unique<platform::PortalAppearance>(QDBusConnection::sessionBus(), log);
    icons = std::make_unique<SlotIcons>(
        SlotIcons::Collaborators{workspace, defaults, log, platform::gioCustomIcon});
    reticleView = std::make_unique<QtReticleView>(QtReticleView::Collaborators{
        defaults, *model, notificationCenter, mainQueue, workspace, *frontmostAppDetection,
        arrowKeys, *icons,
        [this](const std::vector<std::filesystem::path>& items,
               const std::filesystem::path& folder) { files.moveOrCopy(items, folder, true); },
        appearance.get()});
    reticleWindow = std::make_unique<QtReticleWindow>(QtReticleWindow::Collaborators{
        defaults, mainQueue, arrowKeys, *reticleView, [this] { return input.primaryScreen(); },
        QtReticleWindow::qtMonitors, &compositorWatch, &windowShape});
    reticleWindow->warmUp();
    reticleManager = std::make_unique<ReticleManager>(ReticleManager::Collaborators{
        defaults, *model, mainQueue, notificationCenter, workspace, haptics, systemInfo, arrowKeys,
        input, *frontmostAppDetection, log, profile, *reticleWindow, *reticleView});

    mouseGestureManager = std::make_unique<MouseGestureManager>(
        *reticleManager, defaults, notificationCenter, input, touchDevice, mainLoop, mainQueue,
        input, AccessibilityPorts{inputAccess, accessibilityWindows, processExit, log});
    mouseGestureManager->start();
    liveSettings = std::make_unique<LiveSettings>(LiveSettings::Collaborators{
        defaults, wakeDefaults, *model, notificationCenter, [this] { statusItem.show(); },
        [this] { updateWakeObserver(); }});
}

void AppDelegate::applicationShouldHandleReopen() {
    if (defaults.relaunchOpensMenu.value())
        statusItem.revealAndOpen();
    else
        showPreferencesWindow();
}

void AppDelegate::openURLs(const std::vector<std::string>& urls) {
    for (const auto& url : urls)
        handleCommandURL(url);
}

void AppDelegate::handleCommandURL(std::string_view url) {
    const auto command = CommandUrl::parse(url);
    // The coordinator exists from the end of launch on; nothing can arrive before that.
    if (!command || !mouseGestureManager)
        return;
    if (command->command == CommandUrl::Command::show)
        mouseGestureManager->restToOneBegan(command->appearDist);
    else
        mouseGestureManager->restToOneEnded(command->executing);
}

void AppDelegate::settingsChanged(const std::vector<std::string>& keys) {
    if (!liveSettings)
        return;
    std::string list;
    for (const auto& key : keys)
        list += (list.empty() ? "" : " ") + key;
    log.info("settings changed: " + list);
    liveSettings->settingsChanged(keys);
    // Launch at login follows the setting at once, as its check box would.
    if (std::ranges::find(keys, "launchOnLogin") != keys.end())
        applyLaunchOnLogin(defaults.launchOnLogin.value());
}

void AppDelegate::executeAction(const Action& action) {
    if (reticleManager)
        reticleManager->perform(action);
}

void AppDelegate::rebuildStatusMenuEntries() {
    if (!statusMenu || !model)
        return;
    StatusItem::replaceSlotEntries(
        *statusMenu, statusMenuEntries(model->mainSpec(), model->farSpec(), workspace),
        [this](const StatusMenuEntry& entry) {
            return entry.action->type == ActionType::app ? icons->appIcon(entry.action->stringValue)
                                                          : icons->fileIcon(entry.iconPath);
        },
        [this](const Action& action) { executeAction(action); });
}

} // namespace zentrivo

namespace zentrivo {

InstalledApps& AppDelegate::installedApplications() {
    if (!installedApps)
        installedApps =
            std::make_unique<InstalledApps>(applicationCatalog, mainQueue, profile, systemInfo);
    return *installedApps;
}

std::unique_ptr<QWidget> AppDelegate::makePreferencesWindow() {
    // The slots need the panels and their pictures, which exist from the end of launch on.
    if (!model || !icons)
        return nullptr;
    return std::make_unique<PreferencesWindow>(PreferencesWindow::Collaborators{
        defaults, wakeDefaults, *model, notificationCenter, installedApplications(), arrowKeys,
        workspace, *icons, bookmarkManager, profile, [this] { showAppListWindow(); },
        [this] { updateWakeObserver(); }, [this](bool on) { applyLaunchOnLogin(on); },
        [this] { statusItem.show(); }});
}

std::unique_ptr<QWidget> AppDelegate::makeWelcomeWindow() {
    return std::make_unique<WelcomeWindow>();
}

std::unique_ptr<QWidget> AppDelegate::makeAppListWindow() {
    if (!icons)
        return nullptr;
    return std::make_unique<AppListWindow>(AppListWindow::Collaborators{
        installedApplications(), *icons, [this](const std::string& bundleId) {
            if (reticleManager)
                reticleManager->openApplication(bundleId);
        }});
}

void AppDelegate::presentWindow(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
    window.setMouseTracking(true);
}

void AppDelegate::showPreferencesWindow() {
    if (!prefsWindowController)
        prefsWindowController = makePreferencesWindow();
    if (prefsWindowController)
        presentWindow(*prefsWindowController);
}

void AppDelegate::showAppListWindow() {
    if (!appListWindowController)
        appListWindowController = makeAppListWindow();
    if (appListWindowController)
        presentWindow(*appListWindowController);
}

void AppDelegate::showWelcomeWindow() {
    if (!welcomeWindowController)
        welcomeWindowController = makeWelcomeWindow();
    if (!welcomeWindowController)
        return;
    presentWindow(*welcomeWindowController);
    // Closing the welcome window leads on to the preferences, once the close has finished.
    if (!welcomeCloseWatcher)
        welcomeCloseWatcher = std::make_unique<CloseWatcher>(
            [this] { mainQueue.post([this] { showPreferencesWindow(); }); });
    welcomeWindowController->installEventFilter(welcomeCloseWatcher.get());
}

} // namespace zentrivo
