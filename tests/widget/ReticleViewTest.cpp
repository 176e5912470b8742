#include "tests/widget/ReticleRig.h"

#include <sys/xattr.h>

namespace zentrivo {
namespace {

using namespace std::chrono_literals;
using test::pixels;
using ReticleViewTest = test::ReticleRig;
using ReticleWindowTest = test::ReticleRig;

TEST_F(ReticleViewTest, OnlySlotsWithAnImageHighlightAndHitTestAndTheFarPanelFallsBackToNear) {
    model.setMainSlot(Action{"with-icon", ActionType::app}, Directional::r);
    model.setMainSlot(Action{"no-icon", ActionType::app}, Directional::l);
    model.setMainSlot(Action{"missing", ActionType::app}, Directional::t);
    model.setMainSlot(Action{"", ActionType::runningApp}, Directional::b);
    model.setMainSlot(Action{dir.path().toStdString(), ActionType::file}, Directional::tl);
    model.setFarSlot(Action{"far-app", ActionType::app}, Directional::r);
    auto& v = makeView();
    // r: the entry's icon file; l: no Icon key, the initials glyph; t: not installed; b: a
    // running-app slot has no picture of its own; tl: a folder; br: empty.
    const std::pair<Directional, bool> slots[] = {
        {Directional::r, true},  {Directional::l, true},  {Directional::t, false},
        {Directional::b, false}, {Directional::tl, true}, {Directional::br, false}};
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
    // In y-up terms on the 256-pixel panel: tl's top left corner; the empty centre, the gap
    // after l, the inset.
    EXPECT_EQ(v.slotWithImageAt({5, 251}), Directional::tl);
    for (const Point point : {Point{128, 128}, Point{85, 128}, Point{1, 1}})
        EXPECT_EQ(v.slotWithImageAt(point), std::nullopt) << point.x << "," << point.y;

    const qint64 nearR = v.slot(Directional::r).icon().cacheKey();
    v.reloadSlots(true);
    EXPECT_NE(v.slot(Directional::r).icon().cacheKey(), nearR);
    EXPECT_TRUE(v.slot(Directional::l).hasImage()) << "an empty far slot shows the near one";
    v.reloadSlots(false);
    EXPECT_EQ(v.slot(Directional::r).icon().cacheKey(), nearR);
}

/// Colours compared channel by channel, one step of rounding allowed.
::testing::AssertionResult near(const QColor& a, const QColor& e) {
    const int diff = std::max({std::abs(a.red() - e.red()), std::abs(a.green() - e.green()),
                               std::abs(a.blue() - e.blue()), std::abs(a.alpha() - e.alpha())});
    return (diff <= 1 ? ::testing::AssertionSuccess() : ::testing::AssertionFailure())
           << qPrintable(a.name(QColor::HexArgb) + " for " + e.name(QColor::HexArgb));
}

TEST_F(ReticleViewTest, HighlightBackingAndEmptySlotsByAppearanceAndBackgroundAsPainted) {
    model.setMainSlot(Action{"with-icon", ActionType::app}, Directional::r);
    auto& v = makeView();
    v.highlight(Directional::r);
    const QPalette dark(QColor(30, 30, 30)), light(QColor(240, 240, 240));
    // scheme, palette (decides without a preference), backing, highlight, backing pixel (ARGB)
    const std::tuple<ColorScheme, QPalette, bool, QColor, QColor> rows[] = {
        {ColorScheme::dark, light, true, QColor(255, 255, 255, 64), QColor(40, 40, 40, 217)},
        {ColorScheme::dark, light, false, QColor(204, 204, 204, 204), Qt::transparent},
        {ColorScheme::light, dark, true, QColor(0, 0, 0, 51), QColor(236, 236, 236, 217)},
        {ColorScheme::light, dark, false, QColor(179, 179, 179, 230), Qt::transparent},
        {ColorScheme::noPreference, dark, true, QColor(255, 255, 255, 64), QColor(40, 40, 40, 217)},
        {ColorScheme::noPreference, light, false, QColor(179, 179, 179, 230), Qt::transparent},
    };
    for (const auto& [scheme, palette, background, highlight, backing] : rows) {
        SCOPED_TRACE(testing::Message() << int(scheme) << " " << background);
        v.setPalette(palette); // the palette change event re-chooses the colours
        appearance.set(scheme);
        defaults.background.set(background ? OptionalBool::userEnabled : OptionalBool::undefined);
        notifications.post(notifications::backgroundUpdated);
        // A corner of the slot outside its 70-pixel icon; the inset above the top row.
        EXPECT_TRUE(near(pixels(v.slot(Directional::r)).pixelColor(2, 40), highlight));
        EXPECT_TRUE(near(pixels(v).pixelColor(128, 1), backing));
        // Without the backing an empty slot is filled all but invisibly, to stay a target.
        EXPECT_EQ(v.slot(Directional::l).hasEmptyBackdrop(), !background);
        EXPECT_LE(pixels(v.slot(Directional::l)).pixelColor(40, 40).alpha(), 1);
        EXPECT_FALSE(v.slot(Directional::r).hasEmptyBackdrop());
    }
}

TEST_F(ReticleViewTest, FlashTurnsTheHighlightBlueFor250MsThenBackToTheColourOfTheMoment) {
    model.setMainSlot(Action{"with-icon", ActionType::app}, Directional::r);
    appearance.set(ColorScheme::light);
    auto& v = makeView();
    const QColor lightBlue(0, 122, 255, 204), darkBlue(10, 132, 255, 204),
        light(179, 179, 179, 230), dark(204, 204, 204, 204);
    v.pulseHighlight(); // nothing highlighted: nothing flashes
    v.highlight(Directional::r);
    // (time, pulse then, dark appearance from then on, expected colour): the pulses at 300 and
    // 400 overlap, blue till 650; the colour after a flash is the one of the moment.
    const std::tuple<int, bool, bool, QColor> steps[] = {
        {0, false, false, light},       {0, true, false, lightBlue},
        {249, false, false, lightBlue}, {250, false, false, light},
        {300, true, false, lightBlue},  {400, true, false, lightBlue},
        {649, false, false, lightBlue}, {650, false, false, light},
        {3000, true, true, darkBlue},   {3250, false, true, dark},
    };
    int now = 0;
    for (const auto& [at, pulse, isDark, expected] : steps) {
        SCOPED_TRACE(at);
        queue.advance(std::chrono::milliseconds(at - now));
        now = at;
        if (pulse)
            v.pulseHighlight();
        if (isDark != (appearance.colorScheme() == ColorScheme::dark)) // a change re-chooses it
            appearance.set(isDark ? ColorScheme::dark : ColorScheme::light);
        EXPECT_TRUE(near(pixels(v.slot(Directional::r)).pixelColor(2, 40), expected));
    }
}

TEST_F(ReticleViewTest, RunningMarksAndTheLastAppIconFollowWhatRunsEachTimeThePanelAppears) {
    workspace.running = {test::regularApp(1, "with-icon", "With"),
                         test::regularApp(2, "far-app", "Far"),
                         test::regularApp(3, "no-icon", "No icon")};
    workspace.running[1].bundlePath = workspace.installed["far-app"];
    frontmost.receiveFrontAppChange(workspace.running[2]);
    frontmost.receiveFrontAppChange(workspace.running[0]); // no-icon was in front before
    model.setMainSlot(Action{"with-icon", ActionType::app}, Directional::r);
    model.setMainSlot(Action{"no-icon", ActionType::app}, Directional::l);
    model.setMainSlot(Action{"with-icon", ActionType::runningApp}, Directional::t);
    model.setMainSlot(Action{workspace.installed["far-app"], ActionType::file}, Directional::b);
    // An entry in a file slot whose application does not run.
    model.setMainSlot(Action{workspace.installed["no-icon"], ActionType::file}, Directional::br);
    model.setMainSlot(Action::lastApp(), Directional::tl);
    defaults.background.set(OptionalBool::userEnabled);
    appearance.set(ColorScheme::light);
    auto& v = makeView();
    EXPECT_NE(pixels(v.slot(Directional::tl)).pixelColor(40, 40), QColor(255, 0, 0))
        << "no-icon's glyph";
    workspace.running.pop_back(); // no-icon quits
    const std::pair<Directional, bool> rows[] = {
        {Directional::r, true},  {Directional::l, false},  {Directional::t, false},
        {Directional::b, true},  {Directional::br, false}, {Directional::bl, false},
        {Directional::tl, true}, {Directional::tr, false},
    };
    frontmost.receiveFrontAppChange(workspace.running[1]); // now with-icon was before
    v.viewWillAppear();
    for (const auto& [position, running] : rows) {
        SCOPED_TRACE(rawValue(position));
        // The mark: 10 pixels at the slot's bottom centre, black at 70 % on light.
        const QImage image = pixels(v.slot(position));
        EXPECT_EQ(near(image.pixelColor(36, 78), QColor(0, 0, 0, 178)), running);
        EXPECT_EQ(image.pixelColor(46, 78).alpha(), 0) << "ends 5 pixels right of the centre";
    }
    EXPECT_EQ(pixels(v.slot(Directional::tl)).pixelColor(40, 40), QColor(255, 0, 0))
        << "with-icon's red icon now";
    workspace.installed.erase("with-icon");
    v.viewWillAppear();
    EXPECT_FALSE(v.slot(Directional::tl).hasImage()) << "uninstalled: no image, no target";
    EXPECT_EQ(v.slotWithImageAt({40, 216}), std::nullopt);

    appearance.set(ColorScheme::dark);
    EXPECT_TRUE(
        near(pixels(v.slot(Directional::r)).pixelColor(40, 78), QColor(255, 255, 255, 178)));
    defaults.background.set(OptionalBool::undefined);
    notifications.post(notifications::backgroundUpdated);
    v.reloadSlots(false);
    for (Directional d : allDirections)
        EXPECT_FALSE(v.slot(d).isLaunchedVisible()) << "no marks without the backing";
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
    // The first dot's centre: (7.5, 11 up) in the icon, which sits 5 pixels inside the slot.
    const auto dot = [&] {
        view->reloadSlots(false);
        return pixels(view->slot(Directional::r)).pixelColor(12, 64);
    };
    const QColor red(0xe0, 0x1b, 0x24), blue(0x35, 0x84, 0xe4);
    EXPECT_EQ(dot(), red);
    ASSERT_TRUE(tag("Blue"));
    EXPECT_EQ(dot(), red) << "the cached image";
    w.showWindow();
    queue.runUntilIdle();
    w.close();
    EXPECT_EQ(dot(), red) << "the rebuild runs after the close";
    queue.runUntilIdle();
    EXPECT_EQ(dot(), blue);
}

TEST_F(ReticleWindowTest, AFocuslessToolWindowWhoseFadingCloseEndsAfter290MsUnlessShownAgain) {
    auto& w = makeWindow();
    const Qt::WindowFlags flags = Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
                                  Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint;
    EXPECT_EQ(w.widget().windowFlags() & flags, flags);
    EXPECT_TRUE(w.widget().testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(w.widget().windowTitle(), "Zentrivo Reticle") << "the name tools find it by";

    const auto state = [&] { return std::pair{completions, w.widget().isVisible()}; };
    // The fade's animation needs an event loop; this is where it would have taken the opacity.
    const auto fadePartly = [&] { w.widget().setWindowOpacity(0.4); };
    w.showWindow();
    w.close();
    queue.advance(100ms);
    fadePartly();
    w.showWindow();
    queue.advance(1s);
    EXPECT_EQ(state(), std::pair(0, true)) << "shown again: the close is cancelled";
    EXPECT_DOUBLE_EQ(w.widget().windowOpacity(), 1.0);
    w.close();
    queue.advance(289ms);
    EXPECT_EQ(state(), std::pair(0, true));
    fadePartly();
    queue.advance(1ms);
    EXPECT_EQ(state(), std::pair(1, false));
    EXPECT_DOUBLE_EQ(w.widget().windowOpacity(), 1.0) << "shown at full opacity next time";

    w.showWindow();
    w.close();
    defaults.reticleFade.set(OptionalBool::userDisabled);
    w.showWindow(); // a fade switched off meanwhile: the pending close is cancelled all the same
    queue.advance(1s);
    EXPECT_EQ(state(), std::pair(1, true));
    w.close();
    EXPECT_EQ(state(), std::pair(2, false)) << "without fade the completion runs inside close";
    w.close(); // closing a hidden window does nothing
    EXPECT_EQ(completions, 2);
}

} // namespace
} // namespace zentrivo
