#include "RelaunchAfterWake.h"

#include "Identifiers.h"

#include <cmath>
#include <string>
#include <vector>

namespace zentrivo {

namespace {
// The launcher takes whole seconds and waits at most a day.
constexpr float longestDelay = 24 * 60 * 60;

std::string wholeSeconds(float delay) {
    if (!std::isfinite(delay) || delay < 0)
        delay = 0;
    return std::to_string(static_cast<long>(std::trunc(std::min(delay, longestDelay))));
}
} // namespace

RelaunchAfterWake::RelaunchAfterWake(Collaborators collaborators,
                                     std::optional<std::filesystem::path> launcherProgram)
    : c(collaborators), launcherProgram(std::move(launcherProgram)) {}

RelaunchAfterWake::~RelaunchAfterWake() {
    if (wakeObserver)
        c.wakeNotifier.removeWakeObserver(*wakeObserver);
    if (pongObserver)
        c.notifications.removeObserver(*pongObserver);
}

void RelaunchAfterWake::updateWakeObserver() {
    const bool wanted = c.defaults.restToOneTouches.value() >= 1 &&
                        c.wakeDefaults.autoRestartOnWake.value() == OptionalBool::userEnabled;
    if (wanted && !wakeObserver)
        wakeObserver = c.wakeNotifier.addWakeObserver([this] { relaunchAfterWake(); });
    else if (!wanted && wakeObserver) {
        c.wakeNotifier.removeWakeObserver(*wakeObserver);
        wakeObserver.reset();
    }
}

void RelaunchAfterWake::relaunchAfterWake() {
    const std::vector<std::string> arguments{
        "relaunch", wholeSeconds(c.wakeDefaults.restartOnWakeDelay.value())};
    if (!c.systemInfo.isAtLeast(10, 15)) {
        // Older systems have nobody to answer: once the launcher runs, it waits for this program
        // to go, so quit right away.
        if (launcherProgram && c.starter.start(*launcherProgram, arguments))
            c.exit.exitProcess(0);
        else
            c.log.error("cannot start the login launcher; not relaunching after wake");
        return;
    }
    // One observer serves every wake: the launcher answers each start with a ".pong".
    if (!pongObserver)
        pongObserver = c.notifications.addObserver(identifiers::pong, identifiers::mainApp,
                                                   [this] { receivePong(); });
    awaiting = true;
    if (!launcherProgram || !c.starter.start(*launcherProgram, arguments)) {
        awaiting = false;
        c.log.error("cannot start the login launcher; not relaunching after wake");
    }
}

void RelaunchAfterWake::receivePong() {
    if (awaiting)
        c.exit.exitProcess(0);
}

} // namespace zentrivo
