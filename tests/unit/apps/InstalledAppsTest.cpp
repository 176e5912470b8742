#include "app/apps/InstalledApps.h"

#include "tests/fakes/FakeApplicationCatalog.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeSystemInfo.h"
#include "tests/fakes/FreedesktopTestProfile.h"

#include <gtest/gtest.h>

namespace zentrivo::test {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

CatalogEntry entry(const std::string& name, const std::string& id, const std::string& folder) {
    return {{name, id, folder + "/" + id + ".desktop"}, false, false};
}

class InstalledAppsTest : public ::testing::Test {
protected:
    InstalledAppsTest() {
        catalog.folders = {home, local, system};
        catalog.contents[system] = {entry("Files", "org.gnome.Nautilus", system),
                                    entry("Text Editor", "org.gnome.gedit", system)};
    }

    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const auto& app : apps.sorted())
            result.push_back(app.name);
        return result;
    }
    void refreshAndScan() {
        apps.refresh();
        queue.runUntilIdle();
    }

    const std::string home = "/home/u/.local/share/applications";
    const std::string local = "/usr/local/share/applications";
    const std::string system = "/usr/share/applications";
    FakeApplicationCatalog catalog;
    FakeMainQueue queue;
    FreedesktopTestProfile linuxProfile;
    FakeSystemInfo systemInfo;
    InstalledApps apps{catalog, queue, linuxProfile, systemInfo};
};

TEST_F(InstalledAppsTest, ScanRunsLaterOnTheMainQueue) {
    apps.refresh();
    EXPECT_TRUE(apps.sorted().empty());
    EXPECT_TRUE(catalog.scanned.empty());
    EXPECT_FALSE(apps.lastQueryDate());
    queue.runUntilIdle();
    EXPECT_EQ(names(), (std::vector<std::string>{"Files", "Text Editor"}));
    EXPECT_EQ(apps.lastQueryDate(), queue.now());
}

TEST_F(InstalledAppsTest, RefreshesAtMostEveryThirtySeconds) {
    refreshAndScan();
    ASSERT_EQ(catalog.scanned.size(), 3u);
    struct Step {
        std::chrono::nanoseconds wait;
        bool scans;
    };
    const Step steps[] = {
        {seconds(10), false},    {seconds(19) + milliseconds(999), false},
        {milliseconds(1), true}, // 30 s after the last scan
        {seconds(29), false},    {seconds(31), true},
    };
    for (const auto& step : steps) {
        queue.advance(step.wait);
        const auto before = catalog.scanned.size();
        refreshAndScan();
        EXPECT_EQ(catalog.scanned.size() > before, step.scans);
    }
}

TEST_F(InstalledAppsTest, TwoRefreshesBeforeTheScanBothScan) {
    apps.refresh();
    apps.refresh();
    queue.runUntilIdle();
    EXPECT_EQ(catalog.scanned.size(), 6u);
    EXPECT_EQ(apps.sorted().size(), 2u);
}

TEST_F(InstalledAppsTest, MostImportantFolderIsScannedLastAndWins) {
    catalog.folders = {home, local, system, home + "/", local};
    catalog.contents[home] = {entry("My Editor", "org.gnome.gedit", home)};
    catalog.contents[local] = {entry("Local Editor", "org.gnome.gedit", local),
                               entry("Tool", "org.example.Tool", local)};
    refreshAndScan();
    EXPECT_EQ(catalog.scanned, (std::vector<std::string>{system, local, home}));
    ASSERT_EQ(apps.all().count("org.gnome.gedit"), 1u);
    EXPECT_EQ(apps.all().at("org.gnome.gedit"), entry("My Editor", "org.gnome.gedit", home).app);
    EXPECT_EQ(names(), (std::vector<std::string>{"Files", "My Editor", "Tool"}));
}

TEST_F(InstalledAppsTest, ScanOrderNormalisesAndDropsRepeatsAndEmptyFolders) {
    EXPECT_EQ(InstalledApps::scanOrder({"/a/", "", "/b//c/../d", "/a", "/b/d"}),
              (std::vector<std::string>{"/b/d", "/a"}));
    EXPECT_TRUE(InstalledApps::scanOrder({}).empty());
}

