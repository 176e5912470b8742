#pragma once

#include "app/apps/WakeNotifier.h"
#include "app/input/ProcessExit.h"
#include "app/login/DistributedNotifications.h"
#include "app/login/LoginItems.h"
#include "app/login/ProcessStarter.h"
#include "app/login/RunningPrograms.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace zentrivo::test {

/// A session of one: posts are recorded and delivered to this process's own observers.
class FakeDistributedNotifications final : public DistributedNotifications {
public:
    struct Posted {
        std::string name;
        std::string object;
        bool operator==(const Posted&) const = default;
    };
    void post(std::string_view name, std::string_view object) override {
        posted.push_back({std::string(name), std::string(object)});
    }
    Token addObserver(std::string name, std::string object, Handler handler) override {
        observers[next] = {std::move(name), std::move(object), std::move(handler)};
        return next++;
    }
    void removeObserver(Token token) override { observers.erase(token); }

    /// Another program posts `name` with `object`.
    void deliver(const std::string& name, const std::string& object) {
        auto copy = observers;
        for (auto& [token, observer] : copy)
            if (observers.contains(token) && observer.name == name && observer.object == object)
                observer.handler();
    }
    std::vector<Posted> posted;
    struct Observer {
        std::string name;
        std::string object;
        Handler handler;
    };
    std::map<Token, Observer> observers;

private:
    Token next = 1;
};

/// Running programs as the test sets them; counts the questions.
class FakeRunningPrograms final : public RunningPrograms {
public:
    bool isRunning(std::string_view identifier) const override {
        ++asked;
        return running.contains(std::string(identifier));
    }
    std::set<std::string> running;
    mutable int asked = 0;
};

/// Records every start; fails when told to.
class FakeProcessStarter final : public ProcessStarter {
public:
    struct Start {
        std::filesystem::path program;
        std::vector<std::string> arguments;
    };
    bool start(const std::filesystem::path& program,
               const std::vector<std::string>& arguments) override {
        starts.push_back({program, arguments});
        if (onStart)
            onStart();
        return !fail;
    }
    std::vector<Start> starts;
    bool fail = false;
    std::function<void()> onStart;
};

/// Records exits instead of exiting.
class FakeProcessExit final : public ProcessExit {
public:
    void exitProcess(int status) override { exits.push_back(status); }
    std::vector<int> exits;
};

/// Login items in memory; each operation can be made to fail.
class FakeLoginItems final : public LoginItems {
public:
    bool isMainAppEnabled() const override { return mainEnabled; }
    std::optional<std::string> registerMainApp() override {
        calls.push_back("register");
        if (registerError)
            return registerError;
        mainEnabled = true;
        return std::nullopt;
    }
    std::optional<std::string> unregisterMainApp() override {
        calls.push_back("unregister");
        if (unregisterError)
            return unregisterError;
        mainEnabled = false;
        return std::nullopt;
    }
    bool setLauncherEnabled(bool enabled) override {
        calls.push_back(enabled ? "launcher on" : "launcher off");
        if (launcherFailures > 0 && enabled == failingValue) {
            --launcherFailures;
            return false;
        }
        launcherEnabled = enabled;
        return true;
    }
    bool mainEnabled = false;
    bool launcherEnabled = false;
    std::optional<std::string> registerError;
    std::optional<std::string> unregisterError;
    /// How many calls setting `failingValue` fail before one succeeds.
    int launcherFailures = 0;
    bool failingValue = true;
    std::vector<std::string> calls;
};

/// Wakes when the test says so.
class FakeWakeNotifier final : public WakeNotifier {
public:
    Token addWakeObserver(Observer observer) override {
        observers[next] = std::move(observer);
        return next++;
    }
    void removeWakeObserver(Token token) override { observers.erase(token); }
    void wake() {
        auto copy = observers;
        for (auto& [token, observer] : copy)
            if (observers.contains(token))
                observer();
    }
    std::map<Token, Observer> observers;

private:
    Token next = 1;
};

} // namespace zentrivo::test
