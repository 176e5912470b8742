#pragma once

#include "PlatformStandIns.h"
#include "QtRunLoop.h"
#include "app/apps/FileUtil.h"
#include "app/apps/FrontmostAppDetection.h"
#include "app/apps/ui/QtReplacePromptPresenter.h"
#include "app/core/NotificationCenter.h"
#include "app/input/ArrowHotKeys.h"
#include "app/input/CarbonKeyboardShortcuts.h"
#include "app/input/MouseGestureManager.h"
#include "app/input/ui/QtAccessibilityWindowFactory.h"
#include "app/model/ReticleSpecModel.h"
#include "app/reticle/ReticleManager.h"
#include "app/reticle/ui/QtReticleView.h"
#include "app/reticle/ui/QtReticleWindow.h"
#include "app/reticle/ui/SlotIcons.h"
#include "app/settings/Defaults.h"
#include "platform/linux/EwmhWorkspace.h"
#include "platform/linux/GioWorkspace.h"
#include "platform/linux/LinuxPlatformProfile.h"
#include "platform/linux/LogindWakeNotifier.h"
#include "platform/linux/QtMainQueue.h"
#include "platform/linux/SqliteDefaultsDatabase.h"
#include "platform/linux/TouchpadAccess.h"
#include "platform/linux/TouchpadTapService.h"
#include "platform/linux/X11HotKeyService.h"
#include "platform/linux/X11InputMonitor.h"

#include <QWidget>

#include <memory>

namespace zentrivo {

/// The root of the main program: owns every long-lived object, builds them in the start-up
/// order and hands them to each other by reference. Lives on the main thread for the whole run.
class AppDelegate {
public:
    /// `input` is the open X11 connection; both outlive the delegate.
    AppDelegate(Log& log, platform::X11InputMonitor& input);
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    /// The start-up sequence: version check, then the reticle and the gesture coordinator,
    /// started.
    void applicationDidFinishLaunching();

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

private:
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

    // Built at launch, after the version check has set the first-run values they read.
    std::unique_ptr<ReticleSpecModel> model;
    std::unique_ptr<FrontmostAppDetection> frontmostAppDetection;
    std::unique_ptr<SlotIcons> icons;
    std::unique_ptr<QtReticleView> reticleView;
    std::unique_ptr<QtReticleWindow> reticleWindow;
    std::unique_ptr<ReticleManager> reticleManager;
    std::unique_ptr<MouseGestureManager> mouseGestureManager;

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
