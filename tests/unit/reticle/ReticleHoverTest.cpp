#include "ReticleFixture.h"

#include <filesystem>
#include <fstream>
#include <limits>
#include <unistd.h>

namespace zentrivo::test {
namespace {

using D = Directional;
using std::chrono::milliseconds;

/// A reticle whose slots t (top) and r (right) show images, 80-point squares in a 240-point
/// window; the cursor starts at (500, 500), the window's centre.
class ReticleHoverTest : public ReticleFixture {
protected:
    ReticleHoverTest() {
        view.containers.setFrame(D::t, {{80, 160}, {80, 80}});
        view.containers.setFrame(D::r, {{160, 80}, {80, 80}});
        view.containers.setFrame(D::c, {{80, 80}, {80, 80}});
        view.containers.setHasImage(D::t, true);
        view.containers.setHasImage(D::r, true);
        defaults.hoverMillis.set(800);
        workspace.frontmost = regularApp(1, "org.gnome.gedit", "Text Editor");
    }

    /// Moves the cursor to a window point (the window sits at (380, 380)).
    bool moveInWindow(Point p) {
        window.mouseInWindow = p;
        return manager().cursorMoved({380 + p.x, 380 + p.y});
    }
    void enterTop() { moveInWindow({120, 200}); }
    void enterRight() { moveInWindow({200, 120}); }

