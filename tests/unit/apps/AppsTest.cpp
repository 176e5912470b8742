#include "app/apps/FrontmostAppDetection.h"
#include "app/apps/InstalledApps.h"
#include "app/model/ReticleSpecModel.h"
#include "app/settings/Defaults.h"
#include "tests/fakes/FakeApplicationCatalog.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeSystemInfo.h"
#include "tests/fakes/FakeWorkspace.h"
#include "tests/fakes/FreedesktopTestProfile.h"

#include <gtest/gtest.h>
#include <tuple>

namespace zentrivo::test {
namespace {

class FrontmostAppDetectionTest : public ::testing::Test {
protected:
    FrontmostAppDetectionTest() {
        model.setMainSlot(Action{"org.mozilla.firefox", ActionType::app}, Directional::t);
        model.setMainSlot(Action{"org.gnome.Terminal", ActionType::runningApp}, Directional::r);
        tracker.startListening();
    }
    static InstalledApp record(const RunningApp& app) {
        return {*app.localizedName, *app.bundleIdentifier, *app.bundlePath};
    }

    FakeDefaultsDatabase db;
    Defaults defaults{db};
    FreedesktopTestProfile profile;
    ReticleSpecModel model{defaults, profile};
    FakeWorkspace workspace;
    FrontmostAppDetection tracker{workspace, model, profile};
    RunningApp mail = regularApp(1, "org.gnome.Evolution", "Evolution");
    RunningApp browser = regularApp(2, "org.mozilla.firefox", "Firefox");
    RunningApp editor = regularApp(3, "org.gnome.gedit", "Text Editor");
    RunningApp files = regularApp(4, "org.gnome.Nautilus", "Files");
    RunningApp terminal = regularApp(5, "org.gnome.Terminal", "Terminal");
};

TEST_F(FrontmostAppDetectionTest, HistoryOfTheLastApplications) {
    workspace.activateFront(mail);
    EXPECT_FALSE(tracker.lastAnyApp()) << "the first application fills only currentApp";
    workspace.activateFront(editor);
    workspace.activateFront(mail);
    EXPECT_EQ(tracker.currentApp(), record(mail));
    EXPECT_EQ(tracker.lastAnyApp(), record(editor));
    workspace.activateFront(mail);
    EXPECT_EQ(tracker.lastAnyApp(), record(editor)) << "the same application twice: no change";
}

TEST_F(FrontmostAppDetectionTest, PanelApplicationsNeverBecomeLastNonZentrivoApp) {
    workspace.activateFront(editor);
    workspace.activateFront(browser); // in an app slot
    workspace.activateFront(files);
    EXPECT_EQ(tracker.lastAnyApp(), record(browser));
    EXPECT_EQ(tracker.lastNonZentrivoApp(), record(editor));
    workspace.activateFront(terminal); // only a runningApp slot names it, which does not count
    EXPECT_EQ(tracker.lastNonZentrivoApp(), record(files)) << "no file slot: an application too";
    workspace.activateFront(mail);
    EXPECT_EQ(tracker.lastNonZentrivoApp(), record(terminal));
    model.setMainSlot(Action{"org.gnome.Evolution", ActionType::app}, Directional::c);
    workspace.activateFront(files);
    EXPECT_EQ(tracker.lastNonZentrivoApp(), record(mail)) << "the centre is no part of the ring";

    // A file slot makes the file manager a panel application, unless it is another one.
    model.setMainSlot(Action{"/home/u", ActionType::file}, Directional::b);
    workspace.activateFront(editor);
    EXPECT_EQ(tracker.lastNonZentrivoApp(), record(mail));
    profile.fileManager = "org.kde.dolphin";
    workspace.activateFront(files);
    workspace.activateFront(editor);
    EXPECT_EQ(tracker.lastNonZentrivoApp(), record(files));
}

TEST_F(FrontmostAppDetectionTest, IgnoresAgentsAndIncompleteApplications) {
    workspace.activateFront(mail);
    RunningApp agent = editor, noPath = editor;
    agent.activationPolicy = ActivationPolicy::accessory;
    noPath.bundlePath.reset();
    workspace.activateFront(agent);
    workspace.activateFront(noPath);
    EXPECT_EQ(tracker.currentApp(), record(mail));
    EXPECT_FALSE(tracker.lastAnyApp());
}

TEST_F(FrontmostAppDetectionTest, StopAndStartBeginAnEmptyHistory) {
    workspace.activateFront(mail);
    workspace.activateFront(editor);
    tracker.stopListening();
    EXPECT_FALSE(tracker.lastAnyApp() || tracker.lastNonZentrivoApp() || tracker.currentApp());
    workspace.activateFront(mail);
    EXPECT_FALSE(tracker.currentApp()) << "no longer listening";
    tracker.startListening();
    tracker.startListening();
    EXPECT_EQ(workspace.observerCount(), 1u) << "a second start registers nothing";
    EXPECT_EQ(tracker.currentApp(), record(mail)) << "seeded with the front application";
    EXPECT_FALSE(tracker.lastAnyApp());
    FrontmostAppDetection(workspace, model, profile).startListening();
    EXPECT_EQ(workspace.observerCount(), 1u) << "destruction removes the observer";
}

CatalogEntry entry(const std::string& name, const std::string& id, const std::string& folder) {
    return {{name, id, folder + "/" + id + ".desktop"}, false, false};
}

class InstalledAppsTest : public ::testing::Test {
protected:
    InstalledAppsTest() {
        catalog.folders = {home, system};
        catalog.contents[system] = {entry("Files", "org.gnome.Nautilus", system)};
    }
    std::vector<std::string> scannedNames() {
        apps.refresh();
        queue.runUntilIdle();
        std::vector<std::string> names;
        for (const auto& app : apps.sorted())
            names.push_back(app.name);
        return names;
    }

