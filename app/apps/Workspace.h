#pragma once

#include "app/model/InstalledApp.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentrivo {

enum class ActivationPolicy { regular, accessory, prohibited };

/// A running application as the workspace reports it. Any of the descriptive fields may be
/// missing when the platform cannot tell.
struct RunningApp {
    /// Identifies the running instance for `activate` and `hide` (a process id on Linux).
    std::int64_t handle = 0;
    std::optional<std::string> bundleIdentifier;
    /// The application's bundle (on Linux its desktop entry file).
    std::optional<std::string> bundlePath;
    std::optional<std::string> localizedName;
    ActivationPolicy activationPolicy = ActivationPolicy::regular;

    bool operator==(const RunningApp&) const = default;
};

/// The desktop's applications: what runs, what is in front, starting and opening things.
class Workspace {
public:
    using Token = std::uint64_t;
    /// Called with none on success, or with the error's description.
    using OpenCompletion = std::function<void(std::optional<std::string> error)>;

    Workspace() = default;
    virtual ~Workspace() = default;
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    /// None when no application is in front (or the platform cannot tell).
    virtual std::optional<RunningApp> frontmostApplication() const = 0;
    virtual std::vector<RunningApp> runningApplications() const = 0;
    /// Brings the application to the front, ignoring other applications.
    virtual void activate(const RunningApp& app) = 0;
    virtual void hide(const RunningApp& app) = 0;

    /// The installed application's bundle path for an identifier; none when none is installed.
    virtual std::optional<std::string> applicationPath(std::string_view bundleId) const = 0;
    /// Starts the application at `path` (or brings it forward when it runs). `completion` runs
    /// once, on the main thread, with the outcome.
    virtual void openApplication(const std::string& path, OpenCompletion completion) = 0;
    /// Opens a file or folder with its default handler. False when it could not be opened.
    virtual bool openFile(const std::string& path) = 0;
    /// Hands `urls` (file URLs and links) to the application whose bundle is at
    /// `applicationPath`, as if they had been dropped on it. False when that is no application or
    /// it could not be started with them; nothing is opened for an empty list.
    virtual bool openURLs(const std::vector<std::string>& urls,
                          const std::string& applicationPath) = 0;
    /// The application whose bundle is at `path` (its name as the user sees it and its
    /// identifier); none when `path` is no application or one without an identifier.
    virtual std::optional<InstalledApp> applicationAt(const std::string& path) const = 0;

    /// Observes the activation of applications (the new frontmost one is passed).
    virtual Token addActivationObserver(std::function<void(const RunningApp&)> observer) = 0;
    virtual void removeActivationObserver(Token token) = 0;
};

} // namespace zentrivo
