#include "ReticleFixture.h"
#include "app/core/Notifications.h"

namespace zentrivo::test {
namespace {

using D = Directional;
using std::chrono::milliseconds;

class ReticleLifecycleTest : public ReticleFixture {};

TEST_F(ReticleLifecycleTest, ConstructionStateAndCloseCompletion) {
    defaults.reticleDisplayMinDist.set(5.0f);
    const auto& s = state();
    EXPECT_FALSE(s.cursorOrigin);
    EXPECT_FALSE(s.directional);
    EXPECT_EQ(s.dist, 0.0f);
    EXPECT_FALSE(s.far);
    EXPECT_FALSE(s.reticleDisplayed);
    EXPECT_EQ(s.minDist, 5.0f);
    EXPECT_TRUE(window.closeCompletion) << "the far reset is installed at construction";
    EXPECT_FALSE(tracker.listening()) << "no last-application slot, no tracking";

    built.reset();
    EXPECT_FALSE(window.closeCompletion) << "and removed again with the manager";
}

TEST_F(ReticleLifecycleTest, DismissPerformsTheSelectionOnlyWhenAsked) {
    struct Row {
        const char* name;
        bool perform;
        Point to; // from (0, 0)
        std::vector<std::string> launched;
        int clears;
    };
    const Row rows[] = {
        {"release on a slot", true, {0, 100}, {pathOf("org.gnome.Nautilus")}, 1},
        {"cancel on a slot", false, {0, 100}, {}, 1},
        {"release in the dead zone", true, {5, 5}, {}, 0},
        {"release on an empty slot", true, {100, 100}, {}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        workspace.openRequests.clear();
        showAt({0, 0});
        manager().cursorMoved(row.to);
        const int clearsBefore = view.clearHighlightCount;
        manager().dismiss(row.perform);
        EXPECT_EQ(launchedPaths(), row.launched);
        EXPECT_EQ(view.clearHighlightCount - clearsBefore, row.clears);
        EXPECT_FALSE(window.visible);
        EXPECT_FALSE(state().reticleDisplayed);
        EXPECT_FALSE(state().cursorOrigin);
        EXPECT_FALSE(state().directional);
        EXPECT_FALSE(state().reticleWindowPosition);
        EXPECT_EQ(state().dist, 0.0f);
    }
}

TEST_F(ReticleLifecycleTest, DismissWithoutAGestureIsHarmless) {
    manager().dismiss(true);
    manager().dismiss(false);
    EXPECT_EQ(window.closeCount, 0);
    EXPECT_TRUE(launchedPaths().empty());
}

TEST_F(ReticleLifecycleTest, FarReleaseFallsBackToTheNearSlot) {
    model.setFarSlot(app("org.gnome.gedit"), D::r);
    struct Row {
        const char* name;
        Point to;
        std::string launched;
    };
    const Row rows[] = {
        {"far slot set", {300, 0}, pathOf("org.gnome.gedit")},
        {"far slot empty: near slot", {0, 300}, pathOf("org.gnome.Nautilus")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        workspace.openRequests.clear();
        showAt({0, 0});
        manager().cursorMoved(row.to);
        ASSERT_TRUE(state().far);
        manager().dismiss(true);
        EXPECT_EQ(launchedPaths(), std::vector<std::string>{row.launched});
    }
}

TEST_F(ReticleLifecycleTest, FarResetsWhenTheWindowReallyCloses) {
    configureFar();
    window.fades = true;
    showAt({0, 0});
    manager().cursorMoved({0, 300});
    manager().dismiss(false);
    EXPECT_TRUE(state().far) << "still far while the window fades out";
    const int hapticsBefore = haptics.levelChanges;
    window.finishFade();
    EXPECT_FALSE(state().far);
    EXPECT_EQ(view.reloads.back(), false);
    EXPECT_EQ(haptics.levelChanges, hapticsBefore);
}

TEST_F(ReticleLifecycleTest, ShowingAgainDuringTheFadeStillStartsNear) {
    configureFar();
    window.fades = true;
    showAt({0, 0});
    manager().cursorMoved({0, 300});
    manager().dismiss(false);
    showAt({50, 50}); // cancels the pending close: no completion will come
    EXPECT_FALSE(window.closePending);
    EXPECT_FALSE(state().far);
    EXPECT_EQ(view.reloads.back(), false);

    manager().cursorMoved({50, 180}); // a quick first move beyond the dead zone
    manager().dismiss(true);
    EXPECT_EQ(launchedPaths(), std::vector<std::string>{pathOf("org.gnome.Nautilus")})
        << "the near panel's slot, not the far one";
}

TEST_F(ReticleLifecycleTest, DisplayCapturesTheLastAndFrontApplications) {
    model.setMainSlot(Action::lastApp(), D::tl);
    model.setMainSlot(app("org.gnome.Evolution"), D::r);
    manager();
    ASSERT_TRUE(tracker.listening());
    workspace.activateFront(regularApp(1, "org.gnome.gedit", "Text Editor"));
    workspace.activateFront(regularApp(2, "org.gnome.Evolution", "Evolution"));
    workspace.activateFront(regularApp(3, "org.gnome.Terminal", "Terminal"));
    // lastAnyApp: Evolution (on the ring); lastNonZentrivoApp: Text Editor.

    struct Row {
        OptionalBool setting;
        const char* expected;
    };
    const Row rows[] = {{OptionalBool::undefined, "org.gnome.Evolution"},
                        {OptionalBool::userEnabled, "org.gnome.Evolution"},
                        {OptionalBool::userDisabled, "org.gnome.gedit"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.setting));
        defaults.lastFrontAppCanBeZentrivo.set(row.setting);
        showAt({0, 0});
        EXPECT_EQ(state().lastReadFrontAppId, row.expected);
        ASSERT_TRUE(state().currentFrontApp);
        EXPECT_EQ(state().currentFrontApp->bundleIdentifier, "org.gnome.Terminal");
        manager().dismiss(false);
        EXPECT_FALSE(state().lastReadFrontAppId);
        EXPECT_FALSE(state().currentFrontApp);
    }
}

TEST_F(ReticleLifecycleTest, LastAppSlotOpensWhatWasCapturedAtDisplay) {
    model.setMainSlot(Action::lastApp(), D::tl);
    manager();
    workspace.activateFront(regularApp(1, "org.gnome.gedit", "Text Editor"));
    workspace.activateFront(regularApp(3, "org.gnome.Terminal", "Terminal"));
    showAt({0, 0});
    workspace.activateFront(regularApp(4, "org.gnome.Evolution", "Evolution"));
    manager().cursorMoved({-100, 100});
    manager().dismiss(true);
    EXPECT_EQ(launchedPaths(), std::vector<std::string>{pathOf("org.gnome.gedit")});
}

TEST_F(ReticleLifecycleTest, NotificationsTheManagerObserves) {
    manager();
    showAt({0, 0});
    manager().cursorMoved({0, 100});
    notifications.post(notifications::alertWillDisplay);
    EXPECT_FALSE(state().reticleDisplayed);
    EXPECT_TRUE(launchedPaths().empty()) << "an alert cancels without performing";

    EXPECT_FALSE(tracker.listening());
    model.setFarSlot(Action::lastApp(), D::bl);
    notifications.post(notifications::appsUpdated);
    EXPECT_TRUE(tracker.listening());
    model.setFarSlot(std::nullopt, D::bl);
    notifications.post(notifications::appsUpdated);
    EXPECT_FALSE(tracker.listening());

    built.reset();
    notifications.post(notifications::alertWillDisplay); // nobody is left to observe it
}

TEST_F(ReticleLifecycleTest, ArrowKeyRegistration) {
    struct Row {
        const char* name;
        OptionalBool setting;
        std::int64_t flags;
        int registeredAtConstruction;
        int registeredOnToggle;
        int unregisteredOnToggle;
    };
    const Row rows[] = {
        {"enabled", OptionalBool::userEnabled, 0x180000, 1, 1, 0},
        {"enabled with the Function key", OptionalBool::userEnabled, 0x980000, 0, 0, 0},
        {"disabled", OptionalBool::userDisabled, 0x180000, 0, 0, 1},
        {"undefined", OptionalBool::undefined, 0x180000, 0, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        built.reset();
        arrowKeys.registerCount = 0;
        arrowKeys.unregisterCount = 0;
        defaults.arrowKeysDisplays.set(row.setting);
        defaults.reticleFlags.set(row.flags);
        manager();
        EXPECT_EQ(arrowKeys.registerCount, row.registeredAtConstruction);
        EXPECT_EQ(arrowKeys.unregisterCount, 0);
        notifications.post(notifications::arrowDisplaysToggled);
        EXPECT_EQ(arrowKeys.registerCount, row.registeredAtConstruction + row.registeredOnToggle);
        EXPECT_EQ(arrowKeys.unregisterCount, row.unregisteredOnToggle);
    }
}

TEST_F(ReticleLifecycleTest, ArrowKeyDisplaysTheReticleAndSuspendsInSlotHandling) {
    defaults.arrowKeysDisplays.set(OptionalBool::userEnabled);
    defaults.reticleFlags.set(0x180000);
    defaults.hoverMillis.set(300);
    view.containers.setFrame(D::t, {{80, 160}, {80, 80}});
    view.containers.setHasImage(D::t, true);
    cursor.location = {500, 500};
    manager();

    arrowKeys.press(D::r);
    EXPECT_TRUE(state().reticleDisplayed);
    EXPECT_EQ(window.showCount, 1);
    EXPECT_EQ(state().cursorOrigin, (Point{500, 500}));
    EXPECT_EQ(view.arrows, std::vector<D>{D::r});
    EXPECT_EQ(state().directional, D::r);
    EXPECT_EQ(view.highlighted, D::r);
    EXPECT_TRUE(state().skipInButton);

    // The cursor rests on slot t, but the arrow's choice stands for 100 ms.
    window.mouseInWindow = {120, 200};
    manager().cursorMoved({500, 580});
    EXPECT_EQ(state().inButton, D::t);
    EXPECT_EQ(state().directional, D::r);
    EXPECT_EQ(queue.pendingCount(), 1u) << "only the end of the suspension is pending";

    queue.advance(milliseconds(99));
    EXPECT_TRUE(state().skipInButton);
    queue.advance(milliseconds(1));
    EXPECT_FALSE(state().skipInButton);

    arrowKeys.press(D::b); // displayed already: navigation only
    EXPECT_EQ(window.showCount, 1);
    EXPECT_EQ(view.arrows, (std::vector<D>{D::r, D::b}));
    EXPECT_EQ(state().directional, D::r) << "down from r leads to br, which is empty: r stays";
}

TEST_F(ReticleLifecycleTest, ArrowKeysSwitchPanelsThroughTheManager) {
    configureFar();
    showAt({0, 0});
    manager().arrowSelected(D::t);
    ASSERT_EQ(state().directional, D::t);
    manager().arrowSelected(D::t);
    EXPECT_TRUE(state().far);
    EXPECT_EQ(haptics.levelChanges, 1);
    EXPECT_EQ(view.reloads.back(), true);
    EXPECT_EQ(state().directional, D::t);
    manager().arrowSelected(D::b);
    EXPECT_FALSE(state().far);
    EXPECT_EQ(state().directional, D::t);
    manager().dismiss(true);
    EXPECT_EQ(launchedPaths(), std::vector<std::string>{pathOf("org.gnome.Nautilus")});
}

TEST_F(ReticleLifecycleTest, WorkPostedByAManagerThatIsGoneNeverRuns) {
    defaults.arrowKeysDisplays.set(OptionalBool::userEnabled);
    manager().arrowSelected(D::r);
    manager().perform(app("org.gnome.Terminal"));
    built.reset();
    queue.advance(std::chrono::seconds(1));
    EXPECT_TRUE(workspace.openRequests.empty());
}

} // namespace
} // namespace zentrivo::test
