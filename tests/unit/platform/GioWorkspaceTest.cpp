// The GIO workspace and desktop-entry catalog over a private set of XDG folders. GIO reads the
// XDG variables once per process, so main() lays out the folders and sets the variables before
// the first GIO call; each test case runs in its own process (see run-under-xvfb.sh).
#include "platform/linux/GioWorkspace.h"

#include "app/apps/FrontmostAppDetection.h"
#include "app/apps/InstalledApps.h"
#include "app/core/NotificationCenter.h"
#include "app/model/ReticleSpecModel.h"
#include "app/reticle/ReticleManager.h"
#include "app/settings/Defaults.h"
#include "platform/linux/DesktopEntryCatalog.h"
#include "tests/fakes/FakeArrowKeys.h"
#include "tests/fakes/FakeCursorLocation.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeHaptics.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeReticleView.h"
#include "tests/fakes/FakeReticleWindow.h"
#include "tests/fakes/FakeSystemInfo.h"
#include "tests/fakes/FreedesktopTestProfile.h"
#include "tests/fakes/RecordingLog.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <poll.h>
#include <stdexcept>
#include <sys/inotify.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace zentrivo::platform {
namespace {

using namespace std::chrono_literals;

/// The private XDG folders of this process, made by main().
struct Layout {
    fs::path root, dataHome, dataDir, configHome, markers;
    fs::path userApps() const { return dataHome / "applications"; }
    fs::path systemApps() const { return dataDir / "applications"; }
};
Layout layout;

void writeFile(const fs::path& file, const std::string& content) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << content;
}

std::string readFile(const fs::path& file) {
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string entry(const std::string& name, const std::string& exec, const std::string& extra = "") {
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n" + extra;
}

/// An Exec line that appends "ran" to the marker `name` (tests only: the product never uses a
/// shell).
std::string marking(const std::string& name) {
    return "sh -c \"echo ran >> " + (layout.markers / name).string() + "\"";
}

void makeLayout() {
    char pattern[] = "/tmp/zentrivo-gio-XXXXXX";
    if (!::mkdtemp(pattern)) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    layout.root = pattern;
    layout.dataHome = layout.root / "data-home";
    layout.dataDir = layout.root / "data-dir";
    layout.configHome = layout.root / "config-home";
    layout.markers = layout.root / "markers";
    fs::create_directories(layout.markers);
    fs::create_directories(layout.configHome);

    const fs::path system = layout.systemApps();
    const fs::path user = layout.userApps();
    writeFile(system / "zentrivo-test-app.desktop", entry("Test App", marking("app")));
    // A start that fails only when tried: its working folder does not exist. (A program that
    // exists but cannot run is no such case: GIO starts it through gio-launch-desktop, whose own
    // start succeeds.)
    writeFile(system / "zentrivo-test-badpath.desktop",
              entry("Bad Path", marking("badpath"), "Path=/nonexistent/zentrivo-folder\n"));
    // Entries GIO refuses to load: they are not installed applications.
    writeFile(system / "zentrivo-test-missing.desktop",
              entry("Missing", "/nonexistent/zentrivo-missing-program"));
    writeFile(system / "zentrivo-test-unparsable.desktop", entry("Unparsable", "sh \"unbalanced"));
    writeFile(system / "zentrivo-test-hidden.desktop",
              entry("Hidden", marking("hidden"), "Hidden=true\n"));
    writeFile(system / "zentrivo-test-nodisplay.desktop",
              entry("No Display", marking("nodisplay"), "NoDisplay=true\n"));
    writeFile(system / "zentrivo-test-elsewhere.desktop",
              entry("Elsewhere", marking("elsewhere"), "OnlyShowIn=NoSuchDesktop;\n"));
    writeFile(system / "zentrivo-test-notHere.desktop",
              entry("Not Here", marking("nothere"), "NotShowIn=ZentrivoTest;\n"));
    writeFile(system / "zentrivo-test-missing-tryexec.desktop",
              entry("Missing", marking("tryexec"), "TryExec=/nonexistent/zentrivo-try\n"));
    writeFile(system / "zentrivo-test-link.desktop",
              "[Desktop Entry]\nType=Link\nName=A Link\nURL=file:///tmp\n");
    writeFile(system / "vendor" / "tool.desktop", entry("Vendor Tool", marking("vendor")));
    writeFile(system / "not-an-entry.txt", "plain text\n");
    writeFile(system / "zentrivo-test-overridden.desktop",
              entry("System Copy", marking("system-copy")));
    writeFile(user / "zentrivo-test-overridden.desktop", entry("User Copy", marking("user-copy")));
    writeFile(system / "zentrivo-test-deleted.desktop", entry("Deleted", marking("deleted")));
    writeFile(user / "zentrivo-test-deleted.desktop",
              entry("Deleted", marking("deleted"), "Hidden=true\n"));
    // Hidden without being a loadable entry: GIO ignores the file, so the system's copy stays.
    writeFile(system / "zentrivo-test-kept.desktop", entry("Kept", marking("kept")));
    writeFile(user / "zentrivo-test-kept.desktop", "[Desktop Entry]\nHidden=true\n");
    // The default handler of folders; %f is the opened path, written to the marker.
    writeFile(system / "zentrivo-test-opener.desktop",
              entry("Opener",
                    "sh -c \"echo \\\\$1 >> " + (layout.markers / "opened").string() + "\" sh %f",
                    "MimeType=inode/directory;\n"));
    writeFile(layout.configHome / "mimeapps.list",
              "[Default Applications]\ninode/directory=zentrivo-test-opener.desktop\n");

    ::setenv("HOME", layout.root.c_str(), 1);
    ::setenv("XDG_DATA_HOME", layout.dataHome.c_str(), 1);
    ::setenv("XDG_DATA_DIRS", layout.dataDir.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", layout.configHome.c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", (layout.root / "config-dirs").c_str(), 1);
    ::setenv("XDG_CURRENT_DESKTOP", "ZentrivoTest", 1);
    ::unsetenv("DESKTOP_STARTUP_ID");
}

/// Waits until the marker `name` holds `lines` lines, watching its folder with inotify; false
/// after `timeout`.
bool waitForMarker(const std::string& name, std::size_t lines = 1,
                   std::chrono::milliseconds timeout = 10s) {
    const fs::path file = layout.markers / name;
    const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (watch < 0) {
        return false;
    }
    inotify_add_watch(watch, layout.markers.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool found = false;
    for (;;) {
        const std::string content = readFile(file);
        if (static_cast<std::size_t>(std::count(content.begin(), content.end(), '\n')) >= lines) {
            found = true;
            break;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left <= 0ms) {
            break;
        }
        pollfd fd{watch, POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left.count())) > 0) {
            char buffer[4096];
            while (read(watch, buffer, sizeof buffer) > 0) {
            }
        }
    }
    close(watch);
    return found;
}

