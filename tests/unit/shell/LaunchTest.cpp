// The launch steps, the first-run check among them, and the status menu they build.
#include "app/shell/LaunchSequence.h"
#include "app/shell/StatusMenuEntries.h"
#include "app/shell/VersionCheck.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeWorkspace.h"
#include "tests/fakes/RecordingLog.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

TEST(VersionCheckTest, OnlyAStoredBuildNumberSparesTheFirstRunSettings) {
    // The stored lastVersion, the running build (none: missing), and whether it is a first run.
    const std::tuple<const char*, std::optional<std::string>, bool> cases[] = {
        {nullptr, "41", true},       {"", "41", true},    {"+-3", "41", true},
        {"12a", "41", true},         {"-", "41", true},   {"9223372036854775808", "41", true},
        {"+28", "41", false},        {"-3", "41", false}, {"-9223372036854775808", "41", false},
        {"12", std::nullopt, false}, // a build that cannot tell its number leaves none behind
    };
    for (const auto& [lastVersion, running, firstRun] : cases) {
        SCOPED_TRACE(lastVersion ? lastVersion : "missing");
        test::FakeDefaultsDatabase db;
        if (lastVersion)
            db.values["lastVersion"] = std::string(lastVersion);
        // A user who once chose Control+Shift keeps that choice across upgrades.
        db.values["reticleFlags"] = std::int64_t{0x60000};
        Defaults defaults(db);
        test::RecordingLog log;
        EXPECT_EQ(VersionCheck(defaults, log).checkVersion(running), firstRun);
        decltype(db.values) stored{{"reticleFlags", std::int64_t{firstRun ? 0x180000 : 0x60000}}};
        if (firstRun)
            stored["reticleDisplayMinDist"] = 5.0f;
        if (running)
            stored["lastVersion"] = *running;
        EXPECT_EQ(db.values, stored);
        EXPECT_EQ(log.lines.size(), firstRun ? 1u : 0u);
    }
}

class RecordingSteps final : public LaunchSteps {
public:
    void checkVersion() override { calls.push_back("checkVersion"); }
    void applyLaunchOnLogin(bool on) override { calls.push_back(on ? "login on" : "login off"); }
    void terminateLauncherIfRunning() override { calls.push_back("terminateLauncherIfRunning"); }
    void showStatusItem() override { calls.push_back("showStatusItem"); }
    void startGestureCoordinator() override { calls.push_back("startGestureCoordinator"); }
    void loadBookmarks(const std::vector<int>& ids) override {
        calls.push_back("loadBookmarks " + testing::PrintToString(ids));
    }
    void rebuildStatusMenuEntries() override { calls.push_back("rebuildStatusMenuEntries"); }
    void updateWakeObserver() override { calls.push_back("updateWakeObserver"); }
    std::vector<std::string> calls;
};

TEST(LaunchSequenceTest, StepsRunInOrderAndTheMenuFollowsPanelsAndGestures) {
    for (const bool launchOnLogin : {true, false}) {
        SCOPED_TRACE(launchOnLogin);
        test::FakeDefaultsDatabase db;
        db.values["launchOnLogin"] = launchOnLogin;
        Defaults defaults(db);
        NotificationCenter notifications;
        test::FakeMainQueue queue;
        RecordingSteps steps;
        applicationDidFinishLaunching(steps, defaults, notifications, queue);
        EXPECT_EQ(steps.calls,
                  (std::vector<std::string>{
                      "checkVersion", launchOnLogin ? "login on" : "login off",
                      "terminateLauncherIfRunning", "showStatusItem", "startGestureCoordinator",
                      "loadBookmarks { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, "
                      "17, 18, 19, 20 }",
                      "updateWakeObserver"}));

        // The menu's slot entries come 100 ms after launch, then with every panel change; the
        // wake observer follows every gesture choice. Other notifications change nothing.
        steps.calls.clear();
        queue.advance(std::chrono::milliseconds(99));
        EXPECT_TRUE(steps.calls.empty());
        queue.advance(std::chrono::milliseconds(1));
        notifications.post("appsUpdated");
        notifications.post("gestureSelected");
        notifications.post("backgroundUpdated");
        queue.advance(std::chrono::seconds(10));
        EXPECT_EQ(steps.calls,
                  (std::vector<std::string>{"rebuildStatusMenuEntries", "rebuildStatusMenuEntries",
                                            "updateWakeObserver"}));
    }
}

