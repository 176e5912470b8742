#include "launcher/AppDelegate.h"
#include "tests/fakes/FakeLoginPorts.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/RecordingLog.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using namespace std::chrono_literals;
using test::FakeDistributedNotifications;

constexpr const char* mainId = "com.tovelane.ZentrivoPro";
constexpr const char* pong = "com.tovelane.ZentrivoPro.pong";
constexpr const char* quitRequest = "com.tovelane.ZentrivoPro.terminateLauncher";

/// The launcher on the virtual clock, with the main program running until `mainQuitsAt`
/// (never when none; not at all when `mainRuns` is false).
struct LauncherRig {
    test::FakeMainQueue queue;
    FakeDistributedNotifications notifications;
    test::FakeRunningPrograms running;
    test::FakeProcessStarter starter;
    test::FakeProcessExit exit;
    test::RecordingLog log;
    std::vector<std::chrono::milliseconds> startTimes;
    std::vector<std::chrono::milliseconds> exitTimes;
    std::vector<std::chrono::milliseconds> checkTimes;
    std::unique_ptr<launcher::AppDelegate> delegate;

    LauncherRig(std::vector<std::string> args, bool mainRuns,
                std::optional<std::chrono::milliseconds> mainQuitsAt = std::nullopt,
                std::optional<std::filesystem::path> mainProgram =
                    std::filesystem::path("/usr/bin/zentrivo")) {
        if (mainRuns)
            running.running.insert(mainId);
        if (mainQuitsAt)
            queue.postAfter(*mainQuitsAt, [this] { running.running.clear(); });
        starter.onStart = [this] { startTimes.push_back(nowMs()); };
        delegate = std::make_unique<launcher::AppDelegate>(
            launcher::AppDelegate::Collaborators{notifications, checks, queue, starter, exitClock,
                                                 log},
            mainProgram, std::move(args));
    }
    std::chrono::milliseconds nowMs() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(queue.now());
    }
    void run() {
        delegate->applicationDidFinishLaunching();
        queue.advance(1h);
    }

private:
    /// Notes the time of every question whether the main program runs.
    struct TimedRunning final : RunningPrograms {
        LauncherRig& rig;
        explicit TimedRunning(LauncherRig& rig) : rig(rig) {}
        bool isRunning(std::string_view id) const override {
            rig.checkTimes.push_back(rig.nowMs());
            return rig.running.isRunning(id);
        }
    } checks{*this};
    struct TimedExit final : ProcessExit {
        LauncherRig& rig;
        explicit TimedExit(LauncherRig& rig) : rig(rig) {}
        void exitProcess(int status) override {
            rig.exitTimes.push_back(rig.nowMs());
            rig.exit.exitProcess(status);
        }
    } exitClock{*this};
};

using ms = std::chrono::milliseconds;
using Times = std::vector<ms>;

