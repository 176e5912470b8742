#include "app/reticle/ReticleManager.h"

#include "app/apps/FrontmostAppDetection.h"
#include "app/core/NotificationCenter.h"
#include "app/core/Notifications.h"
#include "app/model/ReticleSpecModel.h"
#include "app/reticle/ArrowNavigation.h"
#include "app/settings/Defaults.h"
#include "tests/fakes/FakeArrowKeys.h"
#include "tests/fakes/FakeCursorLocation.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeHaptics.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeReticleView.h"
#include "tests/fakes/FakeReticleWindow.h"
#include "tests/fakes/FakeSystemInfo.h"
#include "tests/fakes/FakeWorkspace.h"
#include "tests/fakes/FreedesktopTestProfile.h"
#include "tests/fakes/RecordingLog.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <numbers>
#include <tuple>
#include <utility>

namespace zentrivo::test {
namespace {

using D = Directional;
using std::chrono::hours;
using std::chrono::milliseconds;
using Requests = std::vector<std::string>;

Action app(const std::string& id) {
    return Action{id, ActionType::app};
}
/// The workspace request that starts application `id`.
std::string open(const std::string& id) {
    return "open /usr/share/applications/" + id + ".desktop";
}

/// The dy, for dx 64 (a power of two, so dy / dx is exact), whose arctangent is exactly `bound`,
/// or with `beyond` the nearest one past it, away from zero.
double dyAt(double bound, bool beyond) {
    double q = std::tan(bound);
    for (int i = 0; i < 8 && std::atan(q) != bound; ++i)
        q = std::nextafter(q, std::atan(q) < bound ? 10.0 : -10.0);
    EXPECT_EQ(std::atan(q), bound) << "no quotient hits the bound exactly";
    while (beyond && std::atan(q) == bound)
        q = std::nextafter(q, bound > 0 ? 10.0 : -10.0);
    return 64 * q;
}

/// A reticle manager over fakes, built on first use so that settings can be arranged first. The
/// near panel holds applications in t, l, r and b; in the 240-point window slots t and r show
/// images (80-point squares), the centre container none; a hover fires after 800 ms.
class ReticleManagerTest : public ::testing::Test {
protected:
    ReticleManagerTest() {
        model.setMainSlot(app("org.gnome.Nautilus"), D::t);
        model.setMainSlot(app("org.gnome.Terminal"), D::l);
        model.setMainSlot(app("org.gnome.Evolution"), D::r);
        model.setMainSlot(app("org.mozilla.firefox"), D::b);
        for (const char* id : {"org.gnome.Nautilus", "org.gnome.Terminal", "org.gnome.Evolution",
                               "org.mozilla.firefox", "org.gnome.gedit"})
            workspace.installed[id] = "/usr/share/applications/" + std::string(id) + ".desktop";
        workspace.frontmost = regularApp(1, "org.gnome.gedit", "Text Editor");
        view.containers.setFrame(D::t, {{80, 160}, {80, 80}});
        view.containers.setFrame(D::r, {{160, 80}, {80, 80}});
        view.containers.setFrame(D::c, {{80, 80}, {80, 80}});
        view.containers.setHasImage(D::t, true);
        view.containers.setHasImage(D::r, true);
        defaults.hoverMillis.set(800);
    }

    ReticleManager& manager() {
        if (!built)
            built = std::make_unique<ReticleManager>(ReticleManager::Collaborators{
                defaults, model, queue, notifications, workspace, haptics, systemInfo, arrowKeys,
                cursor, tracker, log, profile, window, view});
        return *built;
    }
    const ReticleManager::State& state() { return manager().state(); }
    /// Starts a gesture displayed at once with the cursor at `origin`.
    void showAt(Point origin) {
        cursor.location = origin;
        manager().show(0.0f);
    }
    /// Moves the cursor to a point of the window, which sits at (380, 380) after
    /// `showAt({500, 500})`.
    bool moveInWindow(Point p) {
        window.mouseInWindow = p;
        return manager().cursorMoved({380 + p.x, 380 + p.y});
    }
    void enterTop() { moveInWindow({120, 200}); }
    /// What the workspace was asked to do once the main queue has run; the record starts afresh.
    Requests requests() {
        queue.runUntilIdle();
        return std::exchange(workspace.requests, {});
    }

