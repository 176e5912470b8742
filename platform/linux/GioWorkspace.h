#pragma once

#include "app/apps/Workspace.h"
#include "app/core/MainQueue.h"

namespace zentrivo::platform {

/// The workspace over freedesktop desktop entries, through GIO: an application's identifier is
/// its desktop-file id without ".desktop", its bundle path is the desktop entry's file, and
/// starting it honours the entry's Exec field codes without ever going through a shell.
///
/// It knows nothing of windows: on its own it reports none running and no frontmost
/// application, `activate` and `hide` do nothing, and activation observers are never called. The
/// program puts `EwmhWorkspace` in front of it, which adds those from the window manager.
///
/// Use it on the main thread. GIO reads the XDG_DATA_HOME/XDG_DATA_DIRS desktop-entry index once
/// per process, at its first use.
class GioWorkspace final : public Workspace {
public:
    explicit GioWorkspace(MainQueue& mainQueue);

    /// None (see the class comment).
    std::optional<RunningApp> frontmostApplication() const override;
    /// Empty (see the class comment).
    std::vector<RunningApp> runningApplications() const override;
    /// Does nothing (see the class comment).
    void activate(const RunningApp& app) override;
    /// Does nothing (see the class comment).
    void hide(const RunningApp& app) override;

    /// The desktop entry file for `bundleId` as GIO resolves the id (a user's entry in
    /// XDG_DATA_HOME wins over the system's); none for an unknown, hidden or malformed id.
    std::optional<std::string> applicationPath(std::string_view bundleId) const override;
    /// Launches the desktop entry at `path` and posts `completion` to the main queue with none,
    /// or with GIO's description of why the entry could not be started.
    void openApplication(const std::string& path, OpenCompletion completion) override;
    /// Opens `path` with the default handler of its content type; a desktop entry file is started
    /// as the application it describes, as opening an application bundle would. False when the
    /// path does not exist or nothing can open it.
    bool openFile(const std::string& path) override;
    /// Launches the desktop entry at `applicationPath` with the URLs (g_app_info_launch_uris, the
    /// entry's field codes decide how they are passed); never through a shell.
    bool openURLs(const std::vector<std::string>& urls,
                  const std::string& applicationPath) override;
    /// The desktop entry at `path`: its Name and its desktop-file id without ".desktop". An entry
    /// outside the application folders has no id, and so yields none, as does a hidden one.
    std::optional<InstalledApp> applicationAt(const std::string& path) const override;

    Token addActivationObserver(std::function<void(const RunningApp&)> observer) override;
    void removeActivationObserver(Token token) override;

private:
    MainQueue& mainQueue;
    Token nextToken = 1;
};

} // namespace zentrivo::platform
