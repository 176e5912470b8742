#include "app/apps/FrontmostAppDetection.h"
#include "app/core/Notifications.h"
#include "app/model/ReticleSpecModel.h"
#include "app/reticle/ui/QtReticleView.h"
#include "app/reticle/ui/QtReticleWindow.h"
#include "app/reticle/ui/ReticleSlotWidget.h"
#include "app/reticle/ui/SlotIcons.h"
#include "app/settings/Defaults.h"
#include "tests/fakes/FakeAppearance.h"
#include "tests/fakes/FakeArrowKeys.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeReticleViewDelegate.h"
#include "tests/fakes/FakeWorkspace.h"
#include "tests/fakes/FreedesktopTestProfile.h"
#include "tests/fakes/RecordingLog.h"

#include <QImage>
#include <QTemporaryDir>
#include <fstream>
#include <sys/xattr.h>
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
            .defaults = defaults,
            .model = model,
            .notificationCenter = notifications,
            .mainQueue = queue,
            .workspace = workspace,
            .frontmostAppDetection = frontmost,
            .arrowKeys = arrowKeys,
            .icons = icons,
            .appearance = &appearance,
        });
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
    test::FakeAppearance appearance;
    test::RecordingLog log;
    SlotIcons icons{{workspace, defaults, log}};
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
        {Directional::tl, true},  // a folder: the theme's folder icon or the style's
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