    FakeDefaultsDatabase db;
    Defaults defaults{db};
    FreedesktopTestProfile profile;
    ReticleSpecModel model{defaults, profile};
    FakeMainQueue queue;
    NotificationCenter notifications;
    FakeWorkspace workspace;
    FakeHaptics haptics;
    FakeSystemInfo systemInfo;
    FakeArrowKeys arrowKeys;
    FakeCursorLocation cursor;
    FrontmostAppDetection tracker{workspace, model, profile};
    RecordingLog log;
    FakeReticleWindow window;
    FakeReticleView view;
    std::unique_ptr<ReticleManager> built;
};

TEST_F(ReticleManagerTest, SectorsDeadZoneAndOuterLimit) {
    using std::numbers::pi;
    const double deg30 = 30 * pi / 180, deg72 = 72 * pi / 180;
    struct Row {
        const char* name;
        Point to; // from (0, 0)
        std::optional<D> expected;
        std::int64_t deadZone = 25;
        float outer = 1001;
    };
    const Row rows[] = {
        {"just inside the dead zone", {24.5, 0}, std::nullopt},
        {"on the dead zone's edge", {25, 0}, D::r},
        {"left", {-40, 0}, D::l},
        {"exactly 30 degrees is horizontal", {64, dyAt(deg30, false)}, D::r},
        {"just above 30 degrees is diagonal", {64, dyAt(deg30, true)}, D::tr},
        {"exactly 72 degrees is diagonal", {64, dyAt(deg72, false)}, D::tr},
        {"just above 72 degrees is vertical", {64, dyAt(deg72, true)}, D::t},
        {"exactly -30 degrees is horizontal", {64, dyAt(-deg30, false)}, D::r},
        {"just below -30 degrees is diagonal", {64, dyAt(-deg30, true)}, D::br},
        {"exactly -72 degrees is diagonal", {64, dyAt(-deg72, false)}, D::br},
        {"just below -72 degrees is vertical", {64, dyAt(-deg72, true)}, D::b},
        {"up-left 45 degrees", {-40, 40}, D::tl},
        {"down-left 45 degrees", {-40, -40}, D::bl},
        {"no dead zone: the origin itself falls through to b", {0, 0}, D::b, -1},
        {"on the outer limit", {1000, 0}, D::r, 25, 1000},
        {"beyond the outer limit", {1000.5, 0}, std::nullopt, 25, 1000},
        {"outer limit 1001 means none (dx 0)", {0, -5000}, D::b, 25, 1001},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        defaults.safeAreaSize.set(row.deadZone);
        defaults.outerSafeArea.set(row.outer);
        showAt({0, 0});
        manager().cursorMoved(row.to);
        EXPECT_EQ(state().directional, row.expected);
        EXPECT_EQ(view.highlighted, row.expected);
        manager().dismiss(false);
    }
}

TEST_F(ReticleManagerTest, NearFarTransitions) {
    model.setFarSlot(app("far.t"), D::t);
    showAt({0, 0});
    // 200.0 stays near; back inside the first ring stays far; the dead zone returns to near.
    const std::pair<Point, bool> moves[] = {
        {{200, 0}, false}, {{0, 200.5}, true}, {{0, 100}, true}, {{0, 300}, true}, {{3, 3}, false}};
    for (const auto& [to, far] : moves) {
        manager().cursorMoved(to);
        EXPECT_EQ(state().far, far) << to.x << ", " << to.y;
    }
    EXPECT_EQ(haptics.levelChanges, 1) << "one haptic, on the way out only";
    EXPECT_EQ(view.reloads, (std::vector<bool>{true, false}));

    defaults.hapticFeedback.set(OptionalBool::userDisabled);
    defaults.firstRingDist.set(80.0f);
    manager().cursorMoved({0, 81});
    EXPECT_TRUE(state().far);
    EXPECT_EQ(haptics.levelChanges, 1);

    window.fades = true;
    manager().dismiss(false);
    showAt({50, 50}); // during the fade: the pending close is cancelled and never reports
    EXPECT_EQ(view.reloads.back(), false);

    model.setFarSlot(std::nullopt, D::t);
    showAt({0, 0});
    manager().cursorMoved({0, 500});
    EXPECT_FALSE(state().far) << "an empty far panel never shows";
}

TEST_F(ReticleManagerTest, DeferredDisplayAppearsStrictlyBeyondMinDistCentredOnWholePoints) {
    defaults.reticleDisplayMinDist.set(5.0f);
    cursor.location = {0, 0};
    manager().show(50.0f);
    window.mouseInWindow = {120, 200}; // over slot t's image, which is not visible yet
    EXPECT_FALSE(manager().cursorMoved({50, 0}));
    queue.advance(hours(1)); // so no hover either
    manager().dismiss(true); // released before anything was shown
    EXPECT_TRUE(requests().empty());
    EXPECT_EQ(window.showCount + window.closeCount, 0);

    manager().show(std::nullopt); // the setting's distance again
    EXPECT_FALSE(manager().cursorMoved({5, 0}));
    EXPECT_TRUE(manager().cursorMoved({5.5, 0}));
    manager().dismiss(false);

    for (float minDist : {-5.0f, std::numeric_limits<float>::quiet_NaN()}) {
        SCOPED_TRACE(minDist);
        manager().show(minDist);
        EXPECT_TRUE(state().reticleDisplayed) << "displayed at once";
        manager().dismiss(false);
    }

    // Centred on whole points; directions follow where the window really appeared.
    cursor.location = {500.7, 500.2};
    manager().show(0.0f);
    EXPECT_EQ(window.frameRect.origin, (Point{380, 380})) << "floor(cursor - 120)";
    manager().windowAppeared({{380, 380}, {240, 240}});
    EXPECT_EQ(state().cursorOrigin, (Point{500.7, 500.2})) << "where it was put: no correction";

    // Kept inside the screen by the window system: directions are measured from its centre.
    manager().windowAppeared({{400, 300}, {240, 240}});
    EXPECT_EQ(state().cursorOrigin, (Point{520, 420}));
    manager().dismiss(false);

    manager().windowAppeared({{0, 0}, {240, 240}}); // a late report after the close
    EXPECT_EQ(state().cursorOrigin, std::nullopt);
}

TEST_F(ReticleManagerTest, HoverFiresAtTheDelayOnAnImageUnlessTheSlotOrTheGestureIsLeftFirst) {
    showAt({500, 500});
    moveInWindow({120, 120}); // the centre container has no image to rest on
    EXPECT_EQ(state().inButton, std::nullopt);
    enterTop();
    queue.advance(milliseconds(500));
    moveInWindow({200, 120}); // another slot, whose delay starts afresh
    queue.advance(milliseconds(799));
    enterTop();
    moveInWindow({20, 20}); // out of every slot: sector selection again
    EXPECT_EQ(state().directional, D::bl);
    queue.advance(hours(1));
    enterTop();
    manager().slotReplacedByDrop();
    queue.advance(hours(1));
    EXPECT_TRUE(requests().empty());

    enterTop();
    queue.advance(milliseconds(400));
    EXPECT_TRUE(moveInWindow({85, 235})) << "resting within t: still displayed, the delay runs on";
    queue.advance(milliseconds(399));
    EXPECT_EQ(view.pulseCount, 0);
    queue.advance(milliseconds(1));
    EXPECT_EQ(view.pulseCount, 1);
    EXPECT_EQ(requests(), Requests{open("org.gnome.Nautilus")});
    EXPECT_TRUE(window.visible) << "the panel stays open";

    moveInWindow({200, 120}); // armed on r, then hover is switched off: that hover is dropped
    defaults.hoverMillis.set(0);
    enterTop();
    EXPECT_EQ(view.highlighted, D::t);
    queue.advance(hours(1));
    EXPECT_EQ(view.pulseCount, 1) << "hover off: highlighted, never performed";
    manager().dismiss(false);
    defaults.hoverMillis.set(std::numeric_limits<std::int64_t>::max());
    showAt({500, 500});
    enterTop();
    queue.advance(hours(24));
    EXPECT_EQ(view.pulseCount, 1) << "an absurd delay is held without overflowing";
    manager().dismiss(false);
    EXPECT_EQ(queue.pendingCount(), 0u);
}

TEST_F(ReticleManagerTest, LastAppAndHoverSkipWhatWouldChangeNothingOrOpenADocument) {
    struct Row {
        Action action;
        Requests performed;
        bool lastAppInFront = false;
    };
    const Row rows[] = {
        {{"/nowhere/notes.txt", ActionType::file}, {}},
        {{"/", ActionType::file}, {"file /"}}, // a folder
        {{"/nowhere/gedit.desktop", ActionType::file}, {"file /nowhere/gedit.desktop"}},
        {app("org.gnome.gedit"), {}}, // already in front
        {Action::lastApp(), {open("org.gnome.Evolution")}},
        {Action::lastApp(), {}, true}, // the application it stands for came to the front since
    };
    model.setMainSlot(Action::lastApp(), D::tl);
    manager(); // the tracker listens: Evolution, then Text Editor in front
    workspace.activateFront(regularApp(2, "org.gnome.Evolution", "Evolution"));
    workspace.activateFront(regularApp(1, "org.gnome.gedit", "Text Editor"));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.action.stringValue + (row.lastAppInFront ? " in front" : ""));
        model.setMainSlot(row.action, D::t);
        showAt({500, 500});
        if (row.lastAppInFront)
            workspace.frontmost = regularApp(2, "org.gnome.Evolution", "Evolution");
        enterTop();
        queue.advance(milliseconds(800));
        EXPECT_EQ(requests(), row.performed);
        manager().dismiss(false);
        workspace.frontmost = regularApp(1, "org.gnome.gedit", "Text Editor");
    }
    // Released on the last-app slot: the application captured at display, Zentrivo's own
    // front time counting only when the setting allows it.
    workspace.activateFront(regularApp(2, "org.gnome.Evolution", "Evolution")); // on the ring
    workspace.activateFront(regularApp(3, "org.gnome.Terminal", "Terminal"));
    for (const auto& [setting, expected] :
         {std::pair{OptionalBool::undefined, "org.gnome.Evolution"},
          std::pair{OptionalBool::userDisabled, "org.gnome.gedit"}}) {
        SCOPED_TRACE(expected);
        defaults.lastFrontAppCanBeZentrivo.set(setting);
        showAt({0, 0});
        workspace.activateFront(regularApp(4, "org.mozilla.firefox", "Firefox")); // too late
        manager().cursorMoved({-100, 100});
        manager().dismiss(true);
        EXPECT_EQ(requests(), Requests{open(expected)});
    }
}