class GioWorkspaceTest : public ::testing::Test {
protected:
    /// Opens the entry of `id` and runs the main queue; the completion's argument.
    std::optional<std::string> launch(const std::string& path) {
        bool called = false;
        std::optional<std::string> outcome;
        workspace.openApplication(path, [&](std::optional<std::string> error) {
            called = true;
            outcome = std::move(error);
        });
        EXPECT_FALSE(called) << "the completion ran inside openApplication";
        queue.runUntilIdle();
        EXPECT_TRUE(called);
        return outcome;
    }

    test::FakeMainQueue queue;
    GioWorkspace workspace{queue};
};

TEST_F(GioWorkspaceTest, applicationPathFollowsTheDesktopFileIdPrecedence) {
    const struct {
        const char* id;
        std::optional<fs::path> path;
    } table[] = {
        {"zentrivo-test-app", layout.systemApps() / "zentrivo-test-app.desktop"},
        {"zentrivo-test-overridden", layout.userApps() / "zentrivo-test-overridden.desktop"},
        {"zentrivo-test-nodisplay", layout.systemApps() / "zentrivo-test-nodisplay.desktop"},
        {"vendor-tool", layout.systemApps() / "vendor" / "tool.desktop"},
        {"zentrivo-test-kept", layout.systemApps() / "zentrivo-test-kept.desktop"},
        {"zentrivo-test-deleted", std::nullopt},
        {"zentrivo-test-hidden", std::nullopt},
        {"zentrivo-test-missing", std::nullopt},
        {"zentrivo-test-unparsable", std::nullopt},
        {"zentrivo-test-link", std::nullopt},
        {"zentrivo-no-such-app", std::nullopt},
        {"", std::nullopt},
        {"vendor/tool", std::nullopt},
        {"../applications/zentrivo-test-app", std::nullopt},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.id);
        const std::optional<std::string> path = workspace.applicationPath(row.id);
        ASSERT_EQ(path.has_value(), row.path.has_value());
        if (path) {
            EXPECT_EQ(fs::path(*path), *row.path);
        }
    }
    EXPECT_FALSE(workspace.applicationPath(std::string_view("zentrivo-test-app\0x", 19)));
}

TEST_F(GioWorkspaceTest, openApplicationStartsTheEntrysProgram) {
    const std::optional<std::string> path = workspace.applicationPath("zentrivo-test-app");
    ASSERT_TRUE(path);
    EXPECT_EQ(launch(*path), std::nullopt);
    EXPECT_TRUE(waitForMarker("app"));
}

