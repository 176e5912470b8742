#include "X11EventTranslator.h"

#include <X11/X.h>

namespace zentrivo::platform {

namespace {

constexpr std::uint32_t bit(int xButton) {
    return std::uint32_t{1} << xButton;
}

constexpr bool isOtherButton(int xButton) {
    return xButton == 2 || xButton == 8 || xButton == 9;
}

} // namespace

const std::array<X11EventTranslator::ModifierRow, 5> X11EventTranslator::modifierTable = {{
    {LockMask, 0x10000},
    {ShiftMask, 0x20000},
    {ControlMask, 0x40000},
    {Mod1Mask, 0x80000},
    {Mod4Mask, 0x100000},
}};

std::uint64_t X11EventTranslator::appKitFlags(unsigned int xModifierState) {
    std::uint64_t result = 0;
    for (const ModifierRow& row : modifierTable) {
        if (xModifierState & row.xMask) {
            result |= row.flag;
        }
    }
    return result;
}

std::optional<std::int64_t> X11EventTranslator::buttonNumber(int xButton) {
    switch (xButton) {
    case 1:
        return 0;
    case 3:
        return 1;
    case 2:
        return 2;
    case 8:
        return 3;
    case 9:
        return 4;
    default:
        return std::nullopt;
    }
}

void X11EventTranslator::resetModifiers(unsigned int xModifierState) {
    flags = appKitFlags(xModifierState);
}

void X11EventTranslator::resetButtons(std::uint32_t heldXButtons) {
    heldButtons = heldXButtons;
    lastOtherButton = 0;
    for (int candidate : {2, 8, 9}) {
        if (heldButtons & bit(candidate)) {
            lastOtherButton = candidate;
        }
    }
}

std::optional<InputEvent> X11EventTranslator::modifiersChanged(unsigned int xModifierState,
                                                               unsigned long xTime) {
    const std::uint64_t newFlags = appKitFlags(xModifierState);
    if (newFlags == flags) {
        // Keep the clock continuous even for reports we drop.
        seconds(xTime);
        return std::nullopt;
    }
    flags = newFlags;
    return makeEvent(EventType::flagsChanged, 0, xTime);
}

std::optional<InputEvent> X11EventTranslator::button(int xButton, bool pressed,
                                                     unsigned long xTime) {
    const std::optional<std::int64_t> number = buttonNumber(xButton);
    if (!number) {
        seconds(xTime);
        return std::nullopt;
    }
    if (pressed) {
        heldButtons |= bit(xButton);
        if (isOtherButton(xButton)) {
            lastOtherButton = xButton;
        }
    } else {
        heldButtons &= ~bit(xButton);
        if (xButton == lastOtherButton) {
            // Another held button keeps the drag going under its own number.
            resetButtons(heldButtons);
        }
    }
    EventType type;
    if (xButton == 1) {
        type = pressed ? EventType::leftMouseDown : EventType::leftMouseUp;
    } else if (xButton == 3) {
        type = pressed ? EventType::rightMouseDown : EventType::rightMouseUp;
    } else {
        type = pressed ? EventType::otherMouseDown : EventType::otherMouseUp;
    }
    return makeEvent(type, *number, xTime);
}

std::optional<InputEvent> X11EventTranslator::key(bool isModifierKey, bool pressed,
                                                  unsigned long xTime) {
    if (isModifierKey) {
        seconds(xTime);
        return std::nullopt;
    }
    return makeEvent(pressed ? EventType::keyDown : EventType::keyUp, 0, xTime);
}

std::pair<EventType, std::int64_t> X11EventTranslator::motionKind() const {
    if (heldButtons & bit(1)) {
        return {EventType::leftMouseDragged, 0};
    }
    if (heldButtons & bit(3)) {
        return {EventType::rightMouseDragged, 1};
    }
    if (lastOtherButton != 0) {
        return {EventType::otherMouseDragged, *buttonNumber(lastOtherButton)};
    }
    return {EventType::mouseMoved, 0};
}

InputEvent X11EventTranslator::motion(unsigned long xTime) {
    const auto [type, number] = motionKind();
    return makeEvent(type, number, xTime);
}

bool X11EventTranslator::motionWanted(EventMask monitored) const {
    return (monitored & maskOf(motionKind().first)) != 0;
}

double X11EventTranslator::seconds(unsigned long xTime) {
    const auto time32 = static_cast<std::uint32_t>(xTime);
    if (lastTime && time32<*lastTime&& * lastTime - time32> 0x80000000u) {
        ++wraps;
    } else if (lastTime && time32 > *lastTime && time32 - *lastTime > 0x80000000u && wraps > 0) {
        // A report from just before the wrap, read after one from just after it.
        const std::uint64_t total = ((wraps - 1) << 32) + time32;
        return static_cast<double>(total) / 1000.0;
    }
    lastTime = time32;
    const std::uint64_t total = (wraps << 32) + time32;
    return static_cast<double>(total) / 1000.0;
}

InputEvent X11EventTranslator::makeEvent(EventType type, std::int64_t number, unsigned long xTime) {
    InputEvent event;
    event.type = type;
    event.modifierFlags = flags;
    event.buttonNumber = number;
    event.timestamp = seconds(xTime);
    return event;
}

} // namespace zentrivo::platform
