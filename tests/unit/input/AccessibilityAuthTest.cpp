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
    bool check(CloseBehavior behavior = CloseBehavior::closable, int weight = 1) {
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

TEST_F(Permission, AlreadyTrustedAnswersTrueAndDoesNothingElse) {
    access.trusted = true;
    EXPECT_TRUE(check());
    EXPECT_TRUE(windows.windows.empty());
    EXPECT_EQ(queue.pendingCount(), 0u);
}

TEST_F(Permission, PollsUntilGrantedAndCompletesTheFirstCheckOnce) {
    EXPECT_FALSE(check());
    ASSERT_EQ(windows.windows.size(), 1u);
    auto& window = windows.windows[0];
    window.shown = false; // the user closed it; polling goes on
    queue.advance(900ms);
    EXPECT_FALSE(check(CloseBehavior::notClosable, 10)); // its completion is not kept
    EXPECT_EQ(windows.windows.size(), 1u);               // the same window, shown again
    EXPECT_TRUE(window.shown);
    EXPECT_EQ(queue.pendingCount(), 1u); // one polling loop
    access.trusted = true;
    queue.advance(299ms); // the next poll is due 300 ms after the last
    EXPECT_TRUE(auth->hasWindow());
    queue.advance(1ms);
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(window.destroyed);
    EXPECT_EQ(queue.pendingCount(), 0u); // polling ended
}

TEST_F(Permission, CompletionMayDestroyTheChecker) {
    EXPECT_FALSE(auth->check(std::nullopt, std::nullopt, "m", CloseBehavior::closable, [this] {
        auth.reset();
        ++completions;
    }));
    access.trusted = true;
    queue.advance(300ms);
    EXPECT_EQ(completions, 1);
}

TEST_F(Permission, CloseBehaviourAndQuitReachTheWindowAndDestructionEndsThePromptAndItsPolling) {
    for (const auto behavior :
         {CloseBehavior::notClosable, CloseBehavior::closable, CloseBehavior::closeWillQuit}) {
        auth = std::make_unique<AccessibilityAuth>(access, windows, queue, process);
        check(behavior);
        EXPECT_EQ(windows.windows.back().content.closeBehavior, behavior);
    }
    EXPECT_TRUE(windows.windows[0].destroyed);
    access.trusted = true;
    queue.advance(300ms);
    EXPECT_EQ(completions, 1); // only the last checker was still polling
    EXPECT_TRUE(process.statuses.empty());
    windows.windows.back().quit();
    EXPECT_EQ(process.statuses, std::vector{0});
}

} // namespace
} // namespace zentrivo
