// The pure conversions of the X11 adapters: modifier flags, button numbers, coordinates, and what
// the hot-key service grabs for a key code and Carbon modifiers.
#include "platform/linux/PrimaryScreen.h"
#include "platform/linux/X11EventTranslator.h"
#include "platform/linux/X11KeyCombination.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>
// After gtest, which has a type called None: X.h defines None as a macro.
#include <X11/X.h>
#include <X11/keysym.h>

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

TEST(X11KeyCombination, keyCodesAndCarbonModifiersBecomeKeysymsCoreModifiersAndFourGrabs) {
    using Keysym = std::optional<unsigned long>;
    // The arrows and H, L, K, J; 0 is "A" and 122 is F1, no direction key.
    const std::pair<std::uint32_t, Keysym> keys[] = {
        {123, XK_Left}, {124, XK_Right}, {126, XK_Up}, {125, XK_Down}, {4, XK_h},
        {37, XK_l},     {40, XK_k},      {38, XK_j},   {0, {}},        {122, {}}};
    for (const auto& [keyCode, keysym] : keys)
        EXPECT_EQ(X11KeyCombination::keysymFor(keyCode), keysym) << keyCode;
    // Command, option, control, shift; the function key (0x20000) and caps lock (0x400) have no
    // X modifier, so a set holding them is refused.
    const std::pair<std::uint32_t, std::optional<unsigned int>> modifiers[] = {
        {0x100, Mod4Mask}, {0x800, Mod1Mask}, {0x1000, ControlMask}, {0x200, ShiftMask}, {0, 0},
        {0x20900, {}},     {0x400, {}}};
    for (const auto& [carbon, x] : modifiers)
        EXPECT_EQ(X11KeyCombination::modifiersFor(carbon), x) << carbon;
    EXPECT_EQ((X11KeyCombination{XK_h, *X11KeyCombination::modifiersFor(0x1B00)}.name()),
              "Super+Alt+Control+Shift+h");

    const X11KeyCombination superAlt{XK_Right, Mod4Mask | Mod1Mask};
    // Num Lock on Mod2 as on most keymaps; unbound; bound to Lock itself.
    EXPECT_EQ(superAlt.grabVariants(Mod2Mask), (std::vector<unsigned int>{0x48, 0x4A, 0x58, 0x5A}));
    EXPECT_EQ(superAlt.grabVariants(0), (std::vector<unsigned int>{0x48, 0x4A}));
    EXPECT_EQ(superAlt.grabVariants(LockMask), (std::vector<unsigned int>{0x48, 0x4A}));
    // A key event's state: Caps Lock, Num Lock and held pointer buttons do not count; with Num
    // Lock unbound, Mod2 is a modifier like any other.
    EXPECT_EQ(X11KeyCombination::significantModifiers(0x5A | Button1Mask, Mod2Mask), 0x48u);
    EXPECT_EQ(X11KeyCombination::significantModifiers(Mod1Mask | Mod2Mask, 0), 0x18u);
}

} // namespace
} // namespace zentrivo::platform
