#include "app/input/AccessibilityAuth.h"

#include "tests/fakes/FakeAccessibilityPorts.h"
#include "tests/fakes/FakeMainQueue.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using namespace std::chrono_literals;

class Permission : public ::testing::Test {
protected:
    /// A check whose completion adds `weight` to `completions`.
    bool check(CloseBehavior behavior, int weight = 1) {
        return auth->check("Zentrivo", std::nullopt, "Needed.", behavior,
                           [this, weight] { completions += weight; });
    }

    test::FakeInputAccess access;
    test::FakeAccessibilityWindowFactory windows;
    test::FakeMainQueue queue;
    test::FakeProcessExit process;
    std::unique_ptr<AccessibilityAuth> auth =
        std::make_unique<AccessibilityAuth>(access, windows, queue, process);
    int completions = 0;
};

TEST_F(Permission, PollsEvery300msUntilGrantedThenClosesThePromptAndCompletesOnce) {
    access.trusted = true;
    EXPECT_TRUE(check(CloseBehavior::closable)); // and nothing else happens
    EXPECT_EQ(std::pair(windows.windows.size(), queue.pendingCount()), std::pair(0ul, 0ul));

    access.trusted = false;
    EXPECT_FALSE(check(CloseBehavior::closable));
    ASSERT_EQ(windows.windows.size(), 1u);
    auto& window = windows.windows[0];
    EXPECT_EQ(window.content.message, "Needed.");
    window.shown = false; // the user closed it; polling goes on
    queue.advance(900ms);
    EXPECT_FALSE(check(CloseBehavior::notClosable, 10)); // its completion is not kept
    EXPECT_EQ(windows.windows.size(), 1u);               // the same window, shown again
    EXPECT_TRUE(window.shown);
    EXPECT_EQ(queue.pendingCount(), 1u); // one polling loop
    access.trusted = true;
    queue.advance(299ms); // the next poll is due 0.3 s after the last
    EXPECT_EQ(std::pair(completions, window.destroyed), std::pair(0, false));
    queue.advance(1ms);
    EXPECT_EQ(std::pair(completions, window.destroyed), std::pair(1, true));
    EXPECT_EQ(queue.pendingCount(), 0u); // polling ended
}

TEST_F(Permission, CloseBehaviourAndQuitReachTheWindowAndAReplacedCheckerStopsPolling) {
    for (const auto behavior :
         {CloseBehavior::notClosable, CloseBehavior::closable, CloseBehavior::closeWillQuit}) {
        auth = std::make_unique<AccessibilityAuth>(access, windows, queue, process);
        auth->check(std::nullopt, std::nullopt, "m", behavior, [this] {
            auth.reset(); // the completion may destroy the checker
            ++completions;
        });
        EXPECT_EQ(windows.windows.back().content.closeBehavior, behavior);
    }
    EXPECT_TRUE(windows.windows[0].destroyed && windows.windows[1].destroyed);
    EXPECT_TRUE(process.statuses.empty());
    windows.windows.back().quit();
    EXPECT_EQ(process.statuses, std::vector{0});
    access.trusted = true;
    queue.advance(300ms);
    EXPECT_EQ(completions, 1); // only the last checker was still polling
}

} // namespace
} // namespace zentrivo
