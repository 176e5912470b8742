#include "app/login/LaunchOnLogin.h"
#include "app/login/RelaunchAfterWake.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeLoginPorts.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeSystemInfo.h"
#include "tests/fakes/RecordingLog.h"

#include <gtest/gtest.h>
#include <limits>

namespace zentrivo {
namespace {

using namespace std::chrono_literals;
using Texts = std::vector<std::string>;

constexpr const char* mainId = "com.tovelane.ZentrivoPro";
constexpr const char* pong = "com.tovelane.ZentrivoPro.pong";

struct LoginRig {
    test::FakeLoginItems items;
    test::FakeSystemInfo system;
    test::FakeMainQueue queue;
    test::FakeDistributedNotifications notifications;
    test::FakeRunningPrograms running;
    test::RecordingLog log;
    LaunchOnLogin login{{items, system, queue, notifications, running, log}};

    Texts logged(LogLevel level) const {
        Texts out;
        for (const auto& line : log.lines)
            if (line.level == level)
                out.push_back(line.message);
        return out;
    }
};

TEST(LaunchOnLogin, CurrentSystemsRegisterTheMainProgramOnlyWhenTheStateDiffers) {
    struct Row {
        const char* name;
        bool enabled, desired, viaSetEnabled;
        std::optional<std::string> registerError, unregisterError;
        Texts calls, logged;
    };
    // clang-format off
    const Row rows[] = {
        {"off, wanted on", false, true, false, {}, {}, {"register"}, {}},
        {"on, wanted on: nothing", true, true, false, {}, {}, {}, {}},
        {"on, wanted off", true, false, false, {}, {}, {"unregister"}, {}},
        {"off, wanted off: nothing", false, false, false, {}, {}, {}, {}},
        {"registering fails", false, true, false, "Read-only file system", {}, {"register"},
         {"Failed to enable launch at login: Read-only file system"}},
        {"unregistering fails", true, false, false, {}, "Permission denied", {"unregister"},
         {"Failed to disable launch at login: Permission denied"}},
        {"enabling while enabled registers again", true, true, true, {}, {}, {"unregister", "register"}, {}},
        {"... ignoring the unregister error", true, true, true, {}, "busy", {"unregister", "register"}, {}},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LoginRig rig;
        rig.items.mainEnabled = row.enabled;
        rig.items.registerError = row.registerError;
        rig.items.unregisterError = row.unregisterError;
        rig.system.major = 13;
        if (row.viaSetEnabled)
            rig.login.setEnabled(row.desired);
        else
            rig.login.applyLaunchOnLogin(row.desired);
        EXPECT_EQ(rig.items.calls, row.calls);
        EXPECT_EQ(rig.logged(LogLevel::defaultLevel), row.logged);
        EXPECT_TRUE(rig.logged(LogLevel::error).empty());
    }
}

TEST(LaunchOnLogin, OlderSystemsSwitchTheLauncherOffThenAsWantedWithOneRetryAfter100ms) {
    const std::string retry = "Unable to set launch on login to true. Retrying in 0.1s";
    struct Row {
        bool desired;
        int failures;
        Texts callsAt99ms, callsAfter, errors;
    };
    const Texts offOn{"launcher off", "launcher on"},
        offOnOn{"launcher off", "launcher on", "launcher on"};
    // clang-format off
    const Row rows[] = {
        {true, 0, offOn, offOn, {}},
        {false, 0, {"launcher off", "launcher off"}, {"launcher off", "launcher off"}, {}},
        {true, 1, offOn, offOnOn, {retry}},
        {true, 2, offOn, offOnOn, {retry, "Still unable to set launch on login"}},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.desired << ", failing " << row.failures);
        LoginRig rig;
        rig.system.major = 12;
        rig.items.launcherFailures = row.failures;
        rig.login.applyLaunchOnLogin(row.desired);
        rig.queue.advance(99ms);
        EXPECT_EQ(rig.items.calls, row.callsAt99ms);
        rig.queue.advance(1ms);
        rig.queue.advance(1h);
        EXPECT_EQ(rig.items.calls, row.callsAfter);
        EXPECT_EQ(rig.logged(LogLevel::error), row.errors);
        EXPECT_EQ(rig.items.launcherEnabled, row.desired && row.failures < 2);
        EXPECT_FALSE(rig.items.mainEnabled);
    }
}

TEST(LaunchOnLogin, TheQuitRequestGoesOutOnlyWhileTheLauncherRuns) {
    for (const std::string running : {"", mainId, "com.tovelane.ZentrivoProLauncher"}) {
        LoginRig rig;
        rig.running.running.insert(running);
        rig.login.terminateLauncherIfRunning();
        EXPECT_EQ(rig.notifications.posted,
                  running == "com.tovelane.ZentrivoProLauncher"
                      ? Texts{"com.tovelane.ZentrivoPro.terminateLauncher " + std::string(mainId)}
                      : Texts{})
            << running;
    }
}

struct WakeRig {
    test::FakeDefaultsDatabase db;
    test::FakeWakeNotifier wakes;
    test::FakeDistributedNotifications notifications;
    test::FakeProcessStarter starter;
    test::FakeSystemInfo system;
    test::FakeProcessExit exit;
    test::RecordingLog log;
    std::optional<Defaults> defaults;
    std::optional<WakeDefaults> wakeDefaults;
    std::optional<RelaunchAfterWake> relaunch;

