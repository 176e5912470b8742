#include "app/login/LaunchOnLogin.h"
#include "app/login/RelaunchAfterWake.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeLoginPorts.h"

#include <gtest/gtest.h>
#include <limits>

namespace zentrivo {
namespace {

using namespace std::chrono_literals;
using Texts = std::vector<std::string>;

constexpr const char* mainId = "com.tovelane.ZentrivoPro";
constexpr const char* pong = "com.tovelane.ZentrivoPro.pong";

struct LoginRig : test::LoginPortsRig {
    LaunchOnLogin login{{*this, system, queue, *this, *this, log}};
};

// Current systems register the main program only when the state differs; older ones switch the
// launcher off, then as wanted, with one retry 100 ms later.
TEST(LaunchOnLogin, RegistersTheProgramOrSwitchesTheLauncherAsTheSystemAllows) {
    const std::string retry = "Unable to set launch on login to true. Retrying in 0.1s";
    const Texts offOnOn{"launcher off", "launcher on", "launcher on"};
    struct Row {
        const char* name;
        int major;
        bool enabled, desired, viaSetEnabled;
        std::optional<std::string> registerError, unregisterError;
        int launcherFailures;
        Texts calls, logged, errors; ///< all calls; lines logged as default level and as errors
    };
    // clang-format off
    const Row rows[] = {
        {"off, wanted on", 13, false, true, false, {}, {}, 0, {"register"}, {}, {}},
        {"on, wanted on: nothing", 13, true, true, false, {}, {}, 0, {}, {}, {}},
        {"on, wanted off", 13, true, false, false, {}, {}, 0, {"unregister"}, {}, {}},
        {"off, wanted off: nothing", 13, false, false, false, {}, {}, 0, {}, {}, {}},
        {"registering fails", 13, false, true, false, "Read-only file system", {}, 0, {"register"},
         {"Failed to enable launch at login: Read-only file system"}, {}},
        {"unregistering fails", 13, true, false, false, {}, "Permission denied", 0, {"unregister"},
         {"Failed to disable launch at login: Permission denied"}, {}},
        {"enabling while enabled registers again", 13, true, true, true, {}, {}, 0,
         {"unregister", "register"}, {}, {}},
        {"... ignoring the unregister error", 13, true, true, true, {}, "busy", 0,
         {"unregister", "register"}, {}, {}},
        {"12: on", 12, false, true, false, {}, {}, 0, {"launcher off", "launcher on"}, {}, {}},
        {"12: off", 12, false, false, false, {}, {}, 0, {"launcher off", "launcher off"}, {}, {}},
        {"12: on at the retry", 12, false, true, false, {}, {}, 1, offOnOn, {}, {retry}},
        {"12: never on", 12, false, true, false, {}, {}, 2, offOnOn, {},
         {retry, "Still unable to set launch on login"}},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LoginRig rig;
        rig.mainEnabled = row.enabled;
        rig.registerError = row.registerError;
        rig.unregisterError = row.unregisterError;
        rig.system.major = row.major;
        rig.launcherFailures = row.launcherFailures;
        if (row.viaSetEnabled)
            rig.login.setEnabled(row.desired);
        else
            rig.login.applyLaunchOnLogin(row.desired);
        rig.queue.advance(99ms);
        EXPECT_EQ(rig.itemCalls.size(), std::min<std::size_t>(row.calls.size(), 2)) << "the retry";
        rig.queue.advance(1ms);
        EXPECT_EQ(rig.itemCalls, row.calls);
        rig.queue.advance(1h);
        EXPECT_EQ(rig.itemCalls, row.calls);
        EXPECT_EQ(rig.logged(LogLevel::defaultLevel), row.logged);
        EXPECT_EQ(rig.logged(LogLevel::error), row.errors);
        EXPECT_EQ(rig.launcherEnabled, row.major < 13 && row.desired && row.launcherFailures < 2);
    }
}

TEST(LaunchOnLogin, TheQuitRequestGoesOutOnlyWhileTheLauncherRuns) {
    for (const std::string running : {"", mainId, "com.tovelane.ZentrivoProLauncher"}) {
        LoginRig rig;
        rig.running.insert(running);
        rig.login.terminateLauncherIfRunning();
        EXPECT_EQ(rig.posted,
                  Texts(running.ends_with("Launcher"),
                        "com.tovelane.ZentrivoPro.terminateLauncher " + std::string(mainId)))
            << running;
    }
}

struct WakeRig : test::LoginPortsRig {
    test::FakeDefaultsDatabase db;
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
        relaunch.emplace(RelaunchAfterWake::Collaborators{*defaults, *wakeDefaults, *this, *this,
                                                          *this, system, *this, log},
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
        rig.wake();
        EXPECT_EQ(rig.starts.size(), observing ? 1u : 0u);
        // Switching the gesture off removes the observer again.
        rig.defaults->restToOneTouches.set(0);
        rig.relaunch->updateWakeObserver();
        EXPECT_TRUE(rig.wakeObservers.empty());
    }
}

TEST(RelaunchAfterWake, StartsTheLauncherWithTheDelayInWholeSecondsAndQuitsOnItsPong) {
    struct Row {
        std::optional<float> delay;
        const char* seconds;
        int major = 99, minor = 0;
        bool quitsAtOnce = false; // before 10.15 nothing waits for the pong
        bool startFails = false;  // then it stays, says why once, and ignores a pong
    };
    const Row rows[] = {
        {2.7f, "2"},
        {std::nullopt, "1"},
        {0.0f, "1"},
        {-3.5f, "0"},
        {1e30f, "86400"},
        {std::numeric_limits<float>::infinity(), "1"},
        {1.1f, "1", 10, 14, true},
        {1.1f, "1", 10, 15, false},
        {1.1f, "1", 10, 14, false, true},
        {1.1f, "1", 99, 0, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.seconds << " on " << row.major << "." << row.minor
                                        << (row.startFails ? ", failing" : ""));
        WakeRig rig(3, 1, row.delay);
        rig.startFails = row.startFails;
        rig.system.major = row.major;
        rig.system.minor = row.minor;
        rig.deliver(pong, mainId); // no relaunch asked for: ignored
        rig.relaunch->relaunchAfterWake();
        // Never through a shell, so no character of a path can become a command.
        ASSERT_EQ(rig.starts.size(), 1u);
        EXPECT_EQ(rig.starts[0].program, "/usr/libexec/zentrivo/zentrivo-launcher");
        EXPECT_EQ(rig.starts[0].arguments, (Texts{"relaunch", row.seconds}));
        rig.deliver(pong, "com.example.Other");
        EXPECT_EQ(rig.exits.size(), row.quitsAtOnce ? 1u : 0u);
        rig.deliver(pong, mainId);
        EXPECT_EQ(rig.exits, std::vector<int>(!row.startFails, 0)); // status 0, once
        EXPECT_EQ(rig.log.lines.size(), row.startFails ? 1u : 0u);
    }
}

} // namespace
} // namespace zentrivo
