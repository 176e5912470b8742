#include "app/input/AccessibilityAuth.h"

#include "tests/fakes/FakeAccessibilityPorts.h"
#include "tests/fakes/FakeMainQueue.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using namespace std::chrono_literals;

class Permission : public ::testing::Test {
protected:
    bool check(CloseBehavior behavior = CloseBehavior::closable) {
        return auth->check(std::string("Zentrivo"), std::nullopt, "Needed for gestures.", behavior,
                           [this] { ++completions; });
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
    queue.advance(1s);
    EXPECT_EQ(completions, 0);
}

TEST_F(Permission, PollsEveryIntervalAndCompletesOnceWhenGranted) {
    EXPECT_FALSE(check());
    ASSERT_EQ(windows.windows.size(), 1u);
    const auto& window = *windows.windows[0];
    EXPECT_TRUE(window.visible());
    EXPECT_EQ(window.content.appName, "Zentrivo");
    EXPECT_EQ(window.content.message, "Needed for gestures.");
    EXPECT_TRUE(auth->hasWindow());

    const int checksBefore = access.checks;
    queue.advance(299ms);
    EXPECT_EQ(access.checks, checksBefore);
    queue.advance(1ms);
    EXPECT_EQ(access.checks, checksBefore + 1);
    queue.advance(600ms);
    EXPECT_EQ(access.checks, checksBefore + 3);

    access.trusted = true;
    queue.advance(299ms);
    EXPECT_EQ(completions, 0);
    queue.advance(1ms);
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(auth->hasWindow());
    EXPECT_TRUE(window.destroyed);
    EXPECT_EQ(queue.pendingCount(), 0u);
    queue.advance(3s);
    EXPECT_EQ(completions, 1);
}

TEST_F(Permission, SecondCheckReusesTheWindowAndTheFirstCompletion) {
    EXPECT_FALSE(check());
    int secondCompletions = 0;
    EXPECT_FALSE(auth->check(std::nullopt, std::nullopt, "other", CloseBehavior::notClosable,
                             [&] { ++secondCompletions; }));
    ASSERT_EQ(windows.windows.size(), 1u);
    EXPECT_EQ(windows.windows[0]->presents, 2);
    EXPECT_EQ(queue.pendingCount(), 1u); // no second polling loop
    access.trusted = true;
    queue.advance(300ms);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(secondCompletions, 0);
}

TEST_F(Permission, ClosedWindowKeepsPollingAndCanBeShownAgain) {
    EXPECT_FALSE(check());
    auto& window = *windows.windows[0];
    window.closes = 1; // the user closed it
    queue.advance(1500ms);
    EXPECT_TRUE(auth->hasWindow());
    EXPECT_FALSE(check());
    EXPECT_TRUE(window.visible());
    access.trusted = true;
    queue.advance(300ms);
    EXPECT_EQ(completions, 1);
}

TEST_F(Permission, CompletionMayDestroyTheChecker) {
    EXPECT_FALSE(auth->check(std::nullopt, std::nullopt, "m", CloseBehavior::closable, [this] {
        auth.reset();
        ++completions;
    }));
    access.trusted = true;
    queue.advance(300ms);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(auth, nullptr);
}

TEST_F(Permission, DestroyingTheCheckerEndsPollingAndClosesThePrompt) {
    EXPECT_FALSE(check());
    const auto window = windows.windows[0];
    auth.reset();
    EXPECT_TRUE(window->destroyed);
    EXPECT_EQ(queue.pendingCount(), 0u);
    access.trusted = true;
    queue.advance(1s);
    EXPECT_EQ(completions, 0);
}

TEST_F(Permission, CloseBehaviourReachesTheWindowAndQuitExitsWithZero) {
    const CloseBehavior behaviors[] = {CloseBehavior::notClosable, CloseBehavior::closable,
                                       CloseBehavior::closeWillQuit};
    for (const auto behavior : behaviors) {
        SCOPED_TRACE(static_cast<int>(behavior));
        auth = std::make_unique<AccessibilityAuth>(access, windows, queue, process);
        check(behavior);
        EXPECT_EQ(windows.windows.back()->content.closeBehavior, behavior);
    }
    EXPECT_TRUE(process.statuses.empty());
    windows.windows.back()->quit();
    EXPECT_EQ(process.statuses, (std::vector<int>{0}));
}

} // namespace
} // namespace zentrivo
