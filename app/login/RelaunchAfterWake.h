#pragma once

#include "DistributedNotifications.h"
#include "ProcessStarter.h"
#include "app/apps/WakeNotifier.h"
#include "app/core/Log.h"
#include "app/core/SystemInfo.h"
#include "app/input/ProcessExit.h"
#include "app/settings/Defaults.h"

#include <filesystem>
#include <optional>

namespace zentrivo {

/// Restarting the main program after the machine wakes, when the user asked for it: the login
/// launcher is started with "relaunch" and the delay, and once it answers with ".pong" this
/// program quits, leaving the launcher to start a fresh one.
class RelaunchAfterWake {
public:
    struct Collaborators {
        Defaults& defaults;
        WakeDefaults& wakeDefaults;
        WakeNotifier& wakeNotifier;
        DistributedNotifications& notifications;
        ProcessStarter& starter;
        SystemInfo& systemInfo;
        ProcessExit& exit;
        Log& log;
    };

    /// `launcherProgram` is none when the launcher could not be found.
    RelaunchAfterWake(Collaborators collaborators,
                      std::optional<std::filesystem::path> launcherProgram);
    ~RelaunchAfterWake();
    RelaunchAfterWake(const RelaunchAfterWake&) = delete;
    RelaunchAfterWake& operator=(const RelaunchAfterWake&) = delete;

    /// Observes wakes exactly while the trackpad gesture is in use (`restToOneTouches` 1 or
    /// more) and `autoRestartOnWake` is userEnabled.
    void updateWakeObserver();
    /// Hands the restart to the launcher.
    void relaunchAfterWake();
    /// The launcher's ".pong": quits when a relaunch is pending.
    void receivePong();

    bool awaitingPong() const noexcept { return awaiting; }
    bool observingWakes() const noexcept { return wakeObserver.has_value(); }

private:
    Collaborators c;
    std::optional<std::filesystem::path> launcherProgram;
    std::optional<WakeNotifier::Token> wakeObserver;
    std::optional<DistributedNotifications::Token> pongObserver;
    bool awaiting = false;
};

} // namespace zentrivo
