#include "AccessibilityAuth.h"

#include <utility>

namespace zentrivo {

AccessibilityAuth::AccessibilityAuth(InputAccess& access, AccessibilityWindowFactory& windows,
                                     MainQueue& queue, ProcessExit& process)
    : access(access), windows(windows), queue(queue), process(process) {}

AccessibilityAuth::~AccessibilityAuth() {
    if (pollItem)
        pollItem->cancel();
    if (accessibilityWindowController)
        accessibilityWindowController->close();
}

bool AccessibilityAuth::check(std::optional<std::string> appName, std::optional<std::string> icon,
                              std::string message, CloseBehavior closeBehavior,
                              std::function<void()> completion) {
    if (access.isTrusted())
        return true;
    if (!accessibilityWindowController) {
        accessibilityWindowController =
            windows.makeWindow(AccessibilityPromptContent{std::move(appName), std::move(icon),
                                                          std::move(message), closeBehavior},
                               [this] { quit(); });
        onAuthorized = std::move(completion);
        schedulePoll();
    }
    accessibilityWindowController->present();
    return false;
}

void AccessibilityAuth::quit() {
    process.exitProcess(0);
}

void AccessibilityAuth::schedulePoll() {
    pollItem = queue.postAfter(pollingInterval, [this] { poll(); });
}

void AccessibilityAuth::poll() {
    if (!access.isTrusted()) {
        schedulePoll();
        return;
    }
    pollItem.reset();
    auto window = std::move(accessibilityWindowController);
    auto completion = std::move(onAuthorized);
    if (window)
        window->close();
    window.reset();
    // Last: the completion may destroy this object.
    if (completion)
        completion();
}

} // namespace zentrivo