    void start() { showAt({500, 500}); }
};

TEST_F(ReticleHoverTest, FiresAtTheDelayNotAMillisecondBefore) {
    start();
    enterTop();
    EXPECT_EQ(state().inButton, D::t);
    EXPECT_EQ(state().directional, D::t);
    EXPECT_EQ(view.highlighted, D::t);

    queue.advance(milliseconds(799));
    EXPECT_TRUE(launchedPaths().empty());
    EXPECT_EQ(view.pulseCount, 0);
    queue.advance(milliseconds(1));
    EXPECT_EQ(view.pulseCount, 1);
    EXPECT_EQ(launchedPaths(), std::vector<std::string>{pathOf("org.gnome.Nautilus")});
    EXPECT_TRUE(window.visible) << "the panel stays open";
}

TEST_F(ReticleHoverTest, HoverDelayOfTheSettingIsUsed) {
    for (std::int64_t delay : {1, 250}) {
        SCOPED_TRACE(delay);
        defaults.hoverMillis.set(delay);
        start();
        enterTop();
        queue.advance(milliseconds(delay - 1));
        EXPECT_EQ(view.pulseCount, 0);
        queue.advance(milliseconds(1));
        EXPECT_EQ(view.pulseCount, 1);
        manager().dismiss(false);
        view.pulseCount = 0;
    }
}

TEST_F(ReticleHoverTest, HoverOffStillHighlightsButNeverPerforms) {
    for (std::int64_t off : {0, -5}) {
        SCOPED_TRACE(off);
        defaults.hoverMillis.set(off);
        start();
        enterTop();
        EXPECT_EQ(view.highlighted, D::t);
        EXPECT_EQ(queue.pendingCount(), 0u);
        queue.advance(std::chrono::hours(1));
        EXPECT_EQ(view.pulseCount, 0);
        EXPECT_TRUE(launchedPaths().empty());
        manager().dismiss(false);
    }
}

TEST_F(ReticleHoverTest, LeavingOrSwitchingSlotsCancelsThePendingHover) {
    start();
    enterTop();
    queue.advance(milliseconds(500));
    enterRight();
    EXPECT_EQ(state().inButton, D::r);
    EXPECT_EQ(view.highlighted, D::r);
    queue.advance(milliseconds(799));
    EXPECT_EQ(view.pulseCount, 0) << "the top slot's hover was cancelled";
    queue.advance(milliseconds(1));
    EXPECT_EQ(launchedPaths(), std::vector<std::string>{pathOf("org.gnome.Evolution")});

    moveInWindow({120, 200});
    queue.advance(milliseconds(400));
    moveInWindow({20, 20}); // out of every slot, towards the bottom left
    EXPECT_EQ(state().inButton, std::nullopt);
    EXPECT_EQ(state().directional, D::bl);
    queue.advance(std::chrono::hours(1));
    EXPECT_EQ(workspace.openRequests.size(), 1u);
}

TEST_F(ReticleHoverTest, InsideASlotNeitherDistanceNorSelectionChange) {
    start();
    enterTop();
    const float dist = state().dist;
    EXPECT_TRUE(moveInWindow({130, 210})) << "still displayed while resting in a slot";
    EXPECT_TRUE(moveInWindow({85, 235}));
    EXPECT_EQ(state().dist, dist);
    EXPECT_EQ(state().directional, D::t);
    EXPECT_EQ(view.highlightCalls.size(), 1u);

    moveInWindow({230, 30}); // leaves the slot: sector selection again
    EXPECT_EQ(state().inButton, std::nullopt);
    EXPECT_EQ(state().directional, D::br);
}

TEST_F(ReticleHoverTest, SlotsWithoutImageOrAHiddenReticleAreNoHoverTarget) {
    start();
    moveInWindow({120, 120}); // the centre container has no image
    EXPECT_EQ(state().inButton, std::nullopt);
    manager().dismiss(false);

    cursor.location = {500, 500};
    manager().show(150.0f);
    enterTop(); // 80 points away, display still deferred
    EXPECT_EQ(state().inButton, std::nullopt);
    EXPECT_EQ(queue.pendingCount(), 0u);
    queue.advance(std::chrono::hours(1));
    EXPECT_TRUE(launchedPaths().empty());
}

TEST_F(ReticleHoverTest, HoverSkipsWhatWouldChangeNothingOrOpenADocument) {
    namespace fs = std::filesystem;
    const fs::path dir =
        fs::temp_directory_path() / ("zentrivo-hover-" + std::to_string(::getpid()));
    fs::create_directories(dir / "Folder");
    fs::create_directories(dir / "Mac.app");
    std::ofstream(dir / "notes.txt") << "x";
    std::ofstream(dir / "gedit.desktop") << "x";
    std::ofstream(dir / "Flat.app") << "x";

    struct Row {
        const char* name;
        Action action;
        bool macProfile;
        bool performs;
    };
    const Row rows[] = {
        {"document", Action{(dir / "notes.txt").string(), ActionType::file}, false, false},
        {"missing document", Action{(dir / "gone.txt").string(), ActionType::file}, false, false},
        {"folder", Action{(dir / "Folder").string(), ActionType::file}, false, true},
        {"desktop entry is an application bundle here",
         Action{(dir / "gedit.desktop").string(), ActionType::file}, false, true},
        {"an .app file is a document here", Action{(dir / "Flat.app").string(), ActionType::file},
         false, false},
        {"an .app file is a bundle on macOS", Action{(dir / "Flat.app").string(), ActionType::file},
         true, true},
        {"a .desktop file is a document on macOS",
         Action{(dir / "gedit.desktop").string(), ActionType::file}, true, false},
        {"bundle folder", Action{(dir / "Mac.app/").string(), ActionType::file}, true, true},
        {"application already in front", app("org.gnome.gedit"), false, false},
        {"another application", app("org.gnome.Terminal"), false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        built.reset();
        profile = row.macProfile ? static_cast<const PlatformProfile*>(&macProfile) : &linuxProfile;
        model.setMainSlot(row.action, D::t);
        const auto pulses = view.pulseCount;
        start();
        enterTop();
        queue.advance(milliseconds(800));
        EXPECT_EQ(view.pulseCount - pulses, row.performs ? 1 : 0);
        manager().dismiss(false);
    }
    fs::remove_all(dir);
}

TEST_F(ReticleHoverTest, LastAppSlotSkipsWhenItsApplicationIsAlreadyInFront) {
    model.setMainSlot(Action::lastApp(), D::t);
    model.setMainSlot(app("org.gnome.Terminal"), D::l);
    built.reset();
    manager(); // the panel now holds a last-application slot: the tracker listens
    workspace.activateFront(regularApp(2, "org.gnome.Terminal", "Terminal"));
    workspace.activateFront(regularApp(1, "org.gnome.gedit", "Text Editor"));

    start();
    ASSERT_EQ(state().lastReadFrontAppId, "org.gnome.Terminal");
    workspace.frontmost = regularApp(2, "org.gnome.Terminal", "Terminal");
    enterTop();
    queue.advance(milliseconds(800));
    EXPECT_EQ(view.pulseCount, 0) << "the last application is already in front";

    workspace.frontmost = regularApp(1, "org.gnome.gedit", "Text Editor");
    enterRight();
    enterTop();
    queue.advance(milliseconds(800));
    EXPECT_EQ(view.pulseCount, 1);
    EXPECT_EQ(launchedPaths(), std::vector<std::string>{pathOf("org.gnome.Terminal")});
}

TEST_F(ReticleHoverTest, ApplicationLeftBehindWaitsInTheCentre) {
    start(); // gedit in front, not on the ring
    enterTop();
    queue.advance(milliseconds(800));
    ASSERT_TRUE(model.mainSpec().c);
    EXPECT_EQ(*model.mainSpec().c, app("org.gnome.gedit"));
    ASSERT_EQ(view.centreApps.size(), 1u);
    EXPECT_EQ(view.centreApps[0], workspace.frontmost);
    EXPECT_EQ(db.values.count("mainReticleSpec"), 0u) << "the centre is never saved";

    // Hovering the centre returns to it; it stays where it is, even though the application
    // left now is not on the ring either.
    workspace.installed["org.example.Other"] = pathOf("org.example.Other");
    workspace.frontmost = regularApp(3, "org.example.Other", "Other");
    view.containers.setHasImage(D::c, true);
    moveInWindow({120, 120});
    queue.advance(milliseconds(800));
    EXPECT_EQ(launchedPaths().back(), pathOf("org.gnome.gedit"));
    EXPECT_EQ(*model.mainSpec().c, app("org.gnome.gedit"));
    EXPECT_EQ(view.centreApps.size(), 1u);

    manager().dismiss(false);
    EXPECT_FALSE(model.mainSpec().c);
    EXPECT_EQ(view.clearCentreCount, 1);
    EXPECT_EQ(db.values.count("mainReticleSpec"), 0u);
}

TEST_F(ReticleHoverTest, CentreStaysEmptyForApplicationsTheRingOffersOrThatCannotReturn) {
    struct Row {
        const char* name;
        RunningApp front;
        bool fileSlotOnRing;
    };
    RunningApp noId = regularApp(9, "x", "X");
    noId.bundleIdentifier.reset();
    const Row rows[] = {
        {"on the ring", regularApp(5, "org.gnome.Evolution", "Evolution"), false},
        {"this program", regularApp(6, "com.tovelane.ZentrivoPro", "Zentrivo"), false},
        {"not installed", regularApp(7, "org.example.Portable", "Portable"), false},
        {"file manager with a file slot", regularApp(8, "org.gnome.Files", "Files"), true},
        {"no identifier", noId, false},
    };
    linuxProfile.fileManager = "org.gnome.Files";
    workspace.installed["org.gnome.Files"] = pathOf("org.gnome.Files");
    workspace.installed["com.tovelane.ZentrivoPro"] = pathOf("com.tovelane.ZentrivoPro");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        model.setMainSlot(row.fileSlotOnRing ? std::optional(Action{"/tmp", ActionType::file})
                                             : std::nullopt,
                          D::br);
        workspace.frontmost = row.front;
        start();
        enterTop();
        queue.advance(milliseconds(800));
        EXPECT_EQ(view.pulseCount, 1) << "the slot itself is still performed";
        EXPECT_FALSE(model.mainSpec().c);
        EXPECT_TRUE(view.centreApps.empty());
        manager().dismiss(false);
        view.pulseCount = 0;
    }
}

TEST_F(ReticleHoverTest, FarPanelHoverUsesTheFarSlotThenTheNearOne) {
    model.setFarSlot(app("org.gnome.gedit"), D::r);
    start();
    manager().cursorMoved({500, 800}); // far
    ASSERT_TRUE(state().far);
    workspace.frontmost = regularApp(3, "org.gnome.Terminal", "Terminal");
    enterRight();
    queue.advance(milliseconds(800));
    enterTop(); // far slot t is empty: the near slot's application
    queue.advance(milliseconds(800));
    EXPECT_EQ(launchedPaths(),
              (std::vector<std::string>{pathOf("org.gnome.gedit"), pathOf("org.gnome.Nautilus")}));
}

TEST_F(ReticleHoverTest, DismissCancelsAPendingHoverEvenWhenHoverWasSwitchedOffMeanwhile) {
    start();
    enterTop();
    defaults.hoverMillis.set(0);
    manager().dismiss(false);
    queue.advance(std::chrono::hours(1));
    EXPECT_EQ(view.pulseCount, 0);
    EXPECT_TRUE(launchedPaths().empty());
}

TEST_F(ReticleHoverTest, DeadZoneAndDropCancelTheHover) {
    start();
    enterTop();
    window.mouseInWindow = {120, 120};
    manager().cursorMoved({505, 505}); // leaves the slot into the dead zone
    queue.advance(std::chrono::hours(1));
    EXPECT_EQ(view.pulseCount, 0);

    enterTop();
    manager().slotReplacedByDrop();
    EXPECT_EQ(state().directional, std::nullopt);
    EXPECT_EQ(state().inButton, std::nullopt);
    EXPECT_FALSE(view.highlighted);
    queue.advance(std::chrono::hours(1));
    EXPECT_EQ(view.pulseCount, 0);
}

TEST_F(ReticleHoverTest, AbsurdlyLongDelayIsHeldWithoutOverflow) {
    defaults.hoverMillis.set(std::numeric_limits<std::int64_t>::max());
    start();
    enterTop();
    queue.advance(std::chrono::hours(24));
    EXPECT_EQ(view.pulseCount, 0);
    manager().dismiss(false);
    EXPECT_EQ(queue.pendingCount(), 0u);
}

TEST_F(ReticleHoverTest, DragOverASlotHidesItsHighlightAndClearsTheSelection) {
    start();
    manager().cursorMoved({500, 600});
    ASSERT_EQ(state().directional, D::t);
    manager().setIsReceivingDrag(true);
    EXPECT_TRUE(state().isReceivingDrag);
    EXPECT_EQ(view.hiddenHighlights, std::vector<D>{D::t});
    EXPECT_EQ(state().directional, std::nullopt);
    manager().cursorMoved({500, 600});
    manager().setIsReceivingDrag(false);
    EXPECT_FALSE(state().isReceivingDrag);
    EXPECT_EQ(view.hiddenHighlights.size(), 1u) << "a drag leaving hides nothing";
    EXPECT_EQ(state().directional, D::t);
    manager().setIsReceivingDrag(true);
    manager().dismiss(true);
    EXPECT_TRUE(launchedPaths().empty()) << "nothing selected after the drag";
}

} // namespace
} // namespace zentrivo::test