TEST_F(ReticleManagerTest, ApplicationLeftBehindWaitsInTheCentre) {
    showAt({500, 500}); // Text Editor in front, not on the ring
    enterTop();
    queue.advance(milliseconds(800));
    EXPECT_EQ(view.centreApps, std::vector<std::optional<RunningApp>>{workspace.frontmost});

    // Hovering the centre returns to it; it stays, though the application left now is not on
    // the ring either.
    workspace.installed["org.example.Other"] = "/opt/Other.desktop";
    workspace.frontmost = regularApp(3, "org.example.Other", "Other");
    view.containers.setHasImage(D::c, true);
    moveInWindow({120, 120});
    queue.advance(milliseconds(800));
    EXPECT_EQ(requests(), (Requests{open("org.gnome.Nautilus"), open("org.gnome.gedit")}));
    EXPECT_EQ(model.mainSpec().c, app("org.gnome.gedit"));
    manager().dismiss(false);
    EXPECT_EQ(view.clearCentreCount, 1);

    for (const char* id : {"org.gnome.Evolution", "org.example.NotInstalled"}) {
        workspace.frontmost = regularApp(5, id, id); // offered by the ring; not installed
        showAt({500, 500});
        enterTop();
        queue.advance(milliseconds(800));
        EXPECT_FALSE(model.mainSpec().c) << id;
        manager().dismiss(false);
    }
}

