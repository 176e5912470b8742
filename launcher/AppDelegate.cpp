#include "AppDelegate.h"

#include "app/login/Identifiers.h"

#include <algorithm>
#include <charconv>

namespace zentrivo::launcher {

namespace {
constexpr std::chrono::seconds firstWait{3};
constexpr int checks = 3;
constexpr std::chrono::seconds quitDelay{8};
// A delay longer than this is no relaunch anyone waits for; it also keeps the clock arithmetic
// far from overflowing.
constexpr std::int64_t longestDelay = 24 * 60 * 60;
} // namespace

std::optional<std::filesystem::path> mainProgramPath(const std::filesystem::path& launcherPath) {
    const std::filesystem::path normal = launcherPath.lexically_normal();
    // Past the root: libexec, zentrivo and the launcher itself at least.
    std::vector<std::filesystem::path> parts(normal.begin(), normal.end());
    if (!normal.is_absolute() || parts.size() < 4)
        return std::nullopt;
    std::filesystem::path prefix;
    for (std::size_t i = 0; i + 3 < parts.size(); ++i)
        prefix /= parts[i];
    return prefix / "bin" / "zentrivo";
}

RelaunchRequest relaunchRequest(const std::vector<std::string>& arguments) {
    const auto at = std::ranges::find(arguments, "relaunch");
    if (at == arguments.end())
        return {};
    RelaunchRequest request{.present = true, .seconds = std::nullopt};
    if (at + 1 == arguments.end() || (at + 1)->empty())
        return request;
    std::string_view text = *(at + 1);
    if (text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return request; // "+" alone; a second sign is left to the number reader to refuse
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc() && end == text.data() + text.size())
        request.seconds = value;
    return request;
}

AppDelegate::AppDelegate(Collaborators collaborators,
                         std::optional<std::filesystem::path> mainProgram,
                         std::vector<std::string> arguments)
    : mainAppIdentifier(identifiers::mainApp), c(collaborators),
      mainProgram(std::move(mainProgram)), arguments(std::move(arguments)) {}

AppDelegate::~AppDelegate() {
    if (terminateObserver)
        c.notifications.removeObserver(*terminateObserver);
}

void AppDelegate::applicationDidFinishLaunching() {
    c.notifications.post(mainAppIdentifier + ".pong", mainAppIdentifier);
    terminateObserver = c.notifications.addObserver(mainAppIdentifier + ".terminateLauncher",
                                                    mainAppIdentifier, [this] { terminate(); });
    const RelaunchRequest request = relaunchRequest(arguments);
    if (!request.present) {
        if (!mainAppRunning())
            launchMainApp();
        else
            waitForMainAppToQuit(firstWait, 1);
        return;
    }
    if (!request.seconds)
        return; // Nothing to wait for: stay until asked to quit.
    const std::int64_t seconds = std::clamp<std::int64_t>(*request.seconds, 0, longestDelay);
    c.mainQueue.postAfter(std::chrono::seconds(seconds), [this] {
        if (mainAppRunning())
            waitForMainAppToQuit(firstWait, 1);
        else
            launchMainApp();
    });
}

void AppDelegate::waitForMainAppToQuit(std::chrono::seconds wait, int check) {
    c.mainQueue.postAfter(wait, [this, wait, check] {
        if (!mainAppRunning())
            launchMainApp();
        else if (check < checks)
            waitForMainAppToQuit(wait + std::chrono::seconds(1), check + 1);
        else
            terminateAfterEight(); // Still there: leave it alone.
    });
}

void AppDelegate::launchMainApp() {
    if (!mainProgram || !c.starter.start(*mainProgram, {}))
        c.log.error("Unable to launch Zentrivo");
    terminateAfterEight();
}

bool AppDelegate::mainAppRunning() const {
    return c.runningPrograms.isRunning(mainAppIdentifier);
}

void AppDelegate::terminate() {
    if (terminated)
        return;
    terminated = true;
    c.exit.exitProcess(0);
}

void AppDelegate::terminateAfterEight() {
    c.mainQueue.postAfter(quitDelay, [this] { terminate(); });
}

} // namespace zentrivo::launcher
