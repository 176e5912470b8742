#include "app/login/LaunchOnLogin.h"
#include "app/login/RelaunchAfterWake.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeLoginPorts.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeSystemInfo.h"
#include "tests/fakes/RecordingLog.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace zentrivo {
namespace {

using namespace std::chrono_literals;
using Calls = std::vector<std::string>;
using test::FakeDistributedNotifications;

constexpr const char* mainId = "com.tovelane.ZentrivoPro";

struct LoginRig {
    test::FakeLoginItems items;
    test::FakeSystemInfo system;
    test::FakeMainQueue queue;
    FakeDistributedNotifications notifications;
    test::FakeRunningPrograms running;
    test::RecordingLog log;
    LaunchOnLogin login{{items, system, queue, notifications, running, log}};

    std::vector<std::string> messages(LogLevel level) const {
        std::vector<std::string> out;
        for (const auto& line : log.lines)
            if (line.level == level)
                out.push_back(line.message);
        return out;
    }
};

TEST(LaunchOnLogin, CurrentSystemsRegisterTheMainProgramOnlyWhenTheStateDiffers) {
    struct Row {
        const char* name;
        bool enabled;
        bool desired;
        std::optional<std::string> registerError, unregisterError;
        Calls calls;
        std::vector<std::string> logged;
    };
    const Row rows[] = {
        {"off, wanted on", false, true, {}, {}, {"register"}, {}},
        {"on, wanted on: nothing", true, true, {}, {}, {}, {}},
        {"on, wanted off", true, false, {}, {}, {"unregister"}, {}},
        {"off, wanted off: nothing", false, false, {}, {}, {}, {}},
        {"registering fails", false, true, "Read-only file system", {}, {"register"},
         {"Failed to enable launch at login: Read-only file system"}},
        {"unregistering fails", true, false, {}, "Permission denied", {"unregister"},
         {"Failed to disable launch at login: Permission denied"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LoginRig rig;
        rig.items.mainEnabled = row.enabled;
        rig.items.registerError = row.registerError;
        rig.items.unregisterError = row.unregisterError;
        rig.system.major = 13;
        rig.login.applyLaunchOnLogin(row.desired);
        EXPECT_EQ(rig.items.calls, row.calls);
        EXPECT_EQ(rig.messages(LogLevel::defaultLevel), row.logged);
        EXPECT_TRUE(rig.messages(LogLevel::error).empty());
        // Never the launcher's entry on these systems.
        EXPECT_FALSE(rig.items.launcherEnabled);
    }
}

TEST(LaunchOnLogin, EnablingAnEnabledRegistrationRegistersItAgainIgnoringTheUnregisterError) {
    LoginRig rig;
    rig.items.mainEnabled = true;
    rig.login.setEnabled(true);
    EXPECT_EQ(rig.items.calls, (Calls{"unregister", "register"}));
    LoginRig failing;
    failing.items.mainEnabled = true;
    failing.items.unregisterError = "busy";
    failing.login.setEnabled(true);
    EXPECT_EQ(failing.items.calls, (Calls{"unregister", "register"}));
    EXPECT_TRUE(failing.log.lines.empty());
}

TEST(LaunchOnLogin, OlderSystemsSwitchTheLauncherOffThenAsWantedWithOneRetryAfter100ms) {
    struct Row {
        const char* name;
        bool desired;
        int failures;
        Calls callsAt0, callsAt99, callsAfter;
        std::vector<std::string> errors;
    };
    const Row rows[] = {
        {"works at once", true, 0, {"launcher off", "launcher on"},
         {"launcher off", "launcher on"}, {"launcher off", "launcher on"}, {}},
        {"switch off works at once", false, 0, {"launcher off", "launcher off"},
         {"launcher off", "launcher off"}, {"launcher off", "launcher off"}, {}},
        {"fails once: the retry works", true, 1, {"launcher off", "launcher on"},
         {"launcher off", "launcher on"}, {"launcher off", "launcher on", "launcher on"},
         {"Unable to set launch on login to true. Retrying in 0.1s"}},
        {"fails twice: no third attempt", true, 2, {"launcher off", "launcher on"},
         {"launcher off", "launcher on"}, {"launcher off", "launcher on", "launcher on"},
         {"Unable to set launch on login to true. Retrying in 0.1s",
          "Still unable to set launch on login"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LoginRig rig;
        rig.system.major = 12;
        rig.items.launcherFailures = row.failures;
        rig.items.failingValue = row.desired;
        rig.login.applyLaunchOnLogin(row.desired);
        EXPECT_EQ(rig.items.calls, row.callsAt0);
        rig.queue.advance(99ms);
        EXPECT_EQ(rig.items.calls, row.callsAt99);
        rig.queue.advance(1ms);
        rig.queue.advance(1h);
        EXPECT_EQ(rig.items.calls, row.callsAfter);
        EXPECT_EQ(rig.messages(LogLevel::error), row.errors);
        EXPECT_EQ(rig.items.launcherEnabled, row.desired && row.failures < 2);
    }
}

TEST(LaunchOnLogin, TheQuitRequestGoesOutOnlyWhileTheLauncherRuns) {
    for (const char* running : {"", "com.tovelane.ZentrivoPro", "com.tovelane.ZentrivoProLauncher"}) {
        SCOPED_TRACE(running);
        LoginRig rig;
        rig.running.running.insert(running);
        rig.login.terminateLauncherIfRunning();
        if (std::string(running) == "com.tovelane.ZentrivoProLauncher")
            EXPECT_EQ(rig.notifications.posted,
                      (std::vector<FakeDistributedNotifications::Posted>{
                          {"com.tovelane.ZentrivoPro.terminateLauncher", mainId}}));
        else
            EXPECT_TRUE(rig.notifications.posted.empty());
    }
}

struct WakeRig {
    test::FakeDefaultsDatabase db;
    test::FakeWakeNotifier wakes;
    FakeDistributedNotifications notifications;
    test::FakeProcessStarter starter;
    test::FakeSystemInfo system;
    test::FakeProcessExit exit;
    test::RecordingLog log;
    std::unique_ptr<Defaults> defaults;
    std::unique_ptr<WakeDefaults> wakeDefaults;
    std::unique_ptr<RelaunchAfterWake> relaunch;

    explicit WakeRig(std::int64_t touches = 3, std::int64_t autoRestart = 1,
                     std::optional<float> delay = std::nullopt) {
        db.values["restToOneTouches"] = touches;
        db.values["autoRestartOnWake"] = autoRestart;
        if (delay)
            db.values["restartOnWakeDelay"] = *delay;
        defaults = std::make_unique<Defaults>(db);
        wakeDefaults = std::make_unique<WakeDefaults>(db);
        relaunch = std::make_unique<RelaunchAfterWake>(
            RelaunchAfterWake::Collaborators{*defaults, *wakeDefaults, wakes, notifications,
                                             starter, system, exit, log},
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
        EXPECT_EQ(rig.wakes.observers.size(), observing ? 1u : 0u);
        rig.wakes.wake();
        EXPECT_EQ(rig.starter.starts.size(), observing ? 1u : 0u);
    }
    // Switching the gesture off removes the observer again.
    WakeRig rig;
    rig.relaunch->updateWakeObserver();
    rig.defaults->restToOneTouches.set(0);
    rig.relaunch->updateWakeObserver();
    EXPECT_TRUE(rig.wakes.observers.empty());
}

TEST(RelaunchAfterWake, StartsTheLauncherWithTheDelayInWholeSecondsAndQuitsOnItsPong) {
    const std::pair<std::optional<float>, const char*> delays[] = {
        {2.7f, "2"},  {1.9f, "1"}, {std::nullopt, "1"}, {0.0f, "1"}, {0.5f, "0"},
        {-3.5f, "0"}, {1e30f, "86400"}, {std::numeric_limits<float>::infinity(), "1"},
    };
    for (const auto& [delay, argument] : delays) {
        SCOPED_TRACE(argument);
        WakeRig rig(3, 1, delay);
        rig.relaunch->relaunchAfterWake();
        ASSERT_EQ(rig.starter.starts.size(), 1u);
        EXPECT_EQ(rig.starter.starts[0].program, "/usr/libexec/zentrivo/zentrivo-launcher");
        EXPECT_EQ(rig.starter.starts[0].arguments, (Calls{"relaunch", argument}));
        EXPECT_TRUE(rig.relaunch->awaitingPong());
        EXPECT_TRUE(rig.exit.exits.empty());
        rig.notifications.deliver("com.tovelane.ZentrivoPro.pong", "com.example.Other");
        EXPECT_TRUE(rig.exit.exits.empty());
        rig.notifications.deliver("com.tovelane.ZentrivoPro.pong", mainId);
        EXPECT_EQ(rig.exit.exits, std::vector<int>{0});
    }
}

TEST(RelaunchAfterWake, APongWithoutARelaunchOrAfterAFailedStartIsIgnored) {
    WakeRig idle;
    idle.relaunch->receivePong();
    idle.notifications.deliver("com.tovelane.ZentrivoPro.pong", mainId);
    EXPECT_TRUE(idle.exit.exits.empty());

    WakeRig failed;
    failed.starter.fail = true;
    failed.relaunch->relaunchAfterWake();
    EXPECT_FALSE(failed.relaunch->awaitingPong());
    failed.notifications.deliver("com.tovelane.ZentrivoPro.pong", mainId);
    EXPECT_TRUE(failed.exit.exits.empty());
    EXPECT_EQ(failed.log.lines.size(), 1u);
}

TEST(RelaunchAfterWake, OlderSystemsStartTheLauncherByArgumentsAndQuitAtOnce) {
    // Never a shell: a quote in a path must reach no command line.
    WakeRig rig(3, 1, 1.1f);
    rig.system.major = 10;
    rig.system.minor = 14;
    rig.relaunch->relaunchAfterWake();
    ASSERT_EQ(rig.starter.starts.size(), 1u);
    EXPECT_EQ(rig.starter.starts[0].program, "/usr/libexec/zentrivo/zentrivo-launcher");
    EXPECT_EQ(rig.starter.starts[0].arguments, (Calls{"relaunch", "1"}));
    EXPECT_EQ(rig.exit.exits, std::vector<int>{0});
    EXPECT_TRUE(rig.notifications.observers.empty());
    // 10.15 is the first system that waits for the pong.
    WakeRig current(3, 1);
    current.system.major = 10;
    current.system.minor = 15;
    current.relaunch->relaunchAfterWake();
    EXPECT_TRUE(current.exit.exits.empty());
    EXPECT_TRUE(current.relaunch->awaitingPong());
}

} // namespace
} // namespace zentrivo
