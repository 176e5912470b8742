#include "X11KeyCombination.h"

#include <X11/X.h>
#include <X11/keysym.h>
#include <array>
#include <utility>

namespace zentrivo::platform {
namespace {

struct KeyRow {
    std::uint32_t keyCode;
    unsigned long keysym;
    const char* name;
};

constexpr std::array<KeyRow, 8> keys{{
    {123, XK_Left, "Left"},
    {124, XK_Right, "Right"},
    {126, XK_Up, "Up"},
    {125, XK_Down, "Down"},
    {4, XK_h, "h"},
    {37, XK_l, "l"},
    {40, XK_k, "k"},
    {38, XK_j, "j"},
}};

struct ModifierRow {
    std::uint32_t carbon;
    unsigned int x;
    const char* name;
};

// In the order the log names them.
constexpr std::array<ModifierRow, 4> modifierRows{{
    {0x100, Mod4Mask, "Super"},
    {0x800, Mod1Mask, "Alt"},
    {0x1000, ControlMask, "Control"},
    {0x200, ShiftMask, "Shift"},
}};

} // namespace

std::optional<unsigned long> X11KeyCombination::keysymFor(std::uint32_t keyCode) {
    for (const KeyRow& row : keys)
        if (row.keyCode == keyCode)
            return row.keysym;
    return std::nullopt;
}

std::optional<unsigned int> X11KeyCombination::modifiersFor(std::uint32_t carbonModifiers) {
    unsigned int x = 0;
    for (const ModifierRow& row : modifierRows) {
        if (carbonModifiers & row.carbon) {
            x |= row.x;
            carbonModifiers &= ~row.carbon;
        }
    }
    if (carbonModifiers != 0)
        return std::nullopt;
    return x;
}

std::vector<unsigned int> X11KeyCombination::grabVariants(unsigned int numLockMask) const {
    std::vector<unsigned int> variants{modifiers, modifiers | LockMask};
    if (numLockMask != 0 && numLockMask != LockMask) {
        variants.push_back(modifiers | numLockMask);
        variants.push_back(modifiers | LockMask | numLockMask);
    }
    return variants;
}

unsigned int X11KeyCombination::significantModifiers(unsigned int state, unsigned int numLockMask) {
    constexpr unsigned int keyModifiers =
        ShiftMask | LockMask | ControlMask | Mod1Mask | Mod2Mask | Mod3Mask | Mod4Mask | Mod5Mask;
    return state & keyModifiers & ~(LockMask | numLockMask);
}

std::string X11KeyCombination::name() const {
    std::string text;
    for (const ModifierRow& row : modifierRows)
        if (modifiers & row.x)
            text += std::string(row.name) + "+";
    for (const KeyRow& row : keys)
        if (row.keysym == keysym)
            return text + row.name;
    return text + "keysym " + std::to_string(keysym);
}

} // namespace zentrivo::platform
