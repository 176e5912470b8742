#include "app/apps/FrontmostAppDetection.h"
#include "app/model/ReticleSpecModel.h"
#include "app/reticle/ui/QtReticleView.h"
#include "app/reticle/ui/QtReticleWindow.h"
#include "app/reticle/ui/ReticleSlotWidget.h"
#include "app/reticle/ui/SlotIcons.h"
#include "app/settings/Defaults.h"
#include "tests/fakes/FakeArrowKeys.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeReticleViewDelegate.h"
#include "tests/fakes/FakeWorkspace.h"
#include "tests/fakes/FreedesktopTestProfile.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using namespace std::chrono_literals;

/// The reticle's view (and window) over fakes, with desktop entries in a temporary folder:
/// "with-icon" and "far-app" name an image file, "no-icon" has no Icon key, "missing" is not
/// installed at all.
class ReticleViewTest : public ::testing::Test {
protected:
    ReticleViewTest() {
        const QString iconFile = dir.filePath("icon.png");
        QImage image(32, 32, QImage::Format_ARGB32);
        image.fill(Qt::red);
        image.save(iconFile);
        for (const auto& [id, icon] : {std::pair{"with-icon", iconFile}, {"far-app", iconFile},
                                       {"no-icon", QString()}}) {
            const std::string path = dir.filePath(QString(id) + ".desktop").toStdString();
            std::ofstream(path) << "[Desktop Entry]\nType=Application\nName=" << id
                                << "\nExec=true\n"
                                << (icon.isEmpty() ? "" : "Icon=" + icon.toStdString() + "\n");
            workspace.installed[id] = path;
        }
    }

    void setMain(Directional position, std::string appId) {
        model.setMainSlot(Action{std::move(appId), ActionType::app}, position);
    }

    QtReticleView& makeView() {
        view = std::make_unique<QtReticleView>(QtReticleView::Collaborators{
            defaults, model, notifications, queue, workspace, frontmost, arrowKeys, icons});
        view->setDelegate(&delegate);
        return *view;
    }

    /// A window with a view, on a 1280×800 primary screen at the X origin unless given another.
    QtReticleWindow& makeWindow(platform::PrimaryScreen screen = {0, 0, 1280, 800}) {
        window.reset();
        window = std::make_unique<QtReticleWindow>(QtReticleWindow::Collaborators{
            defaults, queue, arrowKeys, view ? *view : makeView(), [screen] { return screen; }});
        window->setCloseCompletion([this] { ++completions; });
        return *window;
    }

    /// The centre of a slot in the view's y-up window coordinates.
    static Point centreOf(const QtReticleView& v, Directional position) {
        const QRect g = v.slot(position).geometry();
        return {g.center().x() + 0.5, double(v.height() - g.center().y())};
    }

    QTemporaryDir dir;
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
    test::FakeReticleViewDelegate delegate;
    std::unique_ptr<QtReticleView> view;
    std::unique_ptr<QtReticleWindow> window;
    int completions = 0;
};
using ReticleWindowTest = ReticleViewTest;

TEST_F(ReticleViewTest, OnlySlotsWithAnImageHighlightAndHitTest) {
    setMain(Directional::r, "with-icon");
    setMain(Directional::l, "no-icon");
    setMain(Directional::t, "missing");
    model.setMainSlot(Action{"", ActionType::runningApp}, Directional::b);
    model.setMainSlot(Action{dir.path().toStdString(), ActionType::file}, Directional::tl);
    auto& v = makeView();

    const struct {
        Directional position;
        bool hasImage;
    } cases[] = {
        {Directional::r, true},   // the entry's own icon file
        {Directional::l, true},   // no icon in the entry: the built-in initials glyph
        {Directional::t, false},  // not installed
        {Directional::b, false},  // a running-app slot has no picture of its own
        {Directional::tl, true},  // a folder: its content-type icon or the glyph
        {Directional::br, false}, // empty
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(rawValue(c.position));
        EXPECT_EQ(v.slot(c.position).hasImage(), c.hasImage);
        EXPECT_EQ(v.slotWithImageAt(centreOf(v, c.position)),
                  c.hasImage ? std::optional(c.position) : std::nullopt);
        v.highlight(c.position);
        for (Directional d : ringDirections)
            EXPECT_EQ(v.slot(d).isHighlightVisible(), c.hasImage && d == c.position);
    }
    v.highlight(Directional::r);
    v.clearHighlight();
    EXPECT_FALSE(v.slot(Directional::r).isHighlightVisible());
}

TEST_F(ReticleViewTest, InSlotTestUsesYUpWindowCoordinatesAndGapsHitNothing) {
    for (Directional d : ringDirections)
        setMain(d, "with-icon");
    auto& v = makeView();
    const double size = QtReticleView::panelSize;
    const double inset = QtReticleView::panelInset;
    const struct {
        Point point;
        std::optional<Directional> hit;
    } cases[] = {
        {{inset + 1, size - inset - 1}, Directional::tl}, // top left in y-up terms
        {{size - inset - 1, inset + 1}, Directional::br},
        {{size / 2, size / 2}, std::nullopt},                            // the centre slot is empty
        {{inset + QtReticleView::slotSize + 1, size / 2}, std::nullopt}, // the gap after l
        {{1, 1}, std::nullopt},                                          // the inset
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.point.x << "," << c.point.y);
        EXPECT_EQ(v.slotWithImageAt(c.point), c.hit);
    }
}

