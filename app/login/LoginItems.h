#pragma once

#include <optional>
#include <string>

namespace zentrivo {

/// The desktop's list of programs started at login. Two entries matter: the main program's own
/// (used on current systems) and the login launcher's (the older way, through the launcher).
class LoginItems {
public:
    LoginItems() = default;
    virtual ~LoginItems() = default;
    LoginItems(const LoginItems&) = delete;
    LoginItems& operator=(const LoginItems&) = delete;

    /// True when the main program is registered to start at login.
    virtual bool isMainAppEnabled() const = 0;
    /// Registers the main program. Returns none on success, else a description of the failure.
    virtual std::optional<std::string> registerMainApp() = 0;
    /// Removes the main program's registration; removing a missing one succeeds. Returns none on
    /// success, else a description of the failure.
    virtual std::optional<std::string> unregisterMainApp() = 0;
    /// Enables or disables the launcher as a login item. Returns false when that failed.
    virtual bool setLauncherEnabled(bool enabled) = 0;
};

} // namespace zentrivo