Action app(const char* id) {
    return Action{id, ActionType::app};
}
Action file(const char* path) {
    return Action{path, ActionType::file};
}

TEST(StatusMenuEntriesTest, RingSlotsInOrderUnderOneSeparatorPerPanel) {
    test::FakeWorkspace workspace;
    // The names the entries give; one keeps its file extension, one gives none.
    for (const auto& [id, name] :
         std::map<std::string, std::string>{{"org.gnome.Nautilus", "Files"},
                                            {"org.gnome.Terminal", "Terminal"},
                                            {"odd", "Odd.desktop"},
                                            {"nameless", ""}}) {
        workspace.installed[id] = "/apps/" + id + ".desktop";
        workspace.names[id] = name;
    }
    // One app no longer installed; the centre is never listed.
    const ReticleSpec near{.tl = file("/home/u/Notes.txt"),
                           .t = Action::lastApp(),
                           .tr = app("gone.App"),
                           .l = Action{"org.gnome.Terminal", ActionType::runningApp},
                           .r = file("/home/u/Projects/"),
                           .bl = app("nameless"),
                           .b = app("odd"),
                           .br = app("org.gnome.Nautilus"),
                           .c = app("org.gnome.Terminal")};
    const ReticleSpec far{.id = 1, .bl = app("org.gnome.Terminal")};

    const auto entry = [](const char* title, const char* icon, Action action) {
        return StatusMenuEntry{"", title, icon, std::move(action)};
    };
    const std::vector<StatusMenuEntry> expected = {
        {"mainSpecSeparator", "", "", std::nullopt},
        entry("Notes.txt", "/home/u/Notes.txt", file("/home/u/Notes.txt")),
        entry("Projects", "/home/u/Projects/", file("/home/u/Projects/")),
        entry("nameless", "/apps/nameless.desktop", app("nameless")),
        entry("Odd", "/apps/odd.desktop", app("odd")),
        entry("Files", "/apps/org.gnome.Nautilus.desktop", app("org.gnome.Nautilus")),
        {"farSpecSeparator", "", "", std::nullopt},
        entry("Terminal", "/apps/org.gnome.Terminal.desktop", app("org.gnome.Terminal")),
    };
    EXPECT_EQ(statusMenuEntries(near, far, workspace), expected);

    // A panel with nothing to list (only last-app, running-app, centre or missing apps) gets
    // no separator; the other panel is still listed.
    const ReticleSpec nothing{.t = Action::lastApp(),
                              .r = Action{"org.gnome.Terminal", ActionType::runningApp},
                              .b = app("gone.App"),
                              .c = app("org.gnome.Nautilus")};
    EXPECT_EQ(statusMenuEntries(nothing, far, workspace),
              std::vector<StatusMenuEntry>(expected.end() - 2, expected.end()));
    EXPECT_EQ(statusMenuEntries(near, nothing, workspace),
              std::vector<StatusMenuEntry>(expected.begin(), expected.end() - 2));
}

TEST(StatusMenuEntriesTest, AFileIsTitledByItsLastPathComponent) {
    const std::pair<const char*, const char*> cases[] = {
        {"/home/u/dir/", "dir"}, {"/home/u//dir//", "dir"}, {"/", "/"}, {"name", "name"}, {"", ""},
    };
    for (const auto& [path, title] : cases) {
        SCOPED_TRACE(path);
        EXPECT_EQ(lastPathComponent(path), title);
    }
}

} // namespace
} // namespace zentrivo
