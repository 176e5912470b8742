#include "app/apps/FrontmostAppDetection.h"
#include "app/model/ReticleSpecModel.h"
#include "app/reticle/ui/QtReticleView.h"
#include "app/reticle/ui/QtReticleWindow.h"
#include "app/reticle/ui/SlotIcons.h"
#include "app/settings/Defaults.h"
#include "tests/fakes/FakeArrowKeys.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeReticleViewDelegate.h"
#include "tests/fakes/FakeWorkspace.h"
#include "tests/fakes/FreedesktopTestProfile.h"

#include <QCursor>
#include <QWidget>
#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using namespace std::chrono_literals;

/// A window on a fixed 1280×800 primary screen at the X origin, over fakes.
class ReticleWindowTest : public ::testing::Test {
protected:
    QtReticleWindow& makeWindow(platform::PrimaryScreen screen = {0, 0, 1280, 800}) {
        window = std::make_unique<QtReticleWindow>(QtReticleWindow::Collaborators{
            defaults, queue, arrowKeys, view, [screen] { return screen; }});
        window->setCloseCompletion([this] { ++completions; });
        view.setDelegate(&delegate);
        return *window;
    }

    test::FakeDefaultsDatabase db;
    Defaults defaults{db};
    test::FreedesktopTestProfile profile;
    ReticleSpecModel model{defaults, profile};
    NotificationCenter notifications;
    test::FakeMainQueue queue;
    test::FakeWorkspace workspace;
    FrontmostAppDetection frontmost{workspace, model, profile};
    test::FakeArrowKeys arrowKeys;
    SlotIcons icons{workspace};
    QtReticleView view{QtReticleView::Collaborators{defaults, model, notifications, queue,
                                                    workspace, frontmost, arrowKeys, icons}};
    test::FakeReticleViewDelegate delegate;
    std::unique_ptr<QtReticleWindow> window;
    int completions = 0;
};

TEST_F(ReticleWindowTest, FrameOriginConvertsBetweenYUpAndX11Coordinates) {
    const double side = QtReticleView::panelSize;
    const struct {
        platform::PrimaryScreen screen;
        Point origin;
        QPoint x11TopLeft;
    } cases[] = {
        {{0, 0, 1280, 800}, {100, 200}, {100, int(800 - 200 - side)}},
        {{0, 0, 1280, 800}, {0, 0}, {0, int(800 - side)}},
        // A primary screen right of and below another one.
        {{1920, 100, 1280, 1024}, {10, 20}, {1930, int(100 + 1024 - 20 - side)}},
        {{0, 0, 1280, 800}, {-50, 900}, {-50, int(800 - 900 - side)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.origin.x << "," << c.origin.y);
        auto& w = makeWindow(c.screen);
        w.setFrameOrigin(c.origin);
        EXPECT_EQ(w.widget().pos(), c.x11TopLeft);
        EXPECT_EQ(w.frame(), (Rect{c.origin, {side, side}}));
    }
}

TEST_F(ReticleWindowTest, FadingCloseEndsAfterTwoHundredNinetyMilliseconds) {
    auto& w = makeWindow();
    w.showWindow();
    ASSERT_TRUE(w.widget().isVisible());

    w.close();
    EXPECT_TRUE(w.widget().isVisible());
    EXPECT_TRUE(w.isFading());
    queue.advance(289ms);
    EXPECT_EQ(completions, 0);
    EXPECT_TRUE(w.widget().isVisible());
    queue.advance(1ms);
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(w.widget().isVisible());
    EXPECT_DOUBLE_EQ(w.widget().windowOpacity(), 1.0) << "shown at full opacity next time";
}

TEST_F(ReticleWindowTest, QuickReshowCancelsThePendingClose) {
    auto& w = makeWindow();
    w.showWindow();
    w.close();
    queue.advance(100ms);
    w.showWindow();
    queue.advance(1s);
    EXPECT_EQ(completions, 0);
    EXPECT_TRUE(w.widget().isVisible());
    EXPECT_DOUBLE_EQ(w.widget().windowOpacity(), 1.0);
    EXPECT_FALSE(w.isFading());
}

TEST_F(ReticleWindowTest, FadeSwitchedOffDuringAFadeStillCancelsThePendingClose) {
    auto& w = makeWindow();
    w.showWindow();
    w.close();
    defaults.reticleFade.set(OptionalBool::userDisabled);
    w.showWindow();
    queue.advance(1s);
    EXPECT_EQ(completions, 0);
    EXPECT_TRUE(w.widget().isVisible());
}

TEST_F(ReticleWindowTest, WithoutFadeTheCompletionRunsInsideClose) {
    defaults.reticleFade.set(OptionalBool::userDisabled);
    auto& w = makeWindow();
    w.showWindow();
    w.close();
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(w.widget().isVisible());
    w.close(); // closing a hidden window does nothing
    EXPECT_EQ(completions, 1);
}

TEST_F(ReticleWindowTest, ClosingUnregistersTheOpenPanelsArrowKeys) {
    auto& w = makeWindow();
    w.showWindow();
    EXPECT_TRUE(arrowKeys.registered);
    w.close();
    EXPECT_FALSE(arrowKeys.registered);

    // Arrow keys that display the reticle stay registered across closes.
    defaults.arrowKeysDisplays.set(OptionalBool::userEnabled);
    queue.advance(1s);
    arrowKeys.registerKeys({}, {});
    w.showWindow();
    w.close();
    EXPECT_TRUE(arrowKeys.registered);
}

TEST_F(ReticleWindowTest, ReportsItsFrameOnceTheDelegateIsSet) {
    auto& w = makeWindow();
    w.setFrameOrigin({300, 400});
    w.showWindow();
    EXPECT_TRUE(delegate.appearedFrames.empty()) << "reported after the current event";
    queue.runUntilIdle();
    ASSERT_EQ(delegate.appearedFrames.size(), 1u);
    EXPECT_EQ(delegate.appearedFrames[0], w.frame());

    // Closed before the report was due: nothing to report.
    defaults.reticleFade.set(OptionalBool::userDisabled);
    w.showWindow();
    w.close();
    queue.runUntilIdle();
    EXPECT_EQ(delegate.appearedFrames.size(), 1u);
}

TEST_F(ReticleWindowTest, WarmUpLeavesNoTrace) {
    auto& w = makeWindow();
    w.setFrameOrigin({300, 400});
    const Rect before = w.frame();
    w.warmUp();
    queue.runUntilIdle();
    EXPECT_FALSE(w.widget().isVisible());
    EXPECT_EQ(w.frame(), before);
    EXPECT_EQ(completions, 0);
    EXPECT_TRUE(delegate.appearedFrames.empty());
    EXPECT_FALSE(arrowKeys.registered);
    EXPECT_EQ(queue.pendingCount(), 0u);
}

TEST_F(ReticleWindowTest, MouseLocationIsInYUpWindowCoordinates) {
    auto& w = makeWindow();
    w.setFrameOrigin({100, 200});
    const QPoint topLeft = w.widget().pos();
    QCursor::setPos(topLeft + QPoint(10, 20));
    if (QCursor::pos() != topLeft + QPoint(10, 20))
        GTEST_SKIP() << "this platform plugin cannot place the cursor";
    EXPECT_EQ(w.mouseLocationInWindow(), (Point{10, QtReticleView::panelSize - 20.0}));
}

} // namespace
} // namespace zentrivo
