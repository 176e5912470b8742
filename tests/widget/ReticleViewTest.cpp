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
        for (const auto& [id, icon] :
             {std::pair{"with-icon", iconFile}, {"far-app", iconFile}, {"no-icon", QString()}}) {
            const std::string path = dir.filePath(QString(id) + ".desktop").toStdString();
            std::ofstream(path) << "[Desktop Entry]\nType=Application\nName=" << id
                                << "\nExec=true\n"
                                << (icon.isEmpty() ? "" : "Icon=" + icon.toStdString() + "\n");
            workspace.installed[id] = path;
        }
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

TEST_F(ReticleViewTest, OnlySlotsWithAnImageHighlightAndHitTestOnTheRealLayout) {
    model.setMainSlot(Action{"with-icon", ActionType::app}, Directional::r);
    model.setMainSlot(Action{"no-icon", ActionType::app}, Directional::l);
    model.setMainSlot(Action{"missing", ActionType::app}, Directional::t);
    model.setMainSlot(Action{"", ActionType::runningApp}, Directional::b);
    model.setMainSlot(Action{dir.path().toStdString(), ActionType::file}, Directional::tl);
    auto& v = makeView();
    const std::pair<Directional, bool> slots[] = {
        {Directional::r, true},   // the entry's own icon file
        {Directional::l, true},   // no icon in the entry: the built-in initials glyph
        {Directional::t, false},  // not installed
        {Directional::b, false},  // a running-app slot has no picture of its own
        {Directional::tl, true},  // a folder: its content-type icon or the glyph
        {Directional::br, false}, // empty
    };
    for (const auto& [position, hasImage] : slots) {
        SCOPED_TRACE(rawValue(position));
        EXPECT_EQ(v.slot(position).hasImage(), hasImage);
        const QRect g = v.slot(position).geometry(); // its centre in y-up window coordinates
        EXPECT_EQ(v.slotWithImageAt({g.center().x() + 0.5, double(v.height() - g.center().y())}),
                  hasImage ? std::optional(position) : std::nullopt);
        v.highlight(position);
        for (Directional d : ringDirections)
            EXPECT_EQ(v.slot(d).isHighlightVisible(), hasImage && d == position);
    }

    const double size = QtReticleView::panelSize, inset = QtReticleView::panelInset;
    const std::pair<Point, std::optional<Directional>> points[] = {
        {{inset + 1, size - inset - 1}, Directional::tl},                // top left in y-up terms
        {{size / 2, size / 2}, std::nullopt},                            // the centre slot is empty
        {{inset + QtReticleView::slotSize + 1, size / 2}, std::nullopt}, // the gap after l
        {{1, 1}, std::nullopt},                                          // the inset
    };
    for (const auto& [point, hit] : points) {
        SCOPED_TRACE(testing::Message() << point.x << "," << point.y);
        EXPECT_EQ(v.slotWithImageAt(point), hit);
    }
}

TEST_F(ReticleViewTest, FarPanelShowsItsSlotsAndFallsBackToTheNearOnes) {
    model.setMainSlot(Action{"with-icon", ActionType::app}, Directional::r);
    model.setMainSlot(Action{"no-icon", ActionType::app}, Directional::l);
    model.setFarSlot(Action{"far-app", ActionType::app}, Directional::r);
    auto& v = makeView();
    const QIcon nearR = v.slot(Directional::r).icon();

    v.reloadSlots(true);
    EXPECT_NE(v.slot(Directional::r).icon().cacheKey(), nearR.cacheKey());
    EXPECT_TRUE(v.slot(Directional::l).hasImage()) << "an empty far slot shows the near one";
    v.reloadSlots(false);
    EXPECT_EQ(v.slot(Directional::r).icon().cacheKey(), nearR.cacheKey());
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
    // screen, y-up origin, X top left; the second primary screen is right of and below another
    const std::tuple<platform::PrimaryScreen, Point, QPoint> cases[] = {
        {{0, 0, 1280, 800}, {100, 200}, {100, int(800 - 200 - side)}},
        {{1920, 100, 1280, 1024}, {10, 20}, {1930, int(100 + 1024 - 20 - side)}},
    };
    for (const auto& [screen, origin, x11TopLeft] : cases) {
        SCOPED_TRACE(testing::Message() << origin.x << "," << origin.y);
        auto& w = makeWindow(screen);
        w.setFrameOrigin(origin);
        EXPECT_EQ(w.widget().pos(), x11TopLeft);
        EXPECT_EQ(w.frame(), (Rect{origin, {side, side}}));
    }
}

TEST_F(ReticleWindowTest, FadingCloseEndsAfter290MsUnlessShownAgainAndAtOnceWithoutFade) {
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

    w.showWindow();
    w.close();
    defaults.reticleFade.set(OptionalBool::userDisabled);
    w.showWindow(); // a fade switched off meanwhile: the pending close is cancelled all the same
    queue.advance(1s);
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(w.widget().isVisible());
    w.close();
    EXPECT_EQ(completions, 2) << "without fade the completion runs inside close";
    EXPECT_FALSE(w.widget().isVisible());
    w.close(); // closing a hidden window does nothing
    EXPECT_EQ(completions, 2);
}

} // namespace
} // namespace zentrivo