TEST(Launcher, StartsTheMainProgramAtTheRightTimeAndQuitsEightSecondsLater) {
    struct Row {
        const char* name;
        std::vector<std::string> args;
        bool mainRuns;
        std::optional<ms> mainQuitsAt;
        Times checks, starts, exits;
    };
    const Row rows[] = {
        {"login, not running: launched at once", {}, false, {}, {0ms}, {0ms}, {8000ms}},
        {"login, keeps running: checks at 3, 7, 12 s, no second copy",
         {}, true, {}, {0ms, 3000ms, 7000ms, 12000ms}, {}, {20000ms}},
        {"login, quits at 6.999 s: launched at the 7 s check",
         {}, true, 6999ms, {0ms, 3000ms, 7000ms}, {7000ms}, {15000ms}},
        {"login, quits at exactly 12 s: launched at the last check",
         {}, true, 12000ms, {0ms, 3000ms, 7000ms, 12000ms}, {12000ms}, {20000ms}},
        {"relaunch 2, old quits after 1 s", {"relaunch", "2"}, true, 1000ms, {2000ms}, {2000ms},
         {10000ms}},
        {"relaunch +2 reads as 2", {"relaunch", "+2"}, false, {}, {2000ms}, {2000ms}, {10000ms}},
        {"relaunch 2, old keeps running: checks 3, 7, 12 s after the delay",
         {"relaunch", "2"}, true, {}, {2000ms, 5000ms, 9000ms, 14000ms}, {}, {22000ms}},
        {"the first relaunch counts", {"-x", "relaunch", "1", "relaunch", "9"}, false, {},
         {1000ms}, {1000ms}, {9000ms}},
        {"a negative delay waits no time", {"relaunch", "-3"}, false, {}, {0ms}, {0ms}, {8000ms}},
        {"relaunch abc stays idle", {"relaunch", "abc"}, true, {}, {}, {}, {}},
        {"relaunch 2s stays idle", {"relaunch", "2s"}, true, {}, {}, {}, {}},
        {"relaunch with an empty delay stays idle", {"relaunch", ""}, false, {}, {}, {}, {}},
        {"relaunch ++2 stays idle", {"relaunch", "++2"}, false, {}, {}, {}, {}},
        {"relaunch without a delay stays idle", {"relaunch"}, false, {}, {}, {}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LauncherRig rig(row.args, row.mainRuns, row.mainQuitsAt);
        rig.run();
        EXPECT_EQ(rig.checkTimes, row.checks);
        EXPECT_EQ(rig.startTimes, row.starts);
        EXPECT_EQ(rig.exitTimes, row.exits);
        for (const auto& start : rig.starter.starts) {
            EXPECT_EQ(start.program, "/usr/bin/zentrivo");
            EXPECT_TRUE(start.arguments.empty());
        }
        // The ".pong" goes out on every start, idle ones included, and only once.
        ASSERT_EQ(rig.notifications.posted.size(), 1u);
        EXPECT_EQ(rig.notifications.posted[0],
                  (FakeDistributedNotifications::Posted{pong, mainId}));
    }
}

TEST(Launcher, PongIsTheVeryFirstAction) {
    LauncherRig rig({}, false);
    std::size_t postedBeforeFirstCheck = 0;
    rig.starter.onStart = [&] { postedBeforeFirstCheck = rig.notifications.posted.size(); };
    rig.delegate->applicationDidFinishLaunching();
    EXPECT_EQ(postedBeforeFirstCheck, 1u);
    EXPECT_EQ(rig.notifications.posted.front().name, pong);
}

TEST(Launcher, QuitsAtOnceOnlyForTheQuitRequestWithTheMainProgramsIdentifier) {
    LauncherRig rig({"relaunch", "abc"}, false);
    rig.delegate->applicationDidFinishLaunching();
    rig.notifications.deliver(quitRequest, "com.example.Other");
    rig.notifications.deliver("com.tovelane.ZentrivoPro.terminate", mainId);
    EXPECT_TRUE(rig.exitTimes.empty());
    rig.queue.advance(5s);
    rig.notifications.deliver(quitRequest, mainId);
    EXPECT_EQ(rig.exitTimes, Times{5000ms});
    // The 8 s quit of a launch that follows does not end the process a second time.
    LauncherRig launched({}, false);
    launched.delegate->applicationDidFinishLaunching();
    launched.notifications.deliver(quitRequest, mainId);
    launched.queue.advance(1h);
    EXPECT_EQ(launched.exitTimes, Times{0ms});
}

TEST(Launcher, AFailedLaunchIsLoggedAndStillQuitsAfterEightSeconds) {
    for (const bool pathKnown : {true, false}) {
        SCOPED_TRACE(pathKnown ? "the start fails" : "no main program path");
        LauncherRig rig({}, false, std::nullopt,
                        pathKnown ? std::optional<std::filesystem::path>("/usr/bin/zentrivo")
                                  : std::nullopt);
        rig.starter.fail = true;
        rig.run();
        ASSERT_EQ(rig.log.lines.size(), 1u);
        EXPECT_EQ(rig.log.lines[0].level, LogLevel::error);
        EXPECT_EQ(rig.log.lines[0].message, "Unable to launch Zentrivo");
        EXPECT_EQ(rig.exitTimes, Times{8000ms});
    }
}

TEST(Launcher, FindsTheMainProgramBesideItsOwnPrefix) {
    using std::filesystem::path;
    const std::pair<path, std::optional<path>> rows[] = {
        {"/usr/libexec/zentrivo/zentrivo-launcher", path("/usr/bin/zentrivo")},
        {"/opt/z/build/libexec/zentrivo/zentrivo-launcher", path("/opt/z/build/bin/zentrivo")},
        {"/usr/lib/../libexec/zentrivo/zentrivo-launcher", path("/usr/bin/zentrivo")},
        {"/libexec/zentrivo/zentrivo-launcher", path("/bin/zentrivo")},
        {"/zentrivo/zentrivo-launcher", std::nullopt},
        {"libexec/zentrivo/zentrivo-launcher", std::nullopt},
    };
    for (const auto& [launcher, expected] : rows) {
        SCOPED_TRACE(launcher);
        EXPECT_EQ(launcher::mainProgramPath(launcher), expected);
    }
}

} // namespace
} // namespace zentrivo