    explicit WakeRig(std::int64_t touches = 3, std::int64_t autoRestart = 1,
                     std::optional<float> delay = {}) {
        db.values["restToOneTouches"] = touches;
        db.values["autoRestartOnWake"] = autoRestart;
        if (delay)
            db.values["restartOnWakeDelay"] = *delay;
        defaults.emplace(db);
        wakeDefaults.emplace(db);
        relaunch.emplace(RelaunchAfterWake::Collaborators{*defaults, *wakeDefaults, wakes,
                                                          notifications, starter, system, exit,
                                                          log},
                         "/usr/libexec/zentrivo/zentrivo-launcher");
    }
};

TEST(RelaunchAfterWake, ObservesWakesOnlyWithTheTrackpadGestureAndTheUsersConsent) {
    // restToOneTouches, autoRestartOnWake (0 undefined, 1 userEnabled, 2 userDisabled).
    const std::tuple<std::int64_t, std::int64_t, bool> rows[] = {
        {0, 1, false}, {1, 1, true}, {4, 1, true}, {1, 0, false}, {1, 2, false}, {-1, 1, false},
    };
    for (const auto& [touches, consent, observing] : rows) {
        SCOPED_TRACE(testing::Message() << touches << " touches, autoRestartOnWake " << consent);
        WakeRig rig(touches, consent);
        rig.relaunch->updateWakeObserver();
        rig.relaunch->updateWakeObserver(); // twice: still one observer
        rig.wakes.wake();
        EXPECT_EQ(rig.starter.starts.size(), observing ? 1u : 0u);
        // Switching the gesture off removes the observer again.
        rig.defaults->restToOneTouches.set(0);
        rig.relaunch->updateWakeObserver();
        EXPECT_TRUE(rig.wakes.list.observers.empty());
    }
}

TEST(RelaunchAfterWake, StartsTheLauncherWithTheDelayInWholeSecondsAndQuitsOnItsPong) {
    const std::pair<std::optional<float>, const char*> delays[] = {
        {2.7f, "2"},         {1.9f, "1"},
        {std::nullopt, "1"}, {0.0f, "1"},
        {0.5f, "0"},         {-3.5f, "0"},
        {1e30f, "86400"},    {std::numeric_limits<float>::infinity(), "1"},
    };
    for (const auto& [delay, seconds] : delays) {
        SCOPED_TRACE(seconds);
        WakeRig rig(3, 1, delay);
        rig.notifications.deliver(pong, mainId); // no relaunch asked for: ignored
        rig.relaunch->relaunchAfterWake();
        ASSERT_EQ(rig.starter.starts.size(), 1u);
        EXPECT_EQ(rig.starter.starts[0].program, "/usr/libexec/zentrivo/zentrivo-launcher");
        EXPECT_EQ(rig.starter.starts[0].arguments, (Texts{"relaunch", seconds}));
        rig.notifications.deliver(pong, "com.example.Other");
        EXPECT_TRUE(rig.exit.exits.empty());
        rig.notifications.deliver(pong, mainId);
        EXPECT_EQ(rig.exit.exits, std::vector<int>{0});
    }
    WakeRig failed;
    failed.starter.fail = true;
    failed.relaunch->relaunchAfterWake();
    EXPECT_FALSE(failed.relaunch->awaitingPong());
    failed.notifications.deliver(pong, mainId);
    EXPECT_TRUE(failed.exit.exits.empty());
    EXPECT_EQ(failed.log.lines.size(), 1u);
}

TEST(RelaunchAfterWake, OlderSystemsStartTheLauncherByArgumentsAndQuitAtOnce) {
    // Never through a shell, so no character of a path can become a command.
    for (const int minor : {14, 15}) {
        WakeRig rig(3, 1, 1.1f);
        rig.system.major = 10;
        rig.system.minor = minor;
        rig.relaunch->relaunchAfterWake();
        ASSERT_EQ(rig.starter.starts.size(), 1u);
        EXPECT_EQ(rig.starter.starts[0].arguments, (Texts{"relaunch", "1"}));
        // 10.15 is the first system that waits for the pong.
        EXPECT_EQ(rig.exit.exits.size(), minor == 14 ? 1u : 0u);
        EXPECT_EQ(rig.relaunch->awaitingPong(), minor == 15);
    }
}

} // namespace
} // namespace zentrivo
