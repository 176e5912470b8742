#pragma once

#include "app/apps/Workspace.h"

#include <map>
#include <string>
#include <vector>

namespace zentrivo::test {

/// A desktop in memory: the test arranges what runs, what is in front and what is installed;
/// every request is recorded in `requests` ("hide 10", "activate 11", "open <path>",
/// "file <path>", "urls <application path> <url>..."). `openApplication` completions are kept
/// for the test to finish.
class FakeWorkspace final : public Workspace {
public:
    std::optional<RunningApp> frontmostApplication() const override { return frontmost; }
    std::vector<RunningApp> runningApplications() const override { return running; }
    void activate(const RunningApp& app) override {
        requests.push_back("activate " + std::to_string(app.handle));
    }
    void hide(const RunningApp& app) override {
        requests.push_back("hide " + std::to_string(app.handle));
    }
    std::optional<std::string> applicationPath(std::string_view bundleId) const override {
        const auto it = installed.find(bundleId);
        return it == installed.end() ? std::nullopt : std::optional(it->second);
    }
    void openApplication(const std::string& path, OpenCompletion completion) override {
        requests.push_back("open " + path);
        opens.push_back(std::move(completion));
    }
    bool openFile(const std::string& path) override {
        requests.push_back("file " + path);
        return true;
    }
    bool openURLs(const std::vector<std::string>& urls,
                  const std::string& applicationPath) override {
        requests.push_back("urls " + applicationPath);
        for (const auto& url : urls)
            requests.back() += " " + url;
        return true;
    }
    std::optional<InstalledApp> applicationAt(const std::string& path) const override {
        for (const auto& [id, installedPath] : installed)
            if (installedPath == path)
                return InstalledApp{names.contains(id) ? names.at(id) : id, id, path};
        return std::nullopt;
    }
    Token addActivationObserver(std::function<void(const RunningApp&)> observer) override {
        observers.emplace(nextToken, std::move(observer));
        return nextToken++;
    }
    void removeActivationObserver(Token token) override { observers.erase(token); }

    /// Brings `app` to the front and tells the observers, as the desktop would.
    void activateFront(const RunningApp& app) {
        frontmost = app;
        for (const auto& [token, observer] : decltype(observers)(observers)) // may add or remove
            observer(app);
    }
    /// Finishes the oldest unfinished `openApplication` request with `error`.
    void completeOpen(std::optional<std::string> error) {
        auto completion = std::move(opens.front());
        opens.erase(opens.begin());
        completion(std::move(error));
    }

    std::optional<RunningApp> frontmost;
    std::vector<RunningApp> running;
    std::map<std::string, std::string, std::less<>> installed; // bundle id to bundle path
    /// Display names of installed applications; the identifier stands in for a missing one.
    std::map<std::string, std::string, std::less<>> names;

    std::vector<std::string> requests; // recorded

private:
    std::vector<OpenCompletion> opens; // unfinished, oldest first
    std::map<Token, std::function<void(const RunningApp&)>> observers;
    Token nextToken = 1;
};

/// A regular application with every descriptive field set.
inline RunningApp regularApp(std::int64_t handle, const std::string& bundleId,
                             const std::string& name) {
    return {handle, bundleId, "/usr/share/applications/" + bundleId + ".desktop", name};
}

} // namespace zentrivo::test
