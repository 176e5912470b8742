#include "app/shell/LaunchSequence.h"

#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeMainQueue.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

class RecordingSteps final : public LaunchSteps {
public:
    void checkVersion() override { calls.push_back("checkVersion"); }
    void applyLaunchOnLogin(bool on) override { calls.push_back(on ? "login on" : "login off"); }
    void terminateLauncherIfRunning() override { calls.push_back("terminateLauncherIfRunning"); }
    void showStatusItem() override { calls.push_back("showStatusItem"); }
    void startGestureCoordinator() override { calls.push_back("startGestureCoordinator"); }
    void loadBookmarks(const std::vector<int>& ids) override {
        calls.push_back("loadBookmarks");
        for (int id : ids)
            calls.back() += " " + std::to_string(id);
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
                      "loadBookmarks 0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20",
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

} // namespace
} // namespace zentrivo
