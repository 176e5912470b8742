// The pure conversions of the X11 adapter: modifier flags, button numbers and coordinates.
#include "platform/linux/X11EventTranslator.h"

#include "platform/linux/PrimaryScreen.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>
// After gtest, which has a type called None: X.h defines None as a macro.
#include <X11/X.h>

namespace zentrivo::platform {
namespace {

TEST(X11Conversions, modifierStatesAndButtonsMapToTheDeviceIndependentFlagsAndNumbers) {
    // Num Lock (Mod2), Mod3, AltGr (Mod5) and pointer buttons have no counterpart.
    const std::pair<unsigned int, std::uint64_t> flags[] = {
        {ShiftMask, 0x20000},
        {LockMask, 0x10000},
        {ControlMask, 0x40000},
        {Mod1Mask | Mod4Mask, 0x180000},
        {Mod2Mask | Mod3Mask | Mod5Mask | Button1Mask | Mod4Mask, 0x100000}};
    for (const auto& [xState, flag] : flags)
        EXPECT_EQ(X11EventTranslator::appKitFlags(xState), flag) << xState;
    // X buttons 0 to 10: 4 to 7 scroll, 0 and 10 do not exist.
    const std::optional<std::int64_t> none,
        numbers[] = {none, 0, 2, 1, none, none, none, none, 3, 4, none};
    for (int xButton = 0; xButton <= 10; ++xButton)
        EXPECT_EQ(X11EventTranslator::buttonNumber(xButton), numbers[xButton]) << xButton;
}

TEST(X11Conversions, pointsConvertBetweenX11AndYUpBothWays) {
    const std::tuple<const char*, PrimaryScreen, X11Point, Point> table[] = {
        {"top-left pixel", {0, 0, 1280, 800}, {0, 0}, {0, 800}},
        {"bottom row", {0, 0, 1280, 800}, {0, 799}, {0, 1}},
        {"left of a primary placed right", {1920, 0, 1280, 800}, {100, 10}, {-1820, 790}},
        {"below a primary placed lower", {0, 360, 1920, 1080}, {2000, 1500}, {2000, -60}},
        {"fractions", {0, 0, 100, 100}, {10.5, 20.25}, {10.5, 79.75}},
    };
    for (const auto& [what, screen, x11, yUp] : table) {
        SCOPED_TRACE(what);
        EXPECT_EQ(screen.toYUp(x11), yUp);
        EXPECT_EQ(screen.toX11(yUp), x11);
    }
}

TEST(X11Conversions, motionIsWantedWhenAMonitorTakesTheTypeTheHeldButtonsMake) {
    constexpr EventMask movement = 0x6A, sideButton = 0x0E000000;
    // X buttons pressed (negative: released) in order, then the monitors' mask.
    const std::tuple<const char*, std::vector<int>, EventMask, bool> rows[] = {
        {"nothing held, trigger's movement", {}, movement, true},
        {"nothing held, side button only", {}, sideButton, false},
        {"left held, trigger's movement", {1}, movement, true},
        {"right held, trigger's movement", {3}, movement, false},
        {"button 8 held, side button", {8}, sideButton, true},
        {"button 8 released, side button", {8, -8}, sideButton, false},
        {"left over button 8, side button", {8, 1}, sideButton, false},
        {"scroll held, side button", {4}, sideButton, false},
    };
    for (const auto& [what, buttons, mask, wanted] : rows) {
        SCOPED_TRACE(what);
        X11EventTranslator translator;
        for (const int button : buttons)
            translator.button(std::abs(button), button > 0, 1);
        EXPECT_EQ(translator.motionWanted(mask), wanted);
    }
}

} // namespace
} // namespace zentrivo::platform