QImage pixels(const QWidget& widget) {
    return const_cast<QWidget&>(widget).grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

/// Colours compared channel by channel, one step of rounding allowed.
::testing::AssertionResult near(const QColor& actual, const QColor& expected) {
    const int diff = std::max({std::abs(actual.red() - expected.red()),
                               std::abs(actual.green() - expected.green()),
                               std::abs(actual.blue() - expected.blue()),
                               std::abs(actual.alpha() - expected.alpha())});
    if (diff <= 1)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << actual.name(QColor::HexArgb).toStdString() << " instead of "
           << expected.name(QColor::HexArgb).toStdString();
}

TEST_F(ReticleViewTest, HighlightColourByAppearanceAndBackingIsWhatTheSlotPaints) {
    model.setMainSlot(Action{"with-icon", ActionType::app}, Directional::r);
    auto& v = makeView();
    v.highlight(Directional::r);
    QPalette darkPalette, lightPalette;
    darkPalette.setColor(QPalette::Window, QColor(30, 30, 30));
    lightPalette.setColor(QPalette::Window, QColor(240, 240, 240));
    // scheme, palette (used without a preference), backing, the colour (ARGB)
    const std::tuple<ColorScheme, QPalette, bool, QColor> rows[] = {
        {ColorScheme::dark, lightPalette, true, QColor(255, 255, 255, 64)},
        {ColorScheme::dark, lightPalette, false, QColor(204, 204, 204, 204)},
        {ColorScheme::light, darkPalette, true, QColor(0, 0, 0, 51)},
        {ColorScheme::light, darkPalette, false, QColor(179, 179, 179, 230)},
        {ColorScheme::noPreference, darkPalette, true, QColor(255, 255, 255, 64)},
        {ColorScheme::noPreference, lightPalette, false, QColor(179, 179, 179, 230)},
    };
    for (const auto& [scheme, palette, background, color] : rows) {
        SCOPED_TRACE(testing::Message() << int(scheme) << " " << background);
        v.setPalette(palette); // the palette change event re-chooses the colour
        appearance.set(scheme);
        defaults.background.set(background ? OptionalBool::userEnabled : OptionalBool::undefined);
        notifications.post(notifications::backgroundUpdated);
        EXPECT_TRUE(near(v.slot(Directional::r).highlightColor(), color));
        // A corner of the slot outside its 70-pixel icon shows the highlight alone.
        EXPECT_TRUE(near(pixels(v.slot(Directional::r)).pixelColor(2, 40), color));
    }
}

TEST_F(ReticleViewTest, FlashTurnsTheHighlightBlueFor250MsThenBackToTheColourOfTheMoment) {
    model.setMainSlot(Action{"with-icon", ActionType::app}, Directional::r);
    appearance.set(ColorScheme::light);
    auto& v = makeView();
    const auto color = [&] { return v.slot(Directional::r).highlightColor(); };
    const QColor lightBlue(0, 122, 255, 204), darkBlue(10, 132, 255, 204),
        light(179, 179, 179, 230), dark(204, 204, 204, 204);

    v.pulseHighlight(); // nothing highlighted: nothing flashes
    EXPECT_TRUE(near(color(), light));
    v.highlight(Directional::r);
    v.pulseHighlight();
    EXPECT_TRUE(near(color(), lightBlue));
    EXPECT_TRUE(near(pixels(v.slot(Directional::r)).pixelColor(2, 40), lightBlue));
    queue.advance(249ms);
    EXPECT_TRUE(near(color(), lightBlue));
    queue.advance(1ms);
    EXPECT_TRUE(near(color(), light));

    // A second flash within the first: blue until 250 ms after it, then not blue for good.
    v.pulseHighlight();
    queue.advance(100ms);
    v.pulseHighlight();
    queue.advance(200ms);
    EXPECT_TRUE(near(color(), lightBlue));
    queue.advance(50ms);
    EXPECT_TRUE(near(color(), light));
    queue.advance(1s);
    EXPECT_TRUE(near(color(), light));

    // The appearance turns dark during a flash: the flash stays, then the dark colour.
    v.pulseHighlight();
    appearance.set(ColorScheme::dark);
    EXPECT_TRUE(near(color(), darkBlue));
    queue.advance(250ms);
    EXPECT_TRUE(near(color(), dark));
}

TEST_F(ReticleViewTest, RunningMarksShowUnderSlotsWhoseApplicationRunsOnlyOverTheBacking) {
    const std::string farPath = workspace.installed["far-app"];
    const std::string withIconPath = workspace.installed["with-icon"];
    const std::string desktopCopy = dir.filePath("copy.desktop").toStdString();
    std::ofstream(desktopCopy) << "[Desktop Entry]\nType=Application\nName=Copy\nExec=true\n";
    workspace.running = {test::regularApp(1, "with-icon", "With"),
                         test::regularApp(2, "far-app", "Far")};
    workspace.running[1].bundlePath = farPath;
    // far-app was in front before with-icon: the last-application slot stands for it.
    frontmost.receiveFrontAppChange(workspace.running[1]);
    frontmost.receiveFrontAppChange(workspace.running[0]);
    model.setMainSlot(Action{"with-icon", ActionType::app}, Directional::r);
    model.setMainSlot(Action{"no-icon", ActionType::app}, Directional::l);
    model.setMainSlot(Action{"with-icon", ActionType::runningApp}, Directional::t);
    model.setMainSlot(Action{farPath, ActionType::file}, Directional::b);
    model.setMainSlot(Action{desktopCopy, ActionType::file}, Directional::br);
    model.setMainSlot(Action{dir.path().toStdString(), ActionType::file}, Directional::bl);
    model.setMainSlot(Action::lastApp(), Directional::tl);
    defaults.background.set(OptionalBool::userEnabled);
    appearance.set(ColorScheme::light);
    auto& v = makeView();
    v.reloadSlots(false);
    const std::pair<Directional, bool> rows[] = {
        {Directional::r, true},   // the application runs
        {Directional::l, false},  // it does not
        {Directional::t, false},  // a running-application slot never has a mark
        {Directional::b, true},   // a desktop entry in a file slot, running
        {Directional::br, false}, // a desktop entry nobody runs
        {Directional::bl, false}, // a folder
        {Directional::tl, true},  // the last application runs
        {Directional::tr, false}, // empty
    };
    for (const auto& [position, running] : rows) {
        SCOPED_TRACE(rawValue(position));
        EXPECT_EQ(v.slot(position).isLaunchedVisible(), running);
        // The mark: 10 pixels wide at the slot's bottom centre, black at 70 % on light.
        const QImage image = pixels(v.slot(position));
        const QColor mark(0, 0, 0, 178);
        EXPECT_EQ(near(image.pixelColor(40, 78), mark), running);
        EXPECT_EQ(near(image.pixelColor(36, 78), mark), running);
        EXPECT_EQ(image.pixelColor(48, 78).alpha(), 0) << "ends 5 pixels right of the centre";
    }
    appearance.set(ColorScheme::dark);
    EXPECT_TRUE(near(pixels(v.slot(Directional::r)).pixelColor(40, 78), QColor(255, 255, 255, 178)));

    defaults.background.set(OptionalBool::undefined);
    notifications.post(notifications::backgroundUpdated);
    v.reloadSlots(false);
    for (Directional d : allDirections)
        EXPECT_FALSE(v.slot(d).isLaunchedVisible()) << "no marks without the backing";
}

TEST_F(ReticleViewTest, BackingAndEmptySlotStylingFollowTheBackgroundSetting) {
    model.setMainSlot(Action{"with-icon", ActionType::app}, Directional::r);
    appearance.set(ColorScheme::light);
    auto& v = makeView();
    const QPoint inset(QtReticleView::panelSize / 2, 1); // between the top edge and the slots
    EXPECT_FALSE(v.isBackingVisible());
    EXPECT_EQ(pixels(v).pixelColor(inset).alpha(), 0);
    EXPECT_TRUE(v.slot(Directional::l).hasEmptyBackdrop()) << "empty: faint, still a target";
    EXPECT_FALSE(v.slot(Directional::r).hasEmptyBackdrop());
    EXPECT_LE(pixels(v.slot(Directional::l)).pixelColor(40, 40).alpha(), 1) << "yet invisible";

    defaults.background.set(OptionalBool::userEnabled);
    notifications.post(notifications::backgroundUpdated);
    EXPECT_TRUE(v.isBackingVisible());
    EXPECT_TRUE(near(pixels(v).pixelColor(inset), QColor(236, 236, 236, 217)));
    appearance.set(ColorScheme::dark);
    EXPECT_TRUE(near(pixels(v).pixelColor(inset), QColor(40, 40, 40, 217)));
    for (Directional d : allDirections)
        EXPECT_FALSE(v.slot(d).hasEmptyBackdrop());

    defaults.background.set(OptionalBool::userDisabled);
    notifications.post(notifications::backgroundUpdated);
    EXPECT_FALSE(v.isBackingVisible());
    EXPECT_TRUE(v.slot(Directional::l).hasEmptyBackdrop());
}

TEST_F(ReticleViewTest, LastAppSlotShowsTheCurrentLastApplicationEachTimeThePanelAppears) {
    workspace.running = {test::regularApp(1, "with-icon", "With"),
                         test::regularApp(2, "no-icon", "No icon"),
                         test::regularApp(3, "far-app", "Far")};
    frontmost.receiveFrontAppChange(workspace.running[0]);
    frontmost.receiveFrontAppChange(workspace.running[1]); // with-icon was in front before
    model.setMainSlot(Action::lastApp(), Directional::tl);
    auto& v = makeView();
    const QColor red(255, 0, 0);
    EXPECT_EQ(pixels(v.slot(Directional::tl)).pixelColor(40, 40), red) << "with-icon's red icon";

    frontmost.receiveFrontAppChange(workspace.running[2]); // now no-icon was in front before
    v.viewWillAppear();
    EXPECT_TRUE(v.slot(Directional::tl).hasImage());
    EXPECT_NE(pixels(v.slot(Directional::tl)).pixelColor(40, 40), red) << "no-icon's glyph";

    workspace.installed.erase("no-icon");
    v.viewWillAppear();
    EXPECT_FALSE(v.slot(Directional::tl).hasImage()) << "uninstalled: no image, no target";
    EXPECT_EQ(v.slotWithImageAt({40, QtReticleView::panelSize - 40.0}), std::nullopt);
}

TEST_F(ReticleWindowTest, ClosingRebuildsTheSlotImagesSoChangedTagsShowNextTime) {
    const QString file = dir.filePath("report.txt");
    std::ofstream(file.toStdString()) << "x";
    const auto tag = [&](const std::string& value) {
        return setxattr(QFile::encodeName(file).constData(), "user.xdg.tags", value.data(),
                        value.size(), 0) == 0;
    };
    if (!tag("Red"))
        GTEST_SKIP() << "no user extended attributes in " << dir.path().toStdString();
    model.setMainSlot(Action{file.toStdString(), ActionType::file}, Directional::r);
    auto& w = makeWindow();
    // The first dot's centre: 7.5 from the icon's left, 11 above its bottom; the icon sits 5
    // pixels inside the 80-pixel slot.
    const auto dot = [&] { return pixels(view->slot(Directional::r)).pixelColor(12, 64); };
    EXPECT_EQ(dot(), QColor(0xe0, 0x1b, 0x24));

    ASSERT_TRUE(tag("Blue"));
    view->reloadSlots(false);
    EXPECT_EQ(dot(), QColor(0xe0, 0x1b, 0x24)) << "the cached image";
    w.showWindow();
    queue.runUntilIdle();
    w.close();
    view->reloadSlots(false);
    EXPECT_EQ(dot(), QColor(0xe0, 0x1b, 0x24)) << "the rebuild runs after the close";
    queue.runUntilIdle();
    view->reloadSlots(false);
    EXPECT_EQ(dot(), QColor(0x35, 0x84, 0xe4));
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