TEST_F(GioWorkspaceTest, aUsersOverrideIsTheOneStarted) {
    const std::optional<std::string> path = workspace.applicationPath("zentrivo-test-overridden");
    ASSERT_TRUE(path);
    EXPECT_EQ(launch(*path), std::nullopt);
    EXPECT_TRUE(waitForMarker("user-copy"));
    EXPECT_FALSE(fs::exists(layout.markers / "system-copy"));
}

TEST_F(GioWorkspaceTest, aFailedStartReportsWhyThroughTheCompletion) {
    const struct {
        const char* what;
        std::string path;
        const char* mentions;
    } table[] = {
        {"missing working folder", (layout.systemApps() / "zentrivo-test-badpath.desktop").string(),
         "zentrivo-folder"},
        {"missing program", (layout.systemApps() / "zentrivo-test-missing.desktop").string(),
         "zentrivo-test-missing.desktop"},
        {"unparsable Exec", (layout.systemApps() / "zentrivo-test-unparsable.desktop").string(),
         "zentrivo-test-unparsable.desktop"},
        {"no such file", (layout.root / "nothing.desktop").string(), "nothing.desktop"},
        {"not an application", (layout.systemApps() / "zentrivo-test-link.desktop").string(),
         "zentrivo-test-link.desktop"},
        {"empty path", "", ""},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        const std::optional<std::string> error = launch(row.path);
        ASSERT_TRUE(error);
        EXPECT_FALSE(error->empty());
        EXPECT_NE(error->find(row.mentions), std::string::npos) << *error;
    }
}

TEST_F(GioWorkspaceTest, aCompletionMayBeEmpty) {
    workspace.openApplication((layout.systemApps() / "zentrivo-test-badpath.desktop").string(), {});
    queue.runUntilIdle();
    EXPECT_EQ(queue.pendingCount(), 0u);
}

TEST_F(GioWorkspaceTest, openFileUsesTheDefaultHandler) {
    const fs::path folder = layout.root / "a folder";
    fs::create_directories(folder);
    EXPECT_TRUE(workspace.openFile(folder.string()));
    ASSERT_TRUE(waitForMarker("opened"));
    EXPECT_EQ(readFile(layout.markers / "opened"), folder.string() + "\n");
}

TEST_F(GioWorkspaceTest, openFileStartsADesktopEntryAsItsApplication) {
    EXPECT_TRUE(workspace.openFile((layout.systemApps() / "zentrivo-test-app.desktop").string()));
    EXPECT_TRUE(waitForMarker("app"));
}

TEST_F(GioWorkspaceTest, openFileFailsForWhatCannotBeOpened) {
    EXPECT_FALSE(workspace.openFile((layout.root / "no such file").string()));
    EXPECT_FALSE(workspace.openFile(""));
    EXPECT_FALSE(
        workspace.openFile((layout.systemApps() / "zentrivo-test-badpath.desktop").string()));
}

/// The whole chain of a refused start: action execution over this workspace logs the line once.
TEST_F(GioWorkspaceTest, aRefusedStartIsLoggedOnceByActionExecution) {
    test::FakeDefaultsDatabase db;
    Defaults defaults{db};
    test::FreedesktopTestProfile profile;
    ReticleSpecModel model{defaults, profile};
    NotificationCenter notifications;
    test::FakeHaptics haptics;
    test::FakeSystemInfo systemInfo;
    test::FakeArrowKeys arrowKeys;
    test::FakeCursorLocation cursor;
    FrontmostAppDetection tracker{workspace, model, profile};
    test::RecordingLog log;
    test::FakeReticleWindow window;
    test::FakeReticleView view;
    view.model = &model;
    ReticleManager manager({defaults, model, queue, notifications, workspace, haptics, systemInfo,
                            arrowKeys, cursor, tracker, log, profile, window, view});

    manager.openApplication("zentrivo-test-badpath");
    queue.runUntilIdle();
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].level, LogLevel::info);
    EXPECT_EQ(log.lines[0].message.rfind("launch app error:\n", 0), 0u) << log.lines[0].message;
    EXPECT_NE(log.lines[0].message.find("zentrivo-folder"), std::string::npos);

    log.lines.clear();
    manager.openApplication("zentrivo-test-app");
    queue.runUntilIdle();
    EXPECT_TRUE(waitForMarker("app"));
    EXPECT_TRUE(log.lines.empty());
}

TEST(DesktopEntryCatalogTest, foldersAreTheUsersFirstThenTheSystems) {
    DesktopEntryCatalog catalog;
    EXPECT_EQ(catalog.applicationFolders(),
              (std::vector<std::string>{layout.userApps().string(), layout.systemApps().string()}));
}

