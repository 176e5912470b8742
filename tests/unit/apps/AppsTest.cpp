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

TEST(FrontmostAppDetection, HistorySkipsRepeatsAgentsAndThePanelsOwnApplications) {
    FakeDefaultsDatabase db;
    Defaults defaults{db};
    FreedesktopTestProfile profile;
    ReticleSpecModel model{defaults, profile};
    // Firefox has an app slot; the terminal only a runningApp slot, which does not count.
    model.setMainSlot(Action{"org.mozilla.firefox", ActionType::app}, Directional::t);
    model.setMainSlot(Action{"org.gnome.Terminal", ActionType::runningApp}, Directional::r);
    FakeWorkspace workspace;
    FrontmostAppDetection tracker{workspace, model, profile};
    tracker.startListening();
    // currentApp, lastAnyApp and lastNonZentrivoApp by name ("-" for none).
    auto name = [](const std::optional<InstalledApp>& app) { return app ? app->name : "-"; };
    auto history = [&] {
        return name(tracker.currentApp()) + " " + name(tracker.lastAnyApp()) + " " +
               name(tracker.lastNonZentrivoApp());
    };
    auto step = [&](const RunningApp& app, const char* expected) {
        workspace.activateFront(app);
        EXPECT_EQ(history(), expected) << "after " << *app.localizedName;
    };
    const RunningApp mail = regularApp(1, "org.gnome.Evolution", "M"),
                     browser = regularApp(2, "org.mozilla.firefox", "B"),
                     editor = regularApp(3, "org.gnome.gedit", "E"),
                     files = regularApp(4, "org.gnome.Nautilus", "F"),
                     terminal = regularApp(5, "org.gnome.Terminal", "T");
    RunningApp agent = editor, noPath = editor;
    agent.activationPolicy = ActivationPolicy::accessory;
    noPath.bundlePath.reset();

    step(mail, "M - -"); // the first application fills only currentApp
    step(mail, "M - -"); // the same application twice: no change
    step(browser, "B M M");
    step(files, "F B M");
    step(terminal, "T F F"); // without a file slot the file manager is an application like others
    step(mail, "M T T");
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

    tracker.stopListening();
    tracker.startListening();
    tracker.startListening();
    EXPECT_EQ(history(), "E - -") << "the history is gone; seeded with the front application";
    // Gone at once: an observer it left behind would be called (and caught by ASan) below.
    FrontmostAppDetection(workspace, model, profile).startListening();
    step(mail, "M E E");
    tracker.stopListening();
    step(editor, "- - -"); // not listening, and the second start left no second observer behind
}

TEST(InstalledApps, OneSortedRecordPerApplicationFromTheMostImportantFolderEvery30Seconds) {
    FakeApplicationCatalog catalog;
    catalog.folders = {"/home", "", "/local", "/usr", "/home/"};
    // Name and id, then whether the entry is hidden and whether it is NoDisplay.
    catalog.contents["/usr"] = {{{"Text Editor", "gedit"}}, {{"Viewer", "eog"}},
                                {{"Clock", "clocks"}},      {{"Maps", "maps"}, false, true},
                                {{"inkscape", "ink"}},      {{"Étoile", "etoile"}},
                                {{"écho", "echo"}},         {{"Web.desktop.desktop", "web"}}};
    catalog.contents["/local"] = {{{"Nameless", ""}}};
    catalog.contents["/home"] = {{{"My Editor", "gedit"}},
                                 {{"Viewer", "eog"}, true},
                                 {{"Clock", "clocks"}, false, true},
                                 {{"Maps", "maps"}}};
    FakeMainQueue queue;
    FreedesktopTestProfile profile;
    FakeSystemInfo systemInfo;
    InstalledApps apps{catalog, queue, profile, systemInfo};
    apps.refresh();
    EXPECT_TRUE(catalog.scanned.empty()) << "the scan runs later on the main queue";
    queue.runUntilIdle();
    EXPECT_EQ(catalog.scanned, (std::vector<std::string>{"/usr", "/local", "/home"}));
    // A hidden or NoDisplay entry removes the application from its own folder on. Names lose
    // every ".desktop" and sort lower-cased, letters beyond ASCII too, then byte by byte.
    std::vector<std::string> names;
    for (const auto& app : apps.sorted())
        names.push_back(app.name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"inkscape", "Maps", "My Editor", "Web", "écho", "Étoile"}));
    for (auto [wait, scans] : {std::pair{29999, 3u}, std::pair{1, 6u}}) {
        queue.advance(std::chrono::milliseconds(wait));
        apps.refresh();
        queue.runUntilIdle();
        EXPECT_EQ(catalog.scanned.size(), scans) << "after " << wait << " ms more";
    }
}

} // namespace
} // namespace zentrivo::test
