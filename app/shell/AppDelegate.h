#pragma once

#include "LaunchSequence.h"
#include "LiveSettings.h"
#include "PlatformStandIns.h"
#include "QtRunLoop.h"
#include "ui/StatusItem.h"
#include "app/apps/BookmarkManager.h"
#include "app/apps/FileUtil.h"
#include "app/apps/FrontmostAppDetection.h"
#include "app/apps/InstalledApps.h"
#include "app/apps/ui/QtReplacePromptPresenter.h"
#include "app/core/NotificationCenter.h"
#include "app/input/ArrowHotKeys.h"
#include "app/input/CarbonKeyboardShortcuts.h"
#include "app/input/MouseGestureManager.h"
#include "app/input/ui/QtAccessibilityWindowFactory.h"
#include "app/login/LaunchOnLogin.h"
#include "app/login/RelaunchAfterWake.h"
#include "app/model/ReticleSpecModel.h"
#include "app/reticle/ReticleManager.h"
#include "app/reticle/ui/QtReticleView.h"
#include "app/reticle/ui/QtReticleWindow.h"
#include "app/reticle/ui/SlotIcons.h"
#include "app/settings/CloudImport.h"
#include "app/settings/Defaults.h"
#include "app/settings/ui/CloudImportMessageBox.h"
#include "platform/linux/DBusNotifications.h"
#include "platform/linux/DesktopEntryCatalog.h"
#include "platform/linux/EwmhWorkspace.h"
#include "platform/linux/GioWorkspace.h"
#include "platform/linux/InotifyCloudStore.h"
#include "platform/linux/LinuxPlatformProfile.h"
#include "platform/linux/LogindWakeNotifier.h"
#include "platform/linux/PortalAppearance.h"
#include "platform/linux/PosixFileIdentities.h"
#include "platform/linux/QtProcessStarter.h"
#include "platform/linux/QtMainQueue.h"
#include "platform/linux/SqliteDefaultsDatabase.h"
#include "platform/linux/TouchpadAccess.h"
#include "platform/linux/TouchpadTapService.h"
#include "platform/linux/X11CompositorWatch.h"
#include "platform/linux/X11HotKeyService.h"
#include "platform/linux/X11InputMonitor.h"
#include "platform/linux/X11WindowShape.h"
#include "platform/linux/XdgAutostart.h"

#include <QMenu>
#include <QWidget>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zentrivo {

/// The root of the main program: owns every long-lived object, builds them in the start-up
/// order and hands them to each other by reference. Lives on the main thread for the whole run.
class AppDelegate final : private LaunchSteps {
public:
    /// `input` is the open X11 connection; both outlive the delegate.
    AppDelegate(Log& log, platform::X11InputMonitor& input);
    ~AppDelegate() override;
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    /// The start-up sequence (see `LaunchSteps`): version check, login item, launcher, tray,
    /// gesture coordinator, bookmarks, then the tray menu's slot entries.
    void applicationDidFinishLaunching();

    /// The user started the program again while it runs: the preferences, or with
    /// `relaunchOpensMenu` the tray menu (even while the icon is hidden).
    void applicationShouldHandleReopen();
    /// Command URLs from a second start, `xdg-open` or zentrivoctl, handled in order.
    void openURLs(const std::vector<std::string>& urls);
    /// show: the reticle appears as for the trackpad gesture; close: it goes, running the
    /// selected slot unless told not to. Anything else is ignored.
    void handleCommandURL(std::string_view url);
    /// Another process changed `keys` in the settings database.
    void settingsChanged(const std::vector<std::string>& keys);
    /// Runs a slot entry of the tray menu, as choosing its slot on the reticle does.
    void executeAction(const Action& action);
    /// Replaces the tray menu's slot entries with those of the panels as they are now.
    void rebuildStatusMenuEntries() override;

    // The three windows besides the reticle. Each is created on first use and kept for the
    // rest of the run, so reopening shows the same window with its state; each call brings the
    // program forward and shows its window.

    /// The preferences window (also what reopening the program shows).
    void showPreferencesWindow();
    /// The list of installed applications to drag into slots (the preferences open it).
    void showAppListWindow();
    /// The welcome window of a first run. Closing it opens the preferences window.
    void showWelcomeWindow();