TEST_F(ReticleManagerTest, DismissPerformsTheSelectionOnlyWhenAsked) {
    struct Row {
        const char* name;
        bool perform;
        Point to; // from (0, 100), slot t
        Requests performed;
        bool drag = false;
        bool alert = false;
    };
    const Row rows[] = {
        {"release on a slot", true, {0, 100}, {open("org.gnome.Nautilus")}},
        {"cancel on a slot", false, {0, 100}, {}},
        {"release back in the dead zone", true, {5, 5}, {}},
        {"release on an empty slot", true, {100, 100}, {}},
        {"release after a drag over the slot", true, {0, 100}, {}, true},
        {"release on the far panel", true, {300, 0}, {open("org.gnome.gedit")}},
        {"release on an empty far slot: near t", true, {0, 300}, {open("org.gnome.Nautilus")}},
        {"an alert closes it without performing", true, {0, 100}, {}, false, true},
    };
    model.setFarSlot(app("org.gnome.gedit"), D::r);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        showAt({0, 0});
        manager().cursorMoved({0, 100});
        manager().cursorMoved(row.to);
        manager().setIsReceivingDrag(row.drag);
        if (row.alert)
            notifications.post(notifications::alertWillDisplay);
        else
            manager().dismiss(row.perform);
        EXPECT_EQ(requests(), row.performed);
        EXPECT_FALSE(window.visible);
        EXPECT_FALSE(state().reticleDisplayed || state().cursorOrigin || state().directional ||
                     state().reticleWindowPosition || state().dist != 0 || state().far);
    }
}

