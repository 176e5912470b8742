#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zentrivo::platform {

/// A hot key as the X server grabs it: a keysym held with core modifier bits. Pure rules, so the
/// translation from the program's key codes and Carbon modifiers is testable without a display.
struct X11KeyCombination {
    /// An X KeySym (unsigned long in Xlib).
    unsigned long keysym = 0;
    /// Core modifier bits: ShiftMask, ControlMask, Mod1Mask (Alt), Mod4Mask (Super).
    unsigned int modifiers = 0;

    bool operator==(const X11KeyCombination&) const = default;

    /// The keysym of a virtual key code: the four arrows (123 Left, 124 Right, 126 Up, 125 Down)
    /// and the letters the direction keys may use (4 h, 37 l, 40 k, 38 j). None for any other.
    static std::optional<unsigned long> keysymFor(std::uint32_t keyCode);
    /// The core modifiers of Carbon modifiers: command Super (Mod4), option Alt (Mod1), control
    /// Control, shift Shift. None when any other bit is set: the function key and the rest have
    /// no X modifier, and a grab without them would take a combination the user did not choose.
    static std::optional<unsigned int> modifiersFor(std::uint32_t carbonModifiers);

    /// Every modifier state the grab covers, so that Caps Lock and Num Lock change nothing: the
    /// modifiers alone, with Lock, with Num Lock, with both (two when `numLockMask` is 0, that is
    /// Num Lock is bound to no modifier).
    std::vector<unsigned int> grabVariants(unsigned int numLockMask) const;
    /// The modifiers a key event's `state` names once the lock modifiers and the pointer buttons
    /// are ignored: what a grab's modifiers are compared with.
    static unsigned int significantModifiers(unsigned int state, unsigned int numLockMask);

    /// "Super+Alt+Right", for the log.
    std::string name() const;
};

} // namespace zentrivo::platform