    const std::string home = "/home/u/.local/share/applications";
    const std::string system = "/usr/share/applications";
    FakeApplicationCatalog catalog;
    FakeMainQueue queue;
    FreedesktopTestProfile profile;
    FakeSystemInfo systemInfo;
    InstalledApps apps{catalog, queue, profile, systemInfo};
};

TEST_F(InstalledAppsTest, ScansLaterOnTheMainQueueAtMostEveryThirtySeconds) {
    apps.refresh();
    EXPECT_TRUE(catalog.scanned.empty());
    queue.runUntilIdle();
    EXPECT_EQ(catalog.scanned.size(), 2u);
    for (auto [wait, scans] :
         {std::pair{10000, false}, std::pair{19999, false}, std::pair{1, true}}) {
        queue.advance(std::chrono::milliseconds(wait));
        const auto before = catalog.scanned.size();
        scannedNames();
        EXPECT_EQ(catalog.scanned.size() > before, scans) << "after " << wait << " ms more";
    }
}

TEST_F(InstalledAppsTest, OneRecordPerApplicationFromTheMostImportantFolder) {
    const std::string local = "/usr/local/share/applications";
    catalog.folders = {home, "", local, system, home + "/", "/unreadable"};
    catalog.contents[system].push_back(entry("Text Editor", "org.gnome.gedit", system));
    catalog.contents[local] = {entry("Local Editor", "org.gnome.gedit", local),
                               entry("Nameless", "", local)};
    catalog.contents[home] = {entry("My Editor", "org.gnome.gedit", home)};
    EXPECT_EQ(scannedNames(), (std::vector<std::string>{"Files", "My Editor"}));
    EXPECT_EQ(catalog.scanned, (std::vector<std::string>{"/unreadable", system, local, home}));
}

TEST_F(InstalledAppsTest, HiddenOrNoDisplayInTheWinningFolderRemovesTheApplication) {
    for (auto [userHidden, userNoDisplay, systemHidden, listed] :
         {std::tuple{true, false, false, false}, std::tuple{false, true, false, false},
          std::tuple{false, false, true, true}}) {
        catalog.contents[home] = {{{"Editor", "org.gnome.gedit", home}, userHidden, userNoDisplay}};
        catalog.contents[system] = {{{"Editor", "org.gnome.gedit", system}, systemHidden, false}};
        queue.advance(std::chrono::seconds(30));
        EXPECT_EQ(scannedNames().size(), listed ? 1u : 0u) << userHidden << userNoDisplay;
    }
}

TEST_F(InstalledAppsTest, SortedByLowerCasedNameWithoutTheBundleSuffix) {
    catalog.contents[system] = {entry("Kate", "org.kde.kate", system),
                                entry("inkscape", "org.inkscape", system),
                                entry("Étoile", "org.example.etoile", system),
                                entry("écho", "org.example.echo", system),
                                entry("Editor", "b.editor", system),
                                entry("editor", "a.editor", system),
                                entry("Viewer.desktop.desktop", "viewer", system)};
    // Letters beyond ASCII are lowered too ("É" sorts as "é"), then compared byte by byte; equal
    // names keep the order of their identifiers.
    EXPECT_EQ(scannedNames(),
              (std::vector<std::string>{"editor", "Editor", "inkscape", "Kate", "Viewer", "écho",
                                        "Étoile"}));
}

} // namespace
} // namespace zentrivo::test
