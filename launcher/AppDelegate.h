#pragma once

#include "app/core/Log.h"
#include "app/core/MainQueue.h"
#include "app/input/ProcessExit.h"
#include "app/login/DistributedNotifications.h"
#include "app/login/ProcessStarter.h"
#include "app/login/RunningPrograms.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentrivo::launcher {

/// Where the main program lies, seen from the launcher at `launcherPath`: the launcher is
/// `<prefix>/libexec/zentrivo/zentrivo-launcher`, the main program `<prefix>/bin/zentrivo`.
/// None when the path is too short to hold that layout.
std::optional<std::filesystem::path> mainProgramPath(const std::filesystem::path& launcherPath);

/// The delay of a "relaunch" start: the argument after the first "relaunch", in whole decimal
/// seconds with an optional sign. None when there is no "relaunch"; `invalid` when it is there but
/// the delay is missing, empty or not a number.
struct RelaunchRequest {
    bool present = false;
    std::optional<std::int64_t> seconds;
};
RelaunchRequest relaunchRequest(const std::vector<std::string>& arguments);

/// The login launcher: started at login it starts the main program unless that already runs;
/// started with "relaunch" N it waits N seconds, lets the old main program go and starts a new
/// one. Either way it quits 8 seconds after starting it, or at once when the main program asks.
class AppDelegate {
public:
    struct Collaborators {
        DistributedNotifications& notifications;
        RunningPrograms& runningPrograms;
        MainQueue& mainQueue;
        ProcessStarter& starter;
        ProcessExit& exit;
        Log& log;
    };

    /// `mainProgram` is none when the launcher could not tell where the main program lies.
    AppDelegate(Collaborators collaborators, std::optional<std::filesystem::path> mainProgram,
                std::vector<std::string> arguments);
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    const std::string mainAppIdentifier;

    /// The start: the ".pong", the quit-request observer, then the login or relaunch path.
    void applicationDidFinishLaunching();
    /// Ends the launcher now.
    void terminate();
    /// Ends the launcher 8 seconds from now.
    void terminateAfterEight();

private:
    void waitForMainAppToQuit(std::chrono::seconds first, int check);
    void launchMainApp();
    bool mainAppRunning() const;

    Collaborators c;
    std::optional<std::filesystem::path> mainProgram;
    std::vector<std::string> arguments;
    std::optional<DistributedNotifications::Token> terminateObserver;
    bool terminated = false;
};

} // namespace zentrivo::launcher