TEST_F(ReticleManagerTest, ActionsFollowTheirTypeAndTheLaunchSettings) {
    const auto on = OptionalBool::userEnabled, off = OptionalBool::userDisabled;
    const std::string terminal = "org.gnome.Terminal", mail = "org.gnome.Evolution";
    struct Row {
        const char* name;
        Action action;
        Requests performed;
        OptionalBool hideFrontmost = OptionalBool::undefined;
        OptionalBool relaunchActive = OptionalBool::undefined;
    };
    const Row rows[] = {
        {"front app, hideFrontmost: hidden", app(terminal), {"hide 10"}, on},
        {"front app: activated", app(terminal), {"activate 10"}},
        {"hideFrontmost hides only the front app", app(mail), {"activate 11"}, on},
        {"relaunchActive: opened though running", app(mail), {open(mail)}, off, on},
        {"not running: opened", app("org.gnome.gedit"), {open("org.gnome.gedit")}},
        {"not installed: nothing", app("org.example.Missing"), {}},
        {"file", {"/home/u/report.pdf", ActionType::file}, {"file /home/u/report.pdf"}},
        {"running application", {mail, ActionType::runningApp}, {"activate 11"}},
        {"running application never started", {"org.gnome.gedit", ActionType::runningApp}, {}},
        {"last application, none captured", Action::lastApp(), {}},
    };
    workspace.running = {regularApp(10, terminal, "Terminal"), regularApp(11, mail, "Evolution"),
                         regularApp(12, mail, "Evolution")};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        defaults.hideFrontmost.set(row.hideFrontmost);
        defaults.relaunchActive.set(row.relaunchActive);
        workspace.frontmost = workspace.running[0];
        showAt({0, 0});
        workspace.frontmost = workspace.running[1]; // what counts is the front app at display
        manager().perform(row.action);
        manager().dismiss(false);
        EXPECT_TRUE(row.action.type != ActionType::app || workspace.requests.empty())
            << "a launch waits for the current event";
        EXPECT_EQ(requests(), row.performed);
    }
}