    /// Moves dropped files into folder slots, prompting when a name is taken there.
    FileUtil& fileUtil() { return files; }
    /// Keeps the files of file slots reachable across restarts.
    BookmarkManager& bookmarks() { return bookmarkManager; }

private:
    // The start-up steps, in their order.
    void checkVersion() override;
    void applyLaunchOnLogin(bool enabled) override;
    void terminateLauncherIfRunning() override;
    void showStatusItem() override;
    void startGestureCoordinator() override;
    void loadBookmarks(const std::vector<int>& ids) override;
    void updateWakeObserver() override;

    Log& log;
    platform::X11InputMonitor& input;

    platform::QtMainQueue mainQueue;
    platform::SqliteDefaultsDatabase database;
    Defaults defaults;
    WakeDefaults wakeDefaults;
    platform::LogindWakeNotifier wakeNotifier;
    NotificationCenter notificationCenter;
    platform::LinuxPlatformProfile profile;
    /// Starts applications and opens files; `workspace` adds what runs and acts on windows.
    platform::GioWorkspace launcher;
    platform::EwmhWorkspace workspace;
    NewestSystemInfo systemInfo;
    SilentHaptics haptics;
    platform::X11HotKeyService hotKeyService;
    CarbonKeyboardShortcuts keyboardShortcuts;
    ArrowHotKeys arrowKeys;

    QtRunLoop mainLoop;
    platform::TouchpadTapService touchDevice;
    platform::TouchpadAccess inputAccess;
    QtAccessibilityWindowFactory accessibilityWindows;
    EventLoopExit processExit;

    /// Dropped files go into folder slots through `files`; its prompt window opens on demand.
    QtReplacePromptPresenter replacePrompts;
    FileUtil files{{replacePrompts, notificationCenter, mainQueue, log}};

    // Launch at login, the login launcher (quit requests, relaunch after wake), the bookmarks
    // of file slots and the configuration import from the cloud folder.
    void startCloudImport();
    platform::DBusNotifications distributedNotifications{QDBusConnection::sessionBus(), log};
    platform::QtProcessStarter processStarter;
    platform::PosixFileIdentities fileIdentities;
    platform::XdgAutostart autostart;
    LaunchOnLogin launchOnLogin{{autostart, systemInfo, mainQueue, distributedNotifications,
                                 distributedNotifications, log}};
    RelaunchAfterWake relaunch;
    BookmarkManager bookmarkManager{{defaults, mainQueue, fileIdentities, log}};
    CloudImportMessageBox cloudQuestion;
    std::unique_ptr<platform::InotifyCloudStore> cloudStore;
    std::unique_ptr<CloudImport> cloudImport;

    /// Without a compositing manager the reticle's window is cut to its slots.
    platform::X11CompositorWatch compositorWatch{log};
    platform::X11WindowShape windowShape{log};

    // Built at launch, after the version check has set the first-run values they read.
    std::unique_ptr<ReticleSpecModel> model;
    std::unique_ptr<FrontmostAppDetection> frontmostAppDetection;
    std::unique_ptr<platform::PortalAppearance> appearance;
    std::unique_ptr<SlotIcons> icons;
    std::unique_ptr<QtReticleView> reticleView;
    std::unique_ptr<QtReticleWindow> reticleWindow;
    std::unique_ptr<ReticleManager> reticleManager;
    std::unique_ptr<MouseGestureManager> mouseGestureManager;
    std::unique_ptr<LiveSettings> liveSettings;

    /// The menu on the tray icon: "Preferences…" and "Quit Zentrivo", then the slot entries of
    /// the panels. Declared before the icon, which goes first.
    std::unique_ptr<QMenu> statusMenu;
    StatusItem statusItem;

    /// The installed applications the preferences and the application list offer; made when one
    /// of those windows is first shown, and outliving them.
    InstalledApps& installedApplications();
    platform::DesktopEntryCatalog applicationCatalog;
    std::unique_ptr<InstalledApps> installedApps;

    // The windows besides the reticle: empty until first shown, then kept. The make* factories
    // build each window; the show operations own when and how they appear.
    std::unique_ptr<QWidget> makePreferencesWindow();
    std::unique_ptr<QWidget> makeWelcomeWindow();
    std::unique_ptr<QWidget> makeAppListWindow();
    void presentWindow(QWidget& window);
    std::unique_ptr<QWidget> prefsWindowController;
    std::unique_ptr<QWidget> welcomeWindowController;
    std::unique_ptr<QWidget> appListWindowController;
    std::unique_ptr<QObject> welcomeCloseWatcher;
};

} // namespace zentrivo