TEST_F(ReticleViewTest, FarPanelShowsItsSlotsAndFallsBackToTheNearOnes) {
    setMain(Directional::r, "with-icon");
    setMain(Directional::l, "no-icon");
    model.setFarSlot(Action{"far-app", ActionType::app}, Directional::r);
    auto& v = makeView();
    const QIcon nearR = v.slot(Directional::r).icon();

    v.reloadSlots(true);
    EXPECT_NE(v.slot(Directional::r).icon().cacheKey(), nearR.cacheKey());
    EXPECT_TRUE(v.slot(Directional::l).hasImage()) << "an empty far slot shows the near one";
    v.reloadSlots(false);
    EXPECT_EQ(v.slot(Directional::r).icon().cacheKey(), nearR.cacheKey());
}

TEST_F(ReticleViewTest, OnlyALeftClickOnASlotPerforms) {
    setMain(Directional::r, "with-icon");
    auto& slot = const_cast<ReticleSlotWidget&>(makeView().slot(Directional::r));
    QTest::mouseClick(&slot, Qt::RightButton);
    EXPECT_TRUE(delegate.dismissals.empty());
    QTest::mouseClick(&slot, Qt::LeftButton);
    EXPECT_EQ(delegate.dismissals, std::vector<bool>{true});
}

TEST(SlotIconsTest, GlyphShowsTheInitialsOfTheFirstTwoWords) {
    const struct {
        const char* name;
        const char* initials;
    } cases[] = {
        {"firefox", "F"},
        {"GNU Image Manipulation Program", "GI"},
        {"org.gnome.Nautilus", "OG"},
        {"", "?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SlotIcons::initials(QString::fromUtf8(c.name)), QString::fromUtf8(c.initials));
    }
}

TEST_F(ReticleWindowTest, IsATranslucentToolWindowThatNeverTakesFocus) {
    const QWidget& w = makeWindow().widget();
    const Qt::WindowFlags expected = Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
                                     Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint;
    EXPECT_EQ(w.windowFlags() & expected, expected);
    EXPECT_TRUE(w.testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(w.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Zentrivo Reticle")) << "the name tools find it by";
}

TEST_F(ReticleWindowTest, FrameOriginConvertsBetweenYUpAndX11Coordinates) {
    const double side = QtReticleView::panelSize;
    const struct {
        platform::PrimaryScreen screen;
        Point origin;
        QPoint x11TopLeft;
    } cases[] = {
        {{0, 0, 1280, 800}, {100, 200}, {100, int(800 - 200 - side)}},
        // A primary screen right of and below another one.
        {{1920, 100, 1280, 1024}, {10, 20}, {1930, int(100 + 1024 - 20 - side)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.origin.x << "," << c.origin.y);
        auto& w = makeWindow(c.screen);
        w.setFrameOrigin(c.origin);
        EXPECT_EQ(w.widget().pos(), c.x11TopLeft);
        EXPECT_EQ(w.frame(), (Rect{c.origin, {side, side}}));
    }
}

TEST_F(ReticleWindowTest, FadingCloseEndsAfter290MillisecondsUnlessShownAgain) {
    auto& w = makeWindow();
    w.showWindow();
    w.close();
    queue.advance(100ms);
    w.showWindow();
    queue.advance(1s);
    EXPECT_EQ(completions, 0);
    EXPECT_TRUE(w.widget().isVisible());
    EXPECT_DOUBLE_EQ(w.widget().windowOpacity(), 1.0);

    w.close();
    queue.advance(289ms);
    EXPECT_EQ(completions, 0);
    EXPECT_TRUE(w.widget().isVisible());
    queue.advance(1ms);
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(w.widget().isVisible());
    EXPECT_DOUBLE_EQ(w.widget().windowOpacity(), 1.0) << "shown at full opacity next time";
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

TEST_F(ReticleWindowTest, ArrowKeysMoveTheSelectionOnlyWhileTheReticleIsOpen) {
    setMain(Directional::r, "with-icon");
    auto& w = makeWindow();
    w.showWindow();
    arrowKeys.press(Directional::r);
    EXPECT_EQ(delegate.selected, Directional::r);
    EXPECT_TRUE(view->slot(Directional::r).isHighlightVisible());
    // Up from r leads to tr, which is empty on the near panel: the selection stays.
    arrowKeys.press(Directional::t);
    EXPECT_EQ(delegate.selected, Directional::r);
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

TEST_F(ReticleWindowTest, ReportsItsFrameAfterAShowButNotAfterAWarmUpOrAQuickClose) {
    auto& w = makeWindow();
    w.setFrameOrigin({300, 400});
    const Rect frame = w.frame();
    w.warmUp();
    queue.runUntilIdle();
    EXPECT_FALSE(w.widget().isVisible());
    EXPECT_EQ(w.frame(), frame);
    EXPECT_FALSE(arrowKeys.registered);
    EXPECT_TRUE(delegate.appearedFrames.empty());

    w.showWindow();
    EXPECT_TRUE(delegate.appearedFrames.empty()) << "the delegate is set after the show";
    queue.runUntilIdle();
    EXPECT_EQ(delegate.appearedFrames, std::vector<Rect>{frame});
    defaults.reticleFade.set(OptionalBool::userDisabled);
    w.showWindow();
    w.close();
    queue.runUntilIdle();
    EXPECT_EQ(delegate.appearedFrames.size(), 1u);
}

} // namespace
} // namespace zentrivo