TEST_F(ReticleManagerTest, RefusedStartIsLoggedOnlyFromVersion10_15) {
    for (auto [minor, logs] : {std::pair{15, true}, std::pair{14, false}}) {
        SCOPED_TRACE(minor);
        systemInfo.major = 10, systemInfo.minor = minor, log.lines.clear();
        manager().openApplication("org.gnome.gedit");
        workspace.completeOpen(std::nullopt);
        manager().openApplication("org.gnome.gedit");
        workspace.completeOpen("Permission denied");
        EXPECT_EQ(requests(), Requests(2, open("org.gnome.gedit")));
        ASSERT_EQ(log.lines.size(), logs ? 1u : 0u);
        for (const auto& line : log.lines)
            EXPECT_EQ(line.message, "launch app error:\nPermission denied");
    }
}

TEST_F(ReticleManagerTest, ArrowNavigationCellsAndPanelRules) {
    model.setFarSlot(app("far"), D::br);
    // far, from, arrow, expected {far, select, position}
    const std::tuple<bool, std::optional<D>, D, ArrowStep> rows[] = {
        {false, std::nullopt, D::t, {false, true, D::t}}, // nothing selected: the arrow's own slot
        {false, D::c, D::l, {false, true, D::l}},
        {false, D::t, D::t, {true, true, D::t}}, // out to the far panel
        {false, D::tl, D::l, {true, true, D::tl}},
        {false, D::t, D::b, {false, true, std::nullopt}}, // towards the centre
        {false, D::l, D::t, {false, false, D::tl}},       // tl is empty: the selection stays
        {true, D::t, D::b, {false, true, D::t}},          // back to the near panel
        {true, D::br, D::l, {true, true, D::b}},          // an empty far slot is still selected
        {true, D::l, D::tr, {true, false, D::l}},         // not an arrow: nothing moves
    };
    for (const auto& [far, from, arrow, expected] : rows) {
        SCOPED_TRACE(testing::Message() << far << (from ? name(*from) : "none") << name(arrow));
        EXPECT_EQ(arrowStep(from, far, arrow, model), expected);
    }
    model.setFarSlot(std::nullopt, D::br);
    EXPECT_EQ(arrowStep(D::t, false, D::t, model), (ArrowStep{false, true, D::t}))
        << "without a far panel the selection stays near";
}

TEST_F(ReticleManagerTest, ArrowKeysRegisterWithoutFunctionKeyShowAndHoldOffTheSlotUnderCursor) {
    // Command+Option; with Function (0x800000) the arrows are the trigger's own keys.
    for (const auto& [displays, flags, registered] :
         {std::tuple{OptionalBool::userEnabled, 0x180000, true},
          std::tuple{OptionalBool::userEnabled, 0x980000, false},
          std::tuple{OptionalBool::userDisabled, 0x180000, false}}) {
        SCOPED_TRACE(flags);
        arrowKeys.keyDown = nullptr;
        defaults.arrowKeysDisplays.set(displays);
        defaults.reticleFlags.set(flags);
        built.reset();
        manager();
        EXPECT_EQ(bool(arrowKeys.keyDown), registered);
    }
    arrowKeys.keyDown = [](Directional) {}; // a toggle to off takes the keys back
    notifications.post(notifications::arrowDisplaysToggled);
    EXPECT_FALSE(arrowKeys.keyDown);
    defaults.arrowKeysDisplays.set(OptionalBool::userEnabled);
    notifications.post(notifications::arrowDisplaysToggled);

    // An arrow shows the reticle at the cursor and holds off the slot under it for 100 ms.
    cursor.location = {500, 500};
    arrowKeys.press(D::r);

    window.mouseInWindow = {120, 200}; // the cursor already rests on slot t
    queue.advance(milliseconds(99));
    manager().cursorMoved({500, 500});
    EXPECT_EQ(view.highlighted, std::nullopt) << "the arrow's choice stands";
    queue.advance(milliseconds(1));
    window.mouseInWindow = {200, 120}; // on to slot r
    manager().cursorMoved({500, 500});
    EXPECT_EQ(view.highlighted, D::r);

    cursor.location = {0, 0};
    arrowKeys.press(D::l); // already up: only the selection moves, not the window
    EXPECT_EQ(window.frameRect.origin, (Point{380, 380}));
    EXPECT_EQ(view.arrows, (std::vector{D::r, D::l}));
}

} // namespace
} // namespace zentrivo::test
