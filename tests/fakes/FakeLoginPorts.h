#pragma once

#include "app/apps/WakeNotifier.h"
#include "app/input/ProcessExit.h"
#include "app/login/DistributedNotifications.h"
#include "app/login/LoginItems.h"
#include "app/login/ProcessStarter.h"
#include "app/login/RunningPrograms.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeSystemInfo.h"
#include "tests/fakes/RecordingLog.h"

#include <chrono>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace zentrivo::test {

/// Every port of launch at login, the login launcher and the wake relaunch in one object on one
/// virtual clock: a session of one program, whose calls are recorded with the time they came at.
struct LoginPortsRig : DistributedNotifications,
                       WakeNotifier,
                       RunningPrograms,
                       ProcessStarter,
                       ProcessExit,
                       LoginItems {
    using Times = std::vector<std::chrono::milliseconds>;
    struct Start {
        std::filesystem::path program;
        std::vector<std::string> arguments;
    };

    void post(std::string_view name, std::string_view object) override {
        posted.push_back(std::string(name) + " " + std::string(object));
    }
    DistributedNotifications::Token addObserver(std::string name, std::string object,
                                                Handler handler) override {
        observers[++lastToken] = {{std::move(name), std::move(object)}, std::move(handler)};
        return lastToken;
    }
    void removeObserver(DistributedNotifications::Token token) override { observers.erase(token); }
    /// Another program's post, to the observers still there.
    void deliver(const std::string& name, const std::string& object) {
        for (auto& [token, observer] : std::map(observers))
            if (observers.contains(token) && observer.first == std::pair(name, object))
                observer.second();
    }
    WakeNotifier::Token addWakeObserver(Observer observer) override {
        wakeObservers[++lastToken] = std::move(observer);
        return lastToken;
    }
    void removeWakeObserver(WakeNotifier::Token token) override { wakeObservers.erase(token); }
    void wake() {
        for (auto& [token, observer] : std::map(wakeObservers))
            observer();
    }
    bool isRunning(std::string_view identifier) const override {
        checks.push_back(now());
        postedBeforeEveryCheck &= !posted.empty();
        return running.contains(std::string(identifier));
    }
    bool start(const std::filesystem::path& program,
               const std::vector<std::string>& arguments) override {
        starts.push_back({program, arguments}), startTimes.push_back(now());
        return !startFails;
    }
    void exitProcess(int status) override { exits.push_back(status), exitTimes.push_back(now()); }
    bool isMainAppEnabled() const override { return mainEnabled; }
    std::optional<std::string> registerMainApp() override { return change("register", true); }
    std::optional<std::string> unregisterMainApp() override { return change("unregister", false); }
    /// The first `launcherFailures` attempts to switch the launcher on fail.
    bool setLauncherEnabled(bool enabled) override {
        itemCalls.push_back(enabled ? "launcher on" : "launcher off");
        if (enabled && launcherFailures > 0)
            return !launcherFailures--;
        launcherEnabled = enabled;
        return true;
    }
    std::vector<std::string> logged(LogLevel level) const {
        std::vector<std::string> out;
        for (const auto& line : log.lines)
            if (line.level == level)
                out.push_back(line.message);
        return out;
    }

    FakeMainQueue queue;
    FakeSystemInfo system;
    RecordingLog log;
    std::vector<std::string> posted; // "name object"
    std::map<std::uint64_t, std::pair<std::pair<std::string, std::string>, Handler>> observers;
    std::map<std::uint64_t, Observer> wakeObservers;
    std::uint64_t lastToken = 0;
    std::set<std::string> running;
    mutable Times checks;
    mutable bool postedBeforeEveryCheck = true;
    std::vector<Start> starts;
    Times startTimes, exitTimes;
    bool startFails = false;
    std::vector<int> exits;
    bool mainEnabled = false, launcherEnabled = false;
    std::optional<std::string> registerError, unregisterError;
    int launcherFailures = 0;
    std::vector<std::string> itemCalls; // in order

private:
    std::chrono::milliseconds now() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(queue.now());
    }
    std::optional<std::string> change(const char* call, bool enable) {
        itemCalls.push_back(call);
        const auto& error = enable ? registerError : unregisterError;
        if (!error)
            mainEnabled = enable;
        return error;
    }
};

} // namespace zentrivo::test
