#include "ReticleFixture.h"

namespace zentrivo::test {
namespace {

using D = Directional;

class ActionExecutionTest : public ReticleFixture {
protected:
    ActionExecutionTest() {
        workspace.running = {regularApp(10, "org.gnome.Terminal", "Terminal"),
                             regularApp(11, "org.gnome.Evolution", "Evolution"),
                             regularApp(12, "org.gnome.Evolution", "Evolution")};
    }
};

TEST_F(ActionExecutionTest, LaunchFollowsHideFrontmostAndRelaunchActive) {
    enum Outcome { hides, activates, opens };
    struct Row {
        const char* name;
        OptionalBool hideFrontmost;
        OptionalBool relaunchActive;
        const char* target;
        const char* front;
        Outcome outcome;
    };
    const Row rows[] = {
        {"front app with hideFrontmost hides it", OptionalBool::userEnabled,
         OptionalBool::undefined, "org.gnome.Terminal", "org.gnome.Terminal", hides},
        {"front app without hideFrontmost activates", OptionalBool::undefined,
         OptionalBool::undefined, "org.gnome.Terminal", "org.gnome.Terminal", activates},
        {"hideFrontmost disabled activates", OptionalBool::userDisabled, OptionalBool::undefined,
         "org.gnome.Terminal", "org.gnome.Terminal", activates},
        {"hideFrontmost only hides the front app", OptionalBool::userEnabled,
         OptionalBool::undefined, "org.gnome.Evolution", "org.gnome.Terminal", activates},
        {"running app is activated", OptionalBool::undefined, OptionalBool::undefined,
         "org.gnome.Evolution", "org.gnome.Terminal", activates},
        {"relaunchActive disabled activates", OptionalBool::undefined, OptionalBool::userDisabled,
         "org.gnome.Evolution", "org.gnome.Terminal", activates},
        {"relaunchActive opens a running app", OptionalBool::undefined, OptionalBool::userEnabled,
         "org.gnome.Evolution", "org.gnome.Terminal", opens},
        {"hide wins over relaunchActive", OptionalBool::userEnabled, OptionalBool::userEnabled,
         "org.gnome.Terminal", "org.gnome.Terminal", hides},
        {"not running: opened", OptionalBool::undefined, OptionalBool::undefined, "org.gnome.gedit",
         "org.gnome.Terminal", opens},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        defaults.hideFrontmost.set(row.hideFrontmost);
        defaults.relaunchActive.set(row.relaunchActive);
        workspace.hidden.clear();
        workspace.activated.clear();
        workspace.openRequests.clear();
        workspace.frontmost = regularApp(row.front == std::string("org.gnome.Terminal") ? 10 : 11,
                                         row.front, row.front);
        showAt({0, 0});
        manager().perform(app(row.target));
        manager().dismiss(false);
        queue.runUntilIdle();

        EXPECT_EQ(workspace.hidden.size(), row.outcome == hides ? 1u : 0u);
        if (row.outcome == hides) {
            EXPECT_EQ(workspace.hidden[0].bundleIdentifier, row.target);
        }
        ASSERT_EQ(workspace.activated.size(), row.outcome == activates ? 1u : 0u);
        if (row.outcome == activates) {
            EXPECT_EQ(workspace.activated[0].bundleIdentifier, row.target);
            EXPECT_EQ(workspace.activated[0].handle,
                      row.target == std::string("org.gnome.Terminal") ? 10 : 11)
                << "the first running instance";
        }
        EXPECT_EQ(workspace.openedPaths(), row.outcome == opens
                                               ? std::vector<std::string>{pathOf(row.target)}
                                               : std::vector<std::string>{});
    }
}

TEST_F(ActionExecutionTest, LaunchRunsAfterTheCurrentEventWithTheFrontAppOfTheDisplay) {
    defaults.hideFrontmost.set(OptionalBool::userEnabled);
    workspace.frontmost = regularApp(10, "org.gnome.Terminal", "Terminal");
    showAt({0, 0});
    // A hover brought another application forward meanwhile; the release still counts the one
    // that was in front when the reticle appeared.
    workspace.frontmost = regularApp(11, "org.gnome.Evolution", "Evolution");
    manager().cursorMoved({-100, 0}); // l: Terminal
    manager().dismiss(true);
    EXPECT_TRUE(workspace.hidden.empty()) << "nothing happens synchronously";
    EXPECT_FALSE(state().currentFrontApp) << "the reticle has already forgotten it";
    queue.runUntilIdle();
    ASSERT_EQ(workspace.hidden.size(), 1u);
    EXPECT_EQ(workspace.hidden[0].handle, 10);
}

TEST_F(ActionExecutionTest, OtherActionTypes) {
    showAt({0, 0});
    manager().perform(Action{"/home/u/Documents/report.pdf", ActionType::file});
    EXPECT_EQ(workspace.openedFiles, std::vector<std::string>{"/home/u/Documents/report.pdf"});
    workspace.openFileSucceeds = false;
    manager().perform(Action{"/nowhere", ActionType::file}); // a failure is ignored
    EXPECT_EQ(workspace.openedFiles.size(), 2u);

    manager().perform(Action{"org.gnome.Evolution", ActionType::runningApp});
    ASSERT_EQ(workspace.activated.size(), 1u);
    EXPECT_EQ(workspace.activated[0].handle, 11);
    manager().perform(Action{"org.gnome.gedit", ActionType::runningApp});
    manager().perform(Action{"org.gnome.evolution", ActionType::runningApp}); // exact match only
    EXPECT_EQ(workspace.activated.size(), 1u);

    ASSERT_FALSE(state().lastReadFrontAppId);
    manager().perform(Action::lastApp());
    queue.runUntilIdle();
    EXPECT_TRUE(workspace.openRequests.empty()) << "a runningApp slot never starts anything";
    EXPECT_EQ(queue.pendingCount(), 0u) << "no last application: nothing to do";
}

TEST_F(ActionExecutionTest, OpenApplicationOnCurrentSystemsLogsARefusedStart) {
    manager().openApplication("org.gnome.gedit");
    ASSERT_EQ(workspace.openedPaths(), std::vector<std::string>{pathOf("org.gnome.gedit")});
    workspace.completeOpen(std::nullopt);
    EXPECT_TRUE(log.lines.empty());

    manager().openApplication("org.gnome.gedit");
    workspace.completeOpen("Permission denied");
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].level, LogLevel::info);
    EXPECT_EQ(log.lines[0].message, "launch app error:\nPermission denied");
}

