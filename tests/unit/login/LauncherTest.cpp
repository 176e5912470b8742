#include "launcher/AppDelegate.h"
#include "tests/fakes/FakeLoginPorts.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using namespace std::chrono_literals;
using ms = std::chrono::milliseconds;
using Times = std::vector<ms>;
using Args = std::vector<std::string>;

constexpr const char* mainId = "com.tovelane.ZentrivoPro";
constexpr const char* quitRequest = "com.tovelane.ZentrivoPro.terminateLauncher";

/// The launcher on the virtual clock; the main program runs when `mainRuns`, until `quitsAt`.
struct LauncherRig : test::LoginPortsRig {
    std::optional<launcher::AppDelegate> delegate;

    LauncherRig(Args args, bool mainRuns, std::optional<ms> quitsAt = {},
                std::optional<std::filesystem::path> main = "/usr/bin/zentrivo") {
        if (mainRuns)
            running.insert(mainId);
        if (quitsAt)
            queue.postAfter(*quitsAt, [this] { running.clear(); });
        delegate.emplace(
            launcher::AppDelegate::Collaborators{*this, *this, queue, *this, *this, log}, main,
            std::move(args));
        delegate->applicationDidFinishLaunching();
    }
};

TEST(Launcher, StartsTheMainProgramAtTheRightTimeAndQuitsEightSecondsLater) {
    struct Row {
        const char* name;
        Args args;
        bool mainRuns;
        std::optional<ms> quitsAt;
        Times checks, starts, exits;
    };
    // Times in seconds after the start.
    // clang-format off
    const Row rows[] = {
        {"login, not running", {}, false, {}, {0s}, {0s}, {8s}},
        {"login, keeps running", {}, true, {}, {0s, 3s, 7s, 12s}, {}, {20s}},
        {"login, gone at 6.999 s", {}, true, 6999ms, {0s, 3s, 7s}, {7s}, {15s}},
        {"login, gone at 12 s", {}, true, 12s, {0s, 3s, 7s, 12s}, {12s}, {20s}},
        {"relaunch 2, gone after 1 s", {"relaunch", "2"}, true, 1s, {2s}, {2s}, {10s}},
        {"relaunch 2, keeps running", {"relaunch", "2"}, true, {}, {2s, 5s, 9s, 14s}, {}, {22s}},
        {"relaunch +2", {"relaunch", "+2"}, false, {}, {2s}, {2s}, {10s}},
        {"the first relaunch counts", {"-x", "relaunch", "1", "relaunch", "9"}, false, {}, {1s}, {1s}, {9s}},
        {"relaunch -3 waits no time", {"relaunch", "-3"}, false, {}, {0s}, {0s}, {8s}},
        {"relaunch 2s: idle", {"relaunch", "2s"}, true, {}, {}, {}, {}},
        {"relaunch ++2: idle", {"relaunch", "++2"}, false, {}, {}, {}, {}},
        {"relaunch with an empty delay: idle", {"relaunch", ""}, false, {}, {}, {}, {}},
        {"relaunch +: idle", {"relaunch", "+"}, false, {}, {}, {}, {}},
        {"relaunch without a delay: idle", {"relaunch"}, false, {}, {}, {}, {}},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LauncherRig rig(row.args, row.mainRuns, row.quitsAt);
        // The ".pong" is the very first thing, before any look at the main program.
        EXPECT_EQ(rig.posted, Args{"com.tovelane.ZentrivoPro.pong " + std::string(mainId)});
        EXPECT_TRUE(rig.postedBeforeEveryCheck);
        rig.queue.advance(1h);
        EXPECT_EQ(rig.checks, row.checks);
        EXPECT_EQ(rig.startTimes, row.starts);
        EXPECT_EQ(rig.exitTimes, row.exits);
        for (const auto& start : rig.starts)
            EXPECT_EQ(start.program, "/usr/bin/zentrivo");
    }
}

TEST(Launcher, QuitsAtOnceOnlyForTheQuitRequestWithTheMainProgramsIdentifier) {
    LauncherRig idle({"relaunch", "2s"}, false);
    idle.deliver(quitRequest, "com.example.Other");
    idle.deliver("com.tovelane.ZentrivoPro.terminate", mainId);
    idle.queue.advance(5s);
    idle.deliver(quitRequest, mainId);
    EXPECT_EQ(idle.exitTimes, Times{5000ms});
    // After a launch, the quit 8 s later does not end the process a second time.
    LauncherRig launched({}, false);
    launched.deliver(quitRequest, mainId);
    launched.queue.advance(1h);
    EXPECT_EQ(launched.exits, std::vector<int>{0});
}

TEST(Launcher, AFailedLaunchIsLoggedAndStillQuitsAfterEightSeconds) {
    using Main = std::optional<std::filesystem::path>;
    for (const Main& main : {Main{}, Main{"/usr/bin/zentrivo"}}) {
        LauncherRig rig({"relaunch", "1"}, false, {}, main);
        rig.startFails = true;
        rig.queue.advance(1h);
        EXPECT_EQ(rig.logged(LogLevel::error), Args{"Unable to launch Zentrivo"});
        EXPECT_EQ(rig.exitTimes, Times{9s});
    }
}

TEST(Launcher, FindsTheMainProgramInBinOfItsOwnPrefix) {
    using std::filesystem::path;
    const std::pair<path, std::optional<path>> rows[] = {
        {"/usr/libexec/zentrivo/zentrivo-launcher", path("/usr/bin/zentrivo")},
        {"/w/build/x/../libexec/zentrivo/zentrivo-launcher", path("/w/build/bin/zentrivo")},
        {"/libexec/zentrivo/zentrivo-launcher", path("/bin/zentrivo")},
        {"/zentrivo/zentrivo-launcher", std::nullopt},
        {"usr/libexec/zentrivo/zentrivo-launcher", std::nullopt},
    };
    for (const auto& [launcher, expected] : rows)
        EXPECT_EQ(launcher::mainProgramPath(launcher), expected) << launcher;
}

} // namespace
} // namespace zentrivo
