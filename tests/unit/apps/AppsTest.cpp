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
    auto history = [&] {
        std::string text;
        for (const auto* app :
             {&tracker.currentApp(), &tracker.lastAnyApp(), &tracker.lastNonZentrivoApp()})
            text += (text.empty() ? "" : " ") + (*app ? (*app)->name : "-");
        return text;
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
    step(editor, "E M M");
    step(mail, "M E E");
    step(mail, "M E E"); // the same application twice: no change
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
    step(mail, "- - -"); // no longer listening, and the history is gone
    tracker.startListening();
    tracker.startListening();
    EXPECT_EQ(history(), "M - -") << "seeded with the front application";
    // Gone at once: an observer it left behind would be called (and caught by ASan) below.
    FrontmostAppDetection(workspace, model, profile).startListening();
    step(editor, "E M M");
    tracker.stopListening();
    step(mail, "- - -"); // the second start left no second observer behind
}

CatalogEntry entry(const std::string& name, const std::string& id, const std::string& folder,
                   bool hidden = false, bool noDisplay = false) {
    return {{name, id, folder + "/" + id + ".desktop"}, hidden, noDisplay};
}

TEST(InstalledApps, OneSortedRecordPerApplicationFromTheMostImportantFolderEvery30Seconds) {
    const std::string home = "/home/u/.local/share/applications",
                      local = "/usr/local/share/applications", system = "/usr/share/applications";
    FakeApplicationCatalog catalog;
    catalog.folders = {home, "", local, system, home + "/", "/unreadable"};
    catalog.contents[system] = {entry("Files", "org.gnome.Nautilus", system),
                                entry("Text Editor", "org.gnome.gedit", system),
                                entry("Viewer", "org.gnome.eog", system),
                                entry("Clock", "org.gnome.clocks", system),
                                entry("Maps", "org.gnome.Maps", system, false, true),
                                entry("Kate", "org.kde.kate", system),
                                entry("inkscape", "org.inkscape", system),
                                entry("Étoile", "org.example.etoile", system),
                                entry("écho", "org.example.echo", system),
                                entry("Web.desktop.desktop", "web", system)};
    catalog.contents[local] = {entry("Local Editor", "org.gnome.gedit", local),
                               entry("Nameless", "", local)};
    catalog.contents[home] = {entry("My Editor", "org.gnome.gedit", home),
                              entry("Viewer", "org.gnome.eog", home, true),
                              entry("Clock", "org.gnome.clocks", home, false, true),
                              entry("Maps", "org.gnome.Maps", home)};
    FakeMainQueue queue;
    FreedesktopTestProfile profile;
    FakeSystemInfo systemInfo;
    InstalledApps apps{catalog, queue, profile, systemInfo};
    apps.refresh();
    EXPECT_TRUE(catalog.scanned.empty()) << "the scan runs later on the main queue";
    queue.runUntilIdle();
    EXPECT_EQ(catalog.scanned, (std::vector<std::string>{"/unreadable", system, local, home}));
    // A hidden or NoDisplay entry removes the application from its own folder on. Names lose
    // every ".desktop" and sort lower-cased, letters beyond ASCII too, then byte by byte.
    std::vector<std::string> names;
    for (const auto& app : apps.sorted())
        names.push_back(app.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Files", "inkscape", "Kate", "Maps", "My Editor",
                                               "Web", "écho", "Étoile"}));
    for (auto [wait, scans] : {std::pair{29999, 4u}, std::pair{1, 8u}}) {
        queue.advance(std::chrono::milliseconds(wait));
        apps.refresh();
        queue.runUntilIdle();
        EXPECT_EQ(catalog.scanned.size(), scans) << "after " << wait << " ms more";
    }
}

} // namespace
} // namespace zentrivo::test
