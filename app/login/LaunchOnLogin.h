#pragma once

#include "DistributedNotifications.h"
#include "LoginItems.h"
#include "RunningPrograms.h"
#include "app/core/Log.h"
#include "app/core/MainQueue.h"
#include "app/core/SystemInfo.h"

namespace zentrivo {

/// Starting the main program at login, and the quit request to a login launcher left running.
/// Current systems register the main program itself; older ones register the login launcher,
/// which starts the main program.
class LaunchOnLogin {
public:
    struct Collaborators {
        LoginItems& loginItems;
        SystemInfo& systemInfo;
        MainQueue& mainQueue;
        DistributedNotifications& notifications;
        RunningPrograms& runningPrograms;
        Log& log;
    };

    explicit LaunchOnLogin(Collaborators collaborators) : c(collaborators) {}
    LaunchOnLogin(const LaunchOnLogin&) = delete;
    LaunchOnLogin& operator=(const LaunchOnLogin&) = delete;

    /// True when the main program is registered to start at login (current systems).
    bool isEnabled() const { return c.loginItems.isMainAppEnabled(); }
    /// Registers (again, when already registered) or unregisters the main program; failures are
    /// logged.
    void setEnabled(bool enabled);

    /// Brings the registration in line with `desired`: the switch the rest of the program uses.
    void applyLaunchOnLogin(bool desired);
    /// Asks a running login launcher to quit.
    void terminateLauncherIfRunning();

private:
    Collaborators c;
};

} // namespace zentrivo
