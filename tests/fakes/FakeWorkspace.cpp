#include "FakeWorkspace.h"

namespace zentrivo::test {

std::optional<std::string> FakeWorkspace::applicationPath(std::string_view bundleId) const {
    const auto it = installed.find(bundleId);
    if (it == installed.end())
        return std::nullopt;
    return it->second;
}

Workspace::Token
FakeWorkspace::addActivationObserver(std::function<void(const RunningApp&)> observer) {
    const Token token = nextToken++;
    observers.emplace(token, std::move(observer));
    return token;
}

void FakeWorkspace::activateFront(const RunningApp& app) {
    frontmost = app;
    // A copy: an observer may add or remove observers.
    const auto current = observers;
    for (const auto& [token, observer] : current)
        observer(app);
}

void FakeWorkspace::completeOpen(std::optional<std::string> error) {
    if (completedOpens >= openRequests.size())
        return;
    auto completion = openRequests[completedOpens++].completion;
    if (completion)
        completion(std::move(error));
}

RunningApp regularApp(std::int64_t handle, const std::string& bundleId, const std::string& name) {
    RunningApp app;
    app.handle = handle;
    app.bundleIdentifier = bundleId;
    app.localizedName = name;
    app.bundlePath = "/usr/share/applications/" + bundleId + ".desktop";
    app.activationPolicy = ActivationPolicy::regular;
    return app;
}

} // namespace zentrivo::test
