#include "AppDelegate.h"

#include "VersionCheck.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

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

/// A window that names what it is for, until its real content is built.
std::unique_ptr<QWidget> placeholderWindow(const QString& title, const QString& text) {
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle(title);
    auto* layout = new QVBoxLayout(window.get());
    layout->addWidget(new QLabel(text, window.get()));
    window->resize(420, 160);
    return window;
}

} // namespace

AppDelegate::AppDelegate(Log& log, platform::X11InputMonitor& input)
    : log(log), input(input), database(platform::SqliteDefaultsDatabase::defaultPath(), log),
      defaults(database), wakeDefaults(database),
      wakeNotifier(QDBusConnection::systemBus(), log), launcher(mainQueue),
      workspace(launcher, mainQueue, log),
      hotKeyService(log), keyboardShortcuts(hotKeyService), arrowKeys(keyboardShortcuts, defaults),
      touchDevice(log) {}

AppDelegate::~AppDelegate() {
    // Tear down in the reverse order of start-up: nothing may call into an object already gone.
    welcomeWindowController.reset();
    prefsWindowController.reset();
    appListWindowController.reset();
    mouseGestureManager.reset();
    reticleManager.reset();
    reticleWindow.reset();
    reticleView.reset();
}

void AppDelegate::applicationDidFinishLaunching() {
    if (VersionCheck(defaults, log).checkVersion(VersionCheck::runningBuildNumber()))
        showWelcomeWindow();
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

namespace zentrivo {

std::unique_ptr<QWidget> AppDelegate::makePreferencesWindow() {
    return placeholderWindow(QStringLiteral("Zentrivo Preferences"),
                             QStringLiteral("The slots, distances, triggers and behaviours of "
                                            "the reticle will be set here."));
}

std::unique_ptr<QWidget> AppDelegate::makeWelcomeWindow() {
    return placeholderWindow(QStringLiteral("Welcome to Zentrivo"),
                             QStringLiteral("Hold Super+Alt and move the mouse to pick a slot."));
}

std::unique_ptr<QWidget> AppDelegate::makeAppListWindow() {
    return placeholderWindow(QStringLiteral("Zentrivo Applications"),
                             QStringLiteral("The installed applications to drag into slots."));
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
