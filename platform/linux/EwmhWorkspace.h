#pragma once

#include "DesktopEntryIndex.h"
#include "XConnectionReader.h"
#include "app/apps/Workspace.h"
#include "app/core/Log.h"
#include "app/core/MainQueue.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

typedef struct _XDisplay Display;
union _XEvent;

namespace zentrivo::platform {

/// The running applications of an X11 desktop as its EWMH window manager reports them, on a
/// private Xlib connection read from the Qt loop of the main thread. Starting applications and
/// opening files is left to `launcher` (the GIO workspace).
///
/// - An application runs while it owns at least one managed top-level window of
///   `_NET_CLIENT_LIST` that is not marked skip-taskbar; a window's application is its desktop
///   entry (`matchDesktopId`). Windows without an entry form applications without an identifier,
///   one per process, which are never regular.
/// - The frontmost application owns `_NET_ACTIVE_WINDOW`; each change of that property to
///   another application is an activation.
/// - `activate` asks the window manager to activate the application's top-most window (the
///   top-most minimised one when all are minimised, which restores it), as a pager would and with
///   the server's current time, so focus-stealing prevention lets the user's choice through.
/// - `hide` iconifies each of the application's normal windows.
/// - `openApplication` of a running application activates it (restoring the most recent window
///   when all are minimised); only an application without windows is started.
///
/// The state is read from the server when asked for, so this connection never wakes an idle
/// Zentrivo for what other programs do. The root window's properties are watched only while an
/// activation observer is registered or no window manager is known (to pick one up when it starts);
/// the window manager's check window is watched for its end.
///
/// Without an EWMH window manager (`_NET_SUPPORTING_WM_CHECK` absent or stale) one line is
/// logged and nothing runs as far as this adapter knows; launching keeps working.
class EwmhWorkspace final : public Workspace {
public:
    /// Connects to `displayName`, or to $DISPLAY when it is null. Without a connection it logs
    /// once and behaves as without a window manager. Create it on the main thread, after the Qt
    /// application object.
    EwmhWorkspace(Workspace& launcher, MainQueue& mainQueue, Log& log,
                  const char* displayName = nullptr);
    ~EwmhWorkspace() override;

    std::optional<RunningApp> frontmostApplication() const override;
    std::vector<RunningApp> runningApplications() const override;
    /// Looks the application up by identifier, or by process id (`handle`) when it has none.
    void activate(const RunningApp& app) override;
    void hide(const RunningApp& app) override;

    std::optional<std::string> applicationPath(std::string_view bundleId) const override;
    void openApplication(const std::string& path, OpenCompletion completion) override;
    bool openFile(const std::string& path) override;
    bool openURLs(const std::vector<std::string>& urls,
                  const std::string& applicationPath) override;
    std::optional<InstalledApp> applicationAt(const std::string& path) const override;

    Token addActivationObserver(std::function<void(const RunningApp&)> observer) override;
    void removeActivationObserver(Token token) override;

private:
    struct Atoms;
    struct Identity {
        std::optional<std::string> desktopId;
        std::int64_t pid = 0;
        std::string wmClass;
        bool normal = true;
    };
    struct ClientWindow {
        unsigned long id = 0;
        Identity identity;
        std::string appKey;
        /// Not marked skip-taskbar.
        bool counts = true;
        bool minimised = false;
    };
    struct Snapshot {
        /// Top of the stack first.
        std::vector<ClientWindow> windows;
        unsigned long active = 0;
    };

    Snapshot readSnapshot() const;
    ClientWindow readWindow(unsigned long id) const;
    bool isRegular(const ClientWindow& window) const;
    /// The application of `window` as far as that window alone tells.
    RunningApp describe(const ClientWindow& window) const;
    Identity readIdentity(unsigned long window) const;
    std::vector<RunningApp> applications(const Snapshot& snapshot) const;
    std::optional<RunningApp> frontmost(const Snapshot& snapshot) const;
    std::vector<const ClientWindow*> windowsOf(const Snapshot& snapshot,
                                               const RunningApp& app) const;
    /// The key of `windowsOf`: by identifier, else by process; empty when neither is known.
    static std::string keyOf(const RunningApp& app);
    void activate(const Snapshot& snapshot, const RunningApp& app);
    void activateWindow(const ClientWindow& window);
    unsigned long serverTime();

    void checkWindowManager() const;
    void updateRootSelection() const;
    void drain();
    void handle(_XEvent& event);
    void activationMayHaveChanged();

    Workspace& launcher;
    MainQueue& mainQueue;
    Log& log;
    Display* display = nullptr;
    unsigned long root = 0;
    /// An unmapped window of ours whose property changes give the server's time.
    unsigned long clock = 0;
    std::unique_ptr<Atoms> atoms;
    std::unique_ptr<XConnectionReader> reader;
    mutable DesktopEntryIndex entries;

    /// The window manager's check window; 0 while none is known.
    mutable unsigned long wmCheck = 0;
    mutable bool wmKnown = false;
    mutable std::map<unsigned long, Identity> identities;
    mutable unsigned identitiesGeneration = 0;

    std::map<Token, std::shared_ptr<const std::function<void(const RunningApp&)>>> observers;
    Token nextToken = 1;
    /// The application key of the last activation reported.
    std::string activeKey;
};

} // namespace zentrivo::platform