TEST_F(InstalledAppsTest, HiddenAndNoDisplayEntriesOfTheWinningFolderRemoveTheApplication) {
    struct Row {
        const char* name;
        bool homeHidden, homeNoDisplay, systemHidden;
        bool listed;
    };
    const Row rows[] = {
        {"user hides the system entry", true, false, false, false},
        {"user marks it not to be displayed", false, true, false, false},
        {"system entry hidden, user copy visible", false, false, true, true},
        {"both visible", false, false, false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto user = entry("Editor", "org.gnome.gedit", home);
        user.hidden = row.homeHidden;
        user.noDisplay = row.homeNoDisplay;
        auto sys = entry("Text Editor", "org.gnome.gedit", system);
        sys.hidden = row.systemHidden;
        catalog.contents[home] = {user};
        catalog.contents[system] = {sys, entry("Files", "org.gnome.Nautilus", system)};
        queue.advance(seconds(30));
        refreshAndScan();
        EXPECT_EQ(apps.all().count("org.gnome.gedit"), row.listed ? 1u : 0u);
        EXPECT_EQ(apps.sorted().size(), row.listed ? 2u : 1u);
    }
}

TEST_F(InstalledAppsTest, EntriesWithoutIdentifierAreSkippedAndFailedFoldersIgnored) {
    catalog.contents[local] = {entry("Nameless", "", local)};
    catalog.folders.push_back("/unreadable");
    refreshAndScan();
    EXPECT_EQ(apps.all().count(""), 0u);
    EXPECT_EQ(apps.sorted().size(), 2u);
}

TEST_F(InstalledAppsTest, SortedByLowerCasedName) {
    catalog.contents[system] = {
        entry("Kate", "org.kde.kate", system),
        entry("inkscape", "org.inkscape", system),
        entry("Hexchat", "io.hexchat", system),
        entry("Étoile", "org.example.etoile", system),
        entry("écho", "org.example.echo", system),
        entry("eog", "org.gnome.eog", system),
        entry("Zed", "dev.zed", system),
        entry("Ärger", "org.example.aerger", system),
        entry("Émile", "org.example.emile", system),
        entry("apt", "org.example.apt", system),
    };
    refreshAndScan();
    // Letters beyond ASCII are lowered too ("É" sorts as "é"), then compared byte by byte.
    EXPECT_EQ(names(), (std::vector<std::string>{"apt", "eog", "Hexchat", "inkscape", "Kate", "Zed",
                                                 "Ärger", "écho", "Émile", "Étoile"}));
}

TEST_F(InstalledAppsTest, SortIsStableForEqualNames) {
    catalog.contents[system] = {entry("Editor", "b.editor", system),
                                entry("editor", "a.editor", system)};
    refreshAndScan();
    ASSERT_EQ(apps.sorted().size(), 2u);
    EXPECT_EQ(apps.sorted()[0].bundleId, "a.editor");
    EXPECT_EQ(apps.sorted()[1].bundleId, "b.editor");
}

TEST_F(InstalledAppsTest, BundleSuffixIsRemovedFromNames) {
    catalog.contents[system] = {entry("Viewer.desktop.desktop", "org.example.viewer", system),
                                entry("Notes.app", "org.example.notes", system)};
    refreshAndScan();
    EXPECT_EQ(names(), (std::vector<std::string>{"Notes.app", "Viewer"}));
}

TEST(InstalledAppsMacTest, BuiltInRecordsBelongToTheMacProfile) {
    FakeApplicationCatalog catalog;
    FakeMainQueue queue;
    MacPlatformProfile mac;
    FakeSystemInfo systemInfo;
    const std::string apps = "/Applications";
    catalog.folders = {apps};
    catalog.contents[apps] = {
        {{"Mail.app.app", "com.apple.mail", apps + "/Mail.app"}, false, false},
        {{"Notes.desktop", "com.apple.Notes", apps + "/Notes.app"}, false, false},
    };
    struct Row {
        int major;
        std::vector<std::string> names;
    };
    const Row rows[] = {
        {13, {"Finder", "Mail", "Notes.desktop", "Safari"}},
        {12, {"Finder", "Mail", "Notes.desktop"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.major);
        systemInfo.major = row.major;
        InstalledApps list(catalog, queue, mac, systemInfo);
        list.refresh();
        queue.runUntilIdle();
        std::vector<std::string> names;
        for (const auto& app : list.sorted())
            names.push_back(app.name);
        EXPECT_EQ(names, row.names);
        EXPECT_EQ(list.all().at("com.apple.finder").path,
                  "/System/Library/CoreServices/Finder.app");
    }

    catalog.contents[apps].push_back(
        {{"Safari", "com.apple.Safari", apps + "/Safari.app"}, false, false});
    systemInfo.major = 14;
    InstalledApps list(catalog, queue, mac, systemInfo);
    list.refresh();
    queue.runUntilIdle();
    EXPECT_EQ(list.all().at("com.apple.Safari").path, apps + "/Safari.app") << "a found copy wins";
}

TEST(InstalledAppsLifetimeTest, ScanPostedByAListThatIsGoneNeverRuns) {
    FakeApplicationCatalog catalog;
    catalog.folders = {"/usr/share/applications"};
    FakeMainQueue queue;
    FreedesktopTestProfile profile;
    FakeSystemInfo systemInfo;
    {
        InstalledApps list(catalog, queue, profile, systemInfo);
        list.refresh();
    }
    queue.runUntilIdle();
    EXPECT_TRUE(catalog.scanned.empty());
}

} // namespace
} // namespace zentrivo::test
