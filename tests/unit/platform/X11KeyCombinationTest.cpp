// What the X11 hot-key service grabs for a key code and Carbon modifiers, without a display.
#include "platform/linux/X11KeyCombination.h"

#include <gtest/gtest.h>
// After gtest, which has a type called None: X.h defines None as a macro.
#include <X11/X.h>
#include <X11/keysym.h>

namespace zentrivo::platform {
namespace {

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
