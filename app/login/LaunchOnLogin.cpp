#include "LaunchOnLogin.h"

#include "Identifiers.h"

#include <chrono>
#include <string>

namespace zentrivo {

namespace {
constexpr int modernMajor = 13;
constexpr int modernMinor = 0;
constexpr std::chrono::milliseconds retryDelay{100};

std::string failure(const char* what, const std::string& description) {
    return std::string("Failed to ") + what + " launch at login: " + description;
}
} // namespace

void LaunchOnLogin::setEnabled(bool enabled) {
    if (enabled) {
        // Registering again over a live registration refreshes it (a moved program, say).
        if (c.loginItems.isMainAppEnabled())
            (void)c.loginItems.unregisterMainApp();
        if (const auto error = c.loginItems.registerMainApp())
            c.log.log(failure("enable", *error));
    } else if (const auto error = c.loginItems.unregisterMainApp()) {
        c.log.log(failure("disable", *error));
    }
}

void LaunchOnLogin::applyLaunchOnLogin(bool desired) {
    if (c.systemInfo.isAtLeast(modernMajor, modernMinor)) {
        if (desired != isEnabled())
            setEnabled(desired);
        return;
    }
    (void)c.loginItems.setLauncherEnabled(false);
    if (c.loginItems.setLauncherEnabled(desired))
        return;
    c.log.error(std::string("Unable to set launch on login to ") + (desired ? "true" : "false") +
                ". Retrying in 0.1s");
    c.mainQueue.postAfter(retryDelay, [this, desired] {
        if (!c.loginItems.setLauncherEnabled(desired))
            c.log.error("Still unable to set launch on login");
    });
}

void LaunchOnLogin::terminateLauncherIfRunning() {
    if (c.runningPrograms.isRunning(identifiers::launcher))
        c.notifications.post(identifiers::terminateLauncher, identifiers::mainApp);
}

} // namespace zentrivo
