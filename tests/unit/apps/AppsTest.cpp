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

namespace zentrivo::test {
namespace {

class FrontmostAppDetectionTest : public ::testing::Test {
protected:
    FrontmostAppDetectionTest() {
        model.setMainSlot(Action{"org.mozilla.firefox", ActionType::app}, Directional::t);
        model.setMainSlot(Action{"org.gnome.Terminal", ActionType::runningApp}, Directional::r);
        tracker.startListening();
    }
    /// currentApp, lastAnyApp and lastNonZentrivoApp by name ("-" for none).
    std::string history() const {
        std::string text;
        for (const auto* app :
             {&tracker.currentApp(), &tracker.lastAnyApp(), &tracker.lastNonZentrivoApp()})
            text += (text.empty() ? "" : " ") + (*app ? (*app)->name : "-");
        return text;
    }
    void step(const RunningApp& app, const char* expected) {
        workspace.activateFront(app);
        EXPECT_EQ(history(), expected) << "after " << *app.localizedName;
    }

    FakeDefaultsDatabase db;
    Defaults defaults{db};
    FreedesktopTestProfile profile;
    ReticleSpecModel model{defaults, profile};
    FakeWorkspace workspace;
    FrontmostAppDetection tracker{workspace, model, profile};
    // Firefox has an app slot; the terminal only a runningApp slot, which does not count.
    RunningApp mail = regularApp(1, "org.gnome.Evolution", "M");
    RunningApp browser = regularApp(2, "org.mozilla.firefox", "B");
    RunningApp editor = regularApp(3, "org.gnome.gedit", "E");
    RunningApp files = regularApp(4, "org.gnome.Nautilus", "F");
    RunningApp terminal = regularApp(5, "org.gnome.Terminal", "T");
};

TEST_F(FrontmostAppDetectionTest, HistorySkipsRepeatsAgentsAndThePanelsOwnApplications) {
    step(mail, "M - -"); // the first application fills only currentApp
    step(editor, "E M M");
    step(mail, "M E E");
    step(mail, "M E E"); // the same application twice: no change
    step(browser, "B M M");
    step(files, "F B M");
    step(terminal, "T F F"); // without a file slot the file manager is an application like others
    step(mail, "M T T");
    RunningApp agent = editor, noPath = editor;
    agent.activationPolicy = ActivationPolicy::accessory;
    noPath.bundlePath.reset();
    step(agent, "M T T");
    step(noPath, "M T T");
    model.setMainSlot(Action{"org.gnome.Evolution", ActionType::app}, Directional::c);
    step(files, "F M M"); // the centre is no part of the ring
    // A file slot makes the file manager a panel application, unless it is another one.
    model.setMainSlot(Action{"/home/u", ActionType::file}, Directional::b);
    step(editor, "E F M");
    profile.fileManager = "org.kde.dolphin";
    step(files, "F E E");
    step(editor, "E F F");
}

TEST_F(FrontmostAppDetectionTest, StopAndStartBeginAnEmptyHistory) {
    step(mail, "M - -");
    step(editor, "E M M");
    tracker.stopListening();
    step(mail, "- - -"); // no longer listening
    tracker.startListening();
    tracker.startListening();
    EXPECT_EQ(workspace.observerCount(), 1u) << "a second start registers nothing";
    EXPECT_EQ(history(), "M - -") << "seeded with the front application";
    FrontmostAppDetection(workspace, model, profile).startListening();
    EXPECT_EQ(workspace.observerCount(), 1u) << "destruction removes the observer";
}

CatalogEntry entry(const std::string& name, const std::string& id, const std::string& folder,
                   bool hidden = false, bool noDisplay = false) {
    return {{name, id, folder + "/" + id + ".desktop"}, hidden, noDisplay};
}

class InstalledAppsTest : public ::testing::Test {
protected:
    InstalledAppsTest() { catalog.folders = {home, system}; }
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
    for (auto [wait, scans] : {std::pair{29999, false}, std::pair{1, true}}) {
        queue.advance(std::chrono::milliseconds(wait));
        const auto before = catalog.scanned.size();
        scannedNames();
        EXPECT_EQ(catalog.scanned.size() > before, scans) << "after " << wait << " ms more";
    }
}

TEST_F(InstalledAppsTest, OneRecordPerApplicationFromTheMostImportantFolder) {
    const std::string local = "/usr/local/share/applications";
    catalog.folders = {home, "", local, system, home + "/", "/unreadable"};
    catalog.contents[system] = {entry("Files", "org.gnome.Nautilus", system),
                                entry("Text Editor", "org.gnome.gedit", system),
                                entry("Viewer", "org.gnome.eog", system),
                                entry("Clock", "org.gnome.clocks", system),
                                entry("Maps", "org.gnome.Maps", system, false, true)};
    catalog.contents[local] = {entry("Local Editor", "org.gnome.gedit", local),
                               entry("Nameless", "", local)};
    catalog.contents[home] = {entry("My Editor", "org.gnome.gedit", home),
                              entry("Viewer", "org.gnome.eog", home, true),
                              entry("Clock", "org.gnome.clocks", home, false, true),
                              entry("Maps", "org.gnome.Maps", home)};
    // A hidden or NoDisplay entry removes the application only from its own folder on.
    EXPECT_EQ(scannedNames(), (std::vector<std::string>{"Files", "Maps", "My Editor"}));
    EXPECT_EQ(catalog.scanned, (std::vector<std::string>{"/unreadable", system, local, home}));
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
    EXPECT_EQ(scannedNames(), (std::vector<std::string>{"editor", "Editor", "inkscape", "Kate",
                                                        "Viewer", "écho", "Étoile"}));
}

} // namespace
} // namespace zentrivo::test