TEST_F(ActionExecutionTest, OpenApplicationOnOlderSystemsIgnoresTheOutcome) {
    systemInfo.major = 10;
    systemInfo.minor = 14;
    manager().openApplication("org.gnome.gedit");
    ASSERT_EQ(workspace.openedPaths(), std::vector<std::string>{pathOf("org.gnome.gedit")});
    workspace.completeOpen("Permission denied");
    EXPECT_TRUE(log.lines.empty());

    systemInfo.minor = 15;
    manager().openApplication("org.gnome.gedit");
    workspace.completeOpen("Permission denied");
    EXPECT_EQ(log.lines.size(), 1u) << "10.15 is the first current system";
}

TEST_F(ActionExecutionTest, UninstalledApplicationDoesNothingSilently) {
    for (int major : {99, 10}) {
        systemInfo.major = major;
        manager().openApplication("org.example.Missing");
        manager().perform(app("org.example.Missing"));
        queue.runUntilIdle();
    }
    EXPECT_TRUE(workspace.openRequests.empty());
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(ActionExecutionTest, CompletionAfterTheManagerIsGoneIsDropped) {
    manager().openApplication("org.gnome.gedit");
    built.reset();
    workspace.completeOpen("too late");
    EXPECT_TRUE(log.lines.empty());
}

} // namespace
} // namespace zentrivo::test
