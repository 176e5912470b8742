// What the X11 hot-key service grabs for a key code and Carbon modifiers, without a display.
#include "platform/linux/X11KeyCombination.h"

#include <gtest/gtest.h>
#include <tuple>
#include <vector>
// After gtest, which has a type called None: X.h defines None as a macro.
#include <X11/X.h>
#include <X11/keysym.h>

namespace zentrivo::platform {
namespace {

TEST(X11KeyCombination, keyCodesAndCarbonModifiersBecomeKeysymsCoreModifiersAndFourGrabs) {
    const std::optional<X11KeyCombination> refused;
    // key code, Carbon modifiers, combination (none: refused), name
    const std::tuple<std::uint32_t, std::uint32_t, std::optional<X11KeyCombination>, const char*>
        rows[] = {
            {123, 0x900, X11KeyCombination{XK_Left, Mod4Mask | Mod1Mask}, "Super+Alt+Left"},
            {124, 0x1800, X11KeyCombination{XK_Right, ControlMask | Mod1Mask}, "Alt+Control+Right"},
            {126, 0x200, X11KeyCombination{XK_Up, ShiftMask}, "Shift+Up"},
            {125, 0, X11KeyCombination{XK_Down, 0}, "Down"},
            {4, 0x1B00, X11KeyCombination{XK_h, Mod4Mask | Mod1Mask | ControlMask | ShiftMask},
             "Super+Alt+Control+Shift+h"},
            {37, 0x100, X11KeyCombination{XK_l, Mod4Mask}, "Super+l"},
            {40, 0x100, X11KeyCombination{XK_k, Mod4Mask}, "Super+k"},
            {38, 0x100, X11KeyCombination{XK_j, Mod4Mask}, "Super+j"},
            // The function key (Carbon 0x20000) and caps lock (0x400) have no X modifier.
            {124, 0x20900, refused, ""},
            {124, 0x400, refused, ""},
            // Key code 0 is "A", 122 is F1: no direction key.
            {0, 0x900, refused, ""},
            {122, 0x900, refused, ""},
        };
    for (const auto& [keyCode, carbon, expected, name] : rows) {
        SCOPED_TRACE(testing::Message() << keyCode << " with " << std::hex << carbon);
        const auto keysym = X11KeyCombination::keysymFor(keyCode);
        const auto modifiers = X11KeyCombination::modifiersFor(carbon);
        const std::optional<X11KeyCombination> combination =
            keysym && modifiers ? std::optional(X11KeyCombination{*keysym, *modifiers})
                                : std::nullopt;
        EXPECT_EQ(combination, expected);
        if (combination)
            EXPECT_EQ(combination->name(), name);
    }

    const X11KeyCombination superAlt{XK_Right, Mod4Mask | Mod1Mask};
    // Num Lock on Mod2 as on most keymaps; unbound; bound to Lock itself.
    EXPECT_EQ(superAlt.grabVariants(Mod2Mask), (std::vector<unsigned int>{0x48, 0x4A, 0x58, 0x5A}));
    EXPECT_EQ(superAlt.grabVariants(0), (std::vector<unsigned int>{0x48, 0x4A}));
    EXPECT_EQ(superAlt.grabVariants(LockMask), (std::vector<unsigned int>{0x48, 0x4A}));
    // A key event's state: Caps Lock, Num Lock and held pointer buttons do not count.
    EXPECT_EQ(X11KeyCombination::significantModifiers(
                  Mod4Mask | Mod1Mask | LockMask | Mod2Mask | Button1Mask, Mod2Mask),
              0x48u);
    // With Num Lock unbound, Mod2 is a modifier like any other.
    EXPECT_EQ(X11KeyCombination::significantModifiers(Mod1Mask | Mod2Mask, 0), 0x18u);
}

} // namespace
} // namespace zentrivo::platform
