#pragma once

#include "app/input/InputEvent.h"

#include <array>
#include <cstdint>
#include <optional>
#include <utility>

namespace zentrivo::platform {

/// Turns the X server's input reports (Xkb modifier state, raw buttons, raw keys, raw motion)
/// into the program's input events. It knows nothing of the connection, so every rule here is
/// testable without a display: the X11 input monitor feeds it and delivers what it returns.
class X11EventTranslator {
public:
    /// One row of the modifier table: an X core modifier mask and its flag in the
    /// device-independent layout.
    struct ModifierRow {
        unsigned int xMask;
        std::uint64_t flag;
    };
    /// Shift, Control, Alt (Mod1) as option, Super (Mod4) as command, Caps Lock. Other X modifiers
    /// (Num Lock, AltGr) have no counterpart and are dropped.
    static const std::array<ModifierRow, 5> modifierTable;

    /// The device-independent flags for an X modifier state.
    static std::uint64_t appKitFlags(unsigned int xModifierState);
    /// The zero-based button number for X button 1, 3, 2, 8 or 9; none for the scroll buttons
    /// 4 to 7 and anything unknown.
    static std::optional<std::int64_t> buttonNumber(int xButton);

    /// Takes the modifier state as it is when monitoring starts, without reporting a change.
    void resetModifiers(unsigned int xModifierState);
    /// Takes the set of X buttons (1 to 31) held when monitoring starts, as a bit mask.
    void resetButtons(std::uint32_t heldXButtons);

    /// A new Xkb modifier state. A flags-changed event when the device-independent flags
    /// changed; none when only modifiers without a counterpart changed.
    std::optional<InputEvent> modifiersChanged(unsigned int xModifierState, unsigned long xTime);
    /// A raw button press or release; none for buttons that have no number.
    std::optional<InputEvent> button(int xButton, bool pressed, unsigned long xTime);
    /// A raw key press or release; none for the keys bound to a modifier (their effect arrives
    /// as a modifier state change).
    std::optional<InputEvent> key(bool isModifierKey, bool pressed, unsigned long xTime);
    /// A raw motion: moved, or dragged while a button is held (left before right before the
    /// other buttons, which report the most recently pressed one).
    InputEvent motion(unsigned long xTime);
    /// Whether a monitor of `monitored` events would receive the motion event a movement makes
    /// now. The movement type depends on the held buttons, so the answer changes with them.
    bool motionWanted(EventMask monitored) const;

    std::uint64_t currentFlags() const { return flags; }
    /// The X time of the latest report, for an event made without one of its own.
    unsigned long latestXTime() const { return lastTime.value_or(0); }

    /// Seconds on a continuous clock made from the X server's 32-bit millisecond time, which
    /// wraps after about 49.7 days.
    double seconds(unsigned long xTime);

private:
    /// The type and button number a movement reports with the buttons held now.
    std::pair<EventType, std::int64_t> motionKind() const;
    InputEvent makeEvent(EventType type, std::int64_t number, unsigned long xTime);

    std::uint64_t flags = 0;
    std::uint32_t heldButtons = 0;
    /// The most recently pressed of the held "other" buttons (X numbering), 0 when none is held.
    int lastOtherButton = 0;
    std::optional<std::uint32_t> lastTime;
    std::uint64_t wraps = 0;
};

} // namespace zentrivo::platform