TEST(DesktopEntryCatalogTest, aFolderListsItsApplicationsWithTheirFlags) {
    struct Expected {
        std::string name;
        fs::path path;
        bool hidden, noDisplay;
    };
    const fs::path system = layout.systemApps();
    const std::map<std::string, Expected> expected = {
        {"zentrivo-test-app", {"Test App", system / "zentrivo-test-app.desktop", false, false}},
        {"zentrivo-test-badpath",
         {"Bad Path", system / "zentrivo-test-badpath.desktop", false, false}},
        {"zentrivo-test-hidden", {"Hidden", system / "zentrivo-test-hidden.desktop", true, false}},
        {"zentrivo-test-nodisplay",
         {"No Display", system / "zentrivo-test-nodisplay.desktop", false, true}},
        {"zentrivo-test-elsewhere",
         {"Elsewhere", system / "zentrivo-test-elsewhere.desktop", false, true}},
        {"zentrivo-test-notHere",
         {"Not Here", system / "zentrivo-test-notHere.desktop", false, true}},
        {"vendor-tool", {"Vendor Tool", system / "vendor" / "tool.desktop", false, false}},
        {"zentrivo-test-overridden",
         {"System Copy", system / "zentrivo-test-overridden.desktop", false, false}},
        {"zentrivo-test-deleted",
         {"Deleted", system / "zentrivo-test-deleted.desktop", false, false}},
        {"zentrivo-test-kept", {"Kept", system / "zentrivo-test-kept.desktop", false, false}},
        {"zentrivo-test-opener", {"Opener", system / "zentrivo-test-opener.desktop", false, false}},
        // Left out: the Link entry, the missing TryExec and Exec programs, the unparsable Exec
        // and the text file.
    };

    DesktopEntryCatalog catalog;
    std::map<std::string, CatalogEntry> listed;
    for (const CatalogEntry& entry : catalog.applicationsIn(system.string())) {
        EXPECT_TRUE(listed.emplace(entry.app.bundleId, entry).second) << entry.app.bundleId;
    }
    EXPECT_EQ(listed.size(), expected.size());
    for (const auto& [id, want] : expected) {
        SCOPED_TRACE(id);
        const auto found = listed.find(id);
        ASSERT_NE(found, listed.end());
        EXPECT_EQ(found->second.app.name, want.name);
        EXPECT_EQ(fs::path(found->second.app.path), want.path);
        EXPECT_EQ(found->second.hidden, want.hidden);
        EXPECT_EQ(found->second.noDisplay, want.noDisplay);
    }

    EXPECT_TRUE(catalog.applicationsIn((layout.root / "no such folder").string()).empty());
}

TEST(DesktopEntryCatalogTest, theUsersFolderHoldsOverridesAndDeletions) {
    DesktopEntryCatalog catalog;
    std::map<std::string, CatalogEntry> listed;
    for (const CatalogEntry& entry : catalog.applicationsIn(layout.userApps().string())) {
        listed.emplace(entry.app.bundleId, entry);
    }
    ASSERT_EQ(listed.size(), 2u); // the minimal hidden file of "kept" is no entry
    EXPECT_EQ(listed["zentrivo-test-overridden"].app.name, "User Copy");
    EXPECT_FALSE(listed["zentrivo-test-overridden"].hidden);
    EXPECT_TRUE(listed["zentrivo-test-deleted"].hidden);
}

TEST(DesktopEntryCatalogTest, theInstalledListShowsWhatALauncherMenuWould) {
    DesktopEntryCatalog catalog;
    test::FakeMainQueue queue;
    test::FreedesktopTestProfile profile;
    test::FakeSystemInfo systemInfo;
    InstalledApps installed(catalog, queue, profile, systemInfo);
    installed.refresh();
    queue.runUntilIdle();

    std::map<std::string, InstalledApp> ours;
    for (const InstalledApp& app : installed.sorted()) {
        if (app.bundleId.rfind("zentrivo-test-", 0) == 0 || app.bundleId == "vendor-tool") {
            ours.emplace(app.bundleId, app);
        }
    }
    std::vector<std::string> ids;
    for (const auto& [id, app] : ours) {
        ids.push_back(id);
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"vendor-tool", "zentrivo-test-app",
                                             "zentrivo-test-badpath", "zentrivo-test-kept",
                                             "zentrivo-test-opener", "zentrivo-test-overridden"}));
    ASSERT_TRUE(ours.count("zentrivo-test-overridden"));
    EXPECT_EQ(ours["zentrivo-test-overridden"].name, "User Copy");
    EXPECT_EQ(fs::path(ours["zentrivo-test-overridden"].path),
              layout.userApps() / "zentrivo-test-overridden.desktop");
}

} // namespace
} // namespace zentrivo::platform

int main(int argc, char** argv) {
    zentrivo::platform::makeLayout();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    fs::remove_all(zentrivo::platform::layout.root, ignored);
    return result;
}
