#pragma once

#include "app/apps/WakeNotifier.h"
#include "app/core/MainQueue.h"
#include "app/input/ProcessExit.h"
#include "app/login/DistributedNotifications.h"
#include "app/login/LoginItems.h"
#include "app/login/ProcessStarter.h"
#include "app/login/RunningPrograms.h"

#include <chrono>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace zentrivo::test {

/// Observers by token; `notify` calls those that `matches` accepts and are still there.
template <typename Observer> struct ObserverList {
    std::map<std::uint64_t, Observer> observers;
    std::uint64_t next = 1;
    std::uint64_t add(Observer o) {
        observers[next] = std::move(o);
        return next++;
    }
    template <typename Matches, typename Call> void notify(Matches matches, Call call) {
        for (auto& [token, o] : std::map(observers))
            if (observers.contains(token) && matches(o))
                call(o);
    }
};

/// A session of one: posts are recorded, `deliver` plays another program's post.
class FakeDistributedNotifications final : public DistributedNotifications {
public:
    struct Observer {
        std::string name, object;
        Handler handler;
    };
    void post(std::string_view name, std::string_view object) override {
        posted.push_back(std::string(name) + " " + std::string(object));
    }
    Token addObserver(std::string name, std::string object, Handler handler) override {
        return list.add({std::move(name), std::move(object), std::move(handler)});
    }
    void removeObserver(Token token) override { list.observers.erase(token); }
    void deliver(const std::string& name, const std::string& object) {
        list.notify([&](const Observer& o) { return o.name == name && o.object == object; },
                    [](Observer& o) { o.handler(); });
    }
    /// "name object" of every post.
    std::vector<std::string> posted;
    ObserverList<Observer> list;
};

class FakeWakeNotifier final : public WakeNotifier {
public:
    Token addWakeObserver(Observer observer) override { return list.add(std::move(observer)); }
    void removeWakeObserver(Token token) override { list.observers.erase(token); }
    void wake() {
        list.notify([](const Observer&) { return true; }, [](Observer& o) { o(); });
    }
    ObserverList<Observer> list;
};

/// Notes the virtual time of each call when given the queue.
struct CallTimes {
    const MainQueue* clock = nullptr;
    std::vector<std::chrono::milliseconds> times;
    void note() {
        if (clock)
            times.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(clock->now()));
    }
};

class FakeRunningPrograms final : public RunningPrograms {
public:
    bool isRunning(std::string_view identifier) const override {
        checks.note();
        return running.contains(std::string(identifier));
    }
    std::set<std::string> running;
    mutable CallTimes checks;
};

class FakeProcessStarter final : public ProcessStarter {
public:
    struct Start {
        std::filesystem::path program;
        std::vector<std::string> arguments;
    };
    bool start(const std::filesystem::path& program,
               const std::vector<std::string>& arguments) override {
        starts.push_back({program, arguments});
        times.note();
        return !fail;
    }
    std::vector<Start> starts;
    CallTimes times;
    bool fail = false;
};

class FakeProcessExit final : public ProcessExit {
public:
    void exitProcess(int status) override {
        exits.push_back(status);
        times.note();
    }
    std::vector<int> exits;
    CallTimes times;
};

/// Login items in memory; each operation can be made to fail. `calls` records them in order.
class FakeLoginItems final : public LoginItems {
public:
    bool isMainAppEnabled() const override { return mainEnabled; }
    std::optional<std::string> registerMainApp() override { return change("register", true); }
    std::optional<std::string> unregisterMainApp() override { return change("unregister", false); }
    bool setLauncherEnabled(bool enabled) override {
        calls.push_back(enabled ? "launcher on" : "launcher off");
        if (enabled == failingValue && launcherFailures > 0 && launcherFailures--)
            return false;
        launcherEnabled = enabled;
        return true;
    }
    bool mainEnabled = false, launcherEnabled = false;
    std::optional<std::string> registerError, unregisterError;
    /// How many calls setting `failingValue` fail before one succeeds.
    int launcherFailures = 0;
    bool failingValue = true;
    std::vector<std::string> calls;

private:
    std::optional<std::string> change(const char* call, bool enable) {
        calls.push_back(call);
        const auto& error = enable ? registerError : unregisterError;
        if (!error)
            mainEnabled = enable;
        return error;
    }
};

} // namespace zentrivo::test
