#include "app/apps/FrontmostAppDetection.h"
#include "app/core/Notifications.h"
#include "app/model/ReticleSpecModel.h"
#include "app/reticle/ui/QtReticleView.h"
#include "app/reticle/ui/QtReticleWindow.h"
#include "app/reticle/ui/ReticleSlotWidget.h"
#include "app/reticle/ui/SlotIcons.h"
#include "app/settings/Defaults.h"
#include "tests/fakes/FakeArrowKeys.h"
#include "tests/fakes/FakeCompositorWatch.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeWindowShape.h"
#include "tests/fakes/FakeWorkspace.h"
#include "tests/fakes/FreedesktopTestProfile.h"
#include "tests/fakes/RecordingLog.h"

#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>

namespace zentrivo {
namespace {

/// The reticle's window without a compositing manager (a fake watch the test starts and stops)
/// and with a fake shape; slot r holds an application with a red icon, every other slot is empty.
class ReticleWindowShapeTest : public ::testing::Test {
protected:
    ReticleWindowShapeTest() {
        QImage image(32, 32, QImage::Format_ARGB32);
        image.fill(Qt::red);
        image.save(dir.filePath("icon.png"));
        const std::string entry = dir.filePath("red.desktop").toStdString();
        std::ofstream(entry) << "[Desktop Entry]\nType=Application\nName=red\nExec=true\nIcon="
                             << dir.filePath("icon.png").toStdString() << "\n";
        workspace.installed["red"] = entry;
        model.setMainSlot(Action{"red", ActionType::app}, Directional::r);
        view.reloadSlotImages();
    }

    QtReticleWindow& makeWindow(QtReticleWindow::MonitorSource monitors = {}) {
        window = std::make_unique<QtReticleWindow>(
            QtReticleWindow::Collaborators{defaults, queue, arrowKeys, view,
                                           [] {
                                               return platform::PrimaryScreen{0, 0, 1280, 800};
                                           },
                                           std::move(monitors), &compositor, &shape});
        return *window;
    }

    static ShapeRect rectOf(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }
    static bool has(const std::vector<ShapeRect>& rects, const ShapeRect& r) {
        return std::find(rects.begin(), rects.end(), r) != rects.end();
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
    test::RecordingLog log;
    SlotIcons icons{{workspace, defaults, log}};
    QtReticleView view{
        {defaults, model, notifications, queue, workspace, frontmost, arrowKeys, icons}};
    test::FakeCompositorWatch compositor;
    test::FakeWindowShape shape;
    std::unique_ptr<QtReticleWindow> window;
};

TEST_F(ReticleWindowShapeTest, WithoutACompositorOnlyTheSlotsAreDrawnEmptyRingOnesAsOutlines) {
    auto& w = makeWindow();
    w.showWindow(); // cut as it is shown
    EXPECT_EQ(shape.lastWindow, w.widget().winId());
    ASSERT_TRUE(shape.shape);
    const auto cut = *shape.shape;
    EXPECT_EQ(cut.first, cut.second) << "X takes input only where it draws";
    // Exactly the eight ring slots, the empty ones too (they still take drops): the corners and
    // the empty centre show the desktop.
    std::vector<ShapeRect> ring;
    for (int d = 1; d <= 8; ++d)
        ring.push_back(rectOf(view.slot(Directional(d)).geometry()));
    EXPECT_TRUE(std::is_permutation(cut.first.begin(), cut.first.end(), ring.begin(), ring.end()));

    // The outline is drawn, opaque grey, on the empty slot's top edge; inside it nothing is.
    const QImage shot = w.widget().grab().toImage();
    const QRect tlArea = view.slot(Directional::tl).geometry();
    EXPECT_EQ(shot.pixelColor(tlArea.center().x(), tlArea.top()), QColor(150, 150, 150));
    EXPECT_LE(shot.pixelColor(tlArea.center()).alpha(), 1); // (an empty slot's hit-test veil)

    // A compositor starting takes the cut and the outlines away; stopping brings them back.
    const int before = shape.requests;
    compositor.set(true);
    EXPECT_FALSE(shape.shape);
    EXPECT_LE(w.widget().grab().toImage().pixelColor(tlArea.center().x(), tlArea.top()).alpha(), 1);
    compositor.set(false);
    ASSERT_TRUE(shape.shape);
    EXPECT_EQ(*shape.shape, cut);
    EXPECT_EQ(shape.requests, before + 2) << "one request each, no repeats of the same shape";
    w.widget().grab(); // a paint
    EXPECT_EQ(shape.requests, before + 2);

    // A centre filled while the window is up joins the shape at the next paint; with the backing
    // on the whole window is drawn.
    model.setMainSlot(Action{"red", ActionType::app}, Directional::c);
    view.reloadSlotImages();
    w.widget().grab(); // a paint
    EXPECT_TRUE(has(shape.shape->first, rectOf(view.slot(Directional::c).geometry())));
    defaults.background.set(OptionalBool::userEnabled);
    view.applyBackground();
    w.widget().grab(); // a paint
    const ShapeRect whole{0, 0, w.widget().width(), w.widget().height()};
    EXPECT_EQ(*shape.shape, (std::pair{std::vector{whole}, std::vector{whole}}));
}

TEST_F(ReticleWindowShapeTest, PlacedInsideTheMonitorUnderTheCursorInThatMonitorsPixels) {
    // A 1280×800 primary monitor and, right of it, 2560×1600 device pixels at twice the density.
    auto& w = makeWindow([] {
        return std::vector<QtReticleWindow::Monitor>{{0, 0, 1280, 800, 1.0},
                                                     {1280, 0, 2560, 1600, 2.0}};
    });
    const int side = w.widget().width(); // in Qt's units
    // requested origin (y-up), window position in Qt's units, frame reported (device pixels)
    const std::tuple<const char*, Point, QPoint, Rect> rows[] = {
        {"inside the primary monitor: as asked",
         {100, 200},
         {100, 800 - 200 - side},
         {{100, 200}, {double(side), double(side)}}},
        {"over the primary's right edge: pushed back onto it",
         {1280 - side + 10, 200},
         {1280 - side, 800 - 200 - side},
         {{double(1280 - side), 200}, {double(side), double(side)}}},
        // The cursor (the panel's centre) at x 1300 is on the dense monitor, where the panel is
        // twice as many pixels wide: it starts at that monitor's left edge, and Qt counts half
        // the pixels from that edge down.
        {"centre on the dense monitor",
         {1300.0 - side / 2.0, 400.0 - side / 2.0},
         {1280, (800 - 400 - side) / 2},
         {{1280, 400.0 - side}, {2.0 * side, 2.0 * side}}},
    };
    for (const auto& [name, origin, position, frame] : rows) {
        SCOPED_TRACE(name);
        w.setFrameOrigin(origin);
        EXPECT_EQ(w.widget().pos(), position);
        EXPECT_EQ(w.frame(), frame);
    }
}

} // namespace
} // namespace zentrivo
