#include "app/apps/FrontmostAppDetection.h"
#include "app/core/Notifications.h"
#include "app/model/ReticleSpecModel.h"
#include "app/reticle/ui/QtReticleView.h"
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
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using namespace std::chrono_literals;

/// A view over fakes, with desktop entries in a temporary folder: "with-icon" names an image
/// file, "no-icon" has no Icon key, "missing" is not installed at all.
class ReticleViewTest : public ::testing::Test {
protected:
    ReticleViewTest() {
        const QString iconFile = dir.filePath("icon.png");
        QImage image(32, 32, QImage::Format_ARGB32);
        image.fill(Qt::red);
        image.save(iconFile);
        addEntry("with-icon", "With Icon", iconFile.toStdString());
        addEntry("no-icon", "No Icon", "");
        addEntry("far-app", "Far App", iconFile.toStdString());
    }

    void addEntry(const std::string& id, const std::string& name, const std::string& icon) {
        const std::string path =
            dir.filePath(QString::fromStdString(id + ".desktop")).toStdString();
        std::ofstream out(path);
        out << "[Desktop Entry]\nType=Application\nName=" << name << "\nExec=true\n";
        if (!icon.empty())
            out << "Icon=" << icon << "\n";
        workspace.installed[id] = path;
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
};

TEST_F(ReticleViewTest, SlotsShowAnImageOnlyForWhatCanBeFound) {
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
        {Directional::l, true},   // no icon in the entry: the initials glyph
        {Directional::t, false},  // not installed
        {Directional::b, false},  // a running-app slot has no picture of its own
        {Directional::tl, true},  // a folder: its content-type icon or the glyph
        {Directional::br, false}, // empty
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(rawValue(c.position));
        EXPECT_EQ(v.slot(c.position).hasImage(), c.hasImage);
        // The in-slot test sees exactly the slots with an image.
        EXPECT_EQ(v.slotWithImageAt(centreOf(v, c.position)),
                  c.hasImage ? std::optional(c.position) : std::nullopt);
    }
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
        {{inset + 1, inset + 1}, Directional::bl},
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

TEST_F(ReticleViewTest, HighlightShowsOnlyOnASlotWithActionAndImage) {
    setMain(Directional::r, "with-icon");
    setMain(Directional::t, "missing");
    auto& v = makeView();

    v.highlight(Directional::r);
    EXPECT_TRUE(v.slot(Directional::r).isHighlightVisible());
    v.highlight(Directional::t); // an action but no image
    EXPECT_FALSE(v.slot(Directional::t).isHighlightVisible());
    EXPECT_FALSE(v.slot(Directional::r).isHighlightVisible()) << "a new highlight clears the old";
    v.highlight(Directional::r);
    v.highlight(Directional::l); // empty
    EXPECT_FALSE(v.slot(Directional::r).isHighlightVisible());
    v.highlight(Directional::r);
    v.hideHighlight(Directional::r);
    EXPECT_FALSE(v.slot(Directional::r).isHighlightVisible());
    v.highlight(Directional::r);
    v.clearHighlight();
    EXPECT_FALSE(v.slot(Directional::r).isHighlightVisible());
}

TEST_F(ReticleViewTest, FarPanelShowsItsSlotsAndFallsBackToTheNearOnes) {
    setMain(Directional::r, "with-icon");
    setMain(Directional::l, "no-icon");
    model.setFarSlot(Action{"far-app", ActionType::app}, Directional::r);
    auto& v = makeView();
    const QIcon nearR = v.slot(Directional::r).icon();

    v.reloadSlots(true);
    EXPECT_TRUE(v.isShowingFar());
    EXPECT_NE(v.slot(Directional::r).icon().cacheKey(), nearR.cacheKey());
    EXPECT_TRUE(v.slot(Directional::l).hasImage()) << "an empty far slot shows the near one";

    v.reloadSlots(false);
    EXPECT_EQ(v.slot(Directional::r).icon().cacheKey(), nearR.cacheKey());
}

TEST_F(ReticleViewTest, AppsUpdatedReloadsTheSlots) {
    auto& v = makeView();
    EXPECT_FALSE(v.slot(Directional::b).hasImage());
    setMain(Directional::b, "with-icon");
    notifications.post(notifications::appsUpdated);
    EXPECT_TRUE(v.slot(Directional::b).hasImage());
    EXPECT_EQ(v.slotWithImageAt(centreOf(v, Directional::b)), Directional::b);
}

TEST_F(ReticleViewTest, PulseFlashesForTwoHundredFiftyMilliseconds) {
    setMain(Directional::r, "with-icon");
    auto& v = makeView();
    v.highlight(Directional::r);
    const QColor normal = v.slot(Directional::r).highlightColor();

    v.pulseHighlight();
    EXPECT_EQ(v.slot(Directional::r).highlightColor(), QtReticleView::flashColor());
    queue.advance(249ms);
    EXPECT_EQ(v.slot(Directional::r).highlightColor(), QtReticleView::flashColor());
    queue.advance(1ms);
    EXPECT_EQ(v.slot(Directional::r).highlightColor(), normal);
}

TEST_F(ReticleViewTest, RunningMarksNeedTheBackingAndARunningApplication) {
    setMain(Directional::r, "with-icon");
    setMain(Directional::l, "no-icon");
    workspace.running.push_back(test::regularApp(7, "with-icon", "With Icon"));
    auto& v = makeView();

    v.updateLaunchedViews();
    EXPECT_FALSE(v.slot(Directional::r).isLaunchedVisible()) << "no backing, no marks";

    defaults.background.set(OptionalBool::userEnabled);
    v.applyBackground();
    v.updateLaunchedViews();
    EXPECT_TRUE(v.slot(Directional::r).isLaunchedVisible());
    EXPECT_FALSE(v.slot(Directional::l).isLaunchedVisible());
}

TEST_F(ReticleViewTest, ArrowKeysMoveTheSelectionWhileTheReticleIsOpen) {
    setMain(Directional::r, "with-icon");
    auto& v = makeView();

    v.viewWillAppear();
    ASSERT_TRUE(arrowKeys.registered);
    arrowKeys.press(Directional::r);
    EXPECT_EQ(delegate.selected, Directional::r);
    EXPECT_TRUE(v.slot(Directional::r).isHighlightVisible());
    // Up from r leads to tr, which is empty on the near panel: the selection stays.
    arrowKeys.press(Directional::t);
    EXPECT_EQ(delegate.selected, Directional::r);

    // With the arrow keys displaying the reticle themselves, the view registers nothing.
    arrowKeys.unregisterAll();
    defaults.arrowKeysDisplays.set(OptionalBool::userEnabled);
    v.viewWillAppear();
    EXPECT_FALSE(arrowKeys.registered);
}

TEST_F(ReticleViewTest, ViewDidAppearReportsTheFrameAndAClickPerforms) {
    setMain(Directional::r, "with-icon");
    auto& v = makeView();
    const Rect frame{{10, 20}, {256, 256}};
    v.viewDidAppear(frame);
    ASSERT_EQ(delegate.appearedFrames.size(), 1u);
    EXPECT_EQ(delegate.appearedFrames[0], frame);

    auto& slot = const_cast<ReticleSlotWidget&>(v.slot(Directional::r));
    QTest::mouseClick(&slot, Qt::LeftButton);
    EXPECT_EQ(delegate.dismissals, std::vector<bool>{true});
    QTest::mouseClick(&slot, Qt::RightButton);
    EXPECT_EQ(delegate.dismissals.size(), 1u) << "only the left button clicks";
}

TEST_F(ReticleViewTest, CentreShowsTheReturnApplication) {
    auto& v = makeView();
    v.showCentreApp(RunningApp{1, "with-icon", workspace.installed["with-icon"], "With Icon"});
    EXPECT_TRUE(v.slot(Directional::c).hasImage());
    EXPECT_EQ(v.slotWithImageAt(centreOf(v, Directional::c)), Directional::c);
    v.clearCentreImage();
    EXPECT_FALSE(v.slot(Directional::c).hasImage());
    EXPECT_EQ(v.slotWithImageAt(centreOf(v, Directional::c)), std::nullopt);
    v.showCentreApp(RunningApp{2, std::nullopt, std::nullopt, "Somewhere"});
    EXPECT_TRUE(v.slot(Directional::c).hasImage()) << "a generic picture without an entry";
    v.showCentreApp(std::nullopt);
    EXPECT_FALSE(v.slot(Directional::c).hasImage());
}

TEST(SlotIconsTest, InitialsOfTheFirstTwoWords) {
    const struct {
        const char* name;
        const char* initials;
    } cases[] = {
        {"Test App", "TA"},
        {"firefox", "F"},
        {"GNU Image Manipulation Program", "GI"},
        {"org.gnome.Nautilus", "OG"},
        {"  spaced  out ", "SO"},
        {"", "?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SlotIcons::initials(QString::fromUtf8(c.name)), QString::fromUtf8(c.initials));
    }
}

} // namespace
} // namespace zentrivo
