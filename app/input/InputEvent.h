#pragma once

#include <cstdint>
#include <vector>

namespace zentrivo {

/// Event types by the numbers the rest of the program uses for them (bit n of an event mask
/// selects type n).
enum class EventType : int {
    leftMouseDown = 1,
    leftMouseUp = 2,
    rightMouseDown = 3,
    rightMouseUp = 4,
    mouseMoved = 5,
    leftMouseDragged = 6,
    rightMouseDragged = 7,
    keyDown = 10,
    keyUp = 11,
    flagsChanged = 12,
    otherMouseDown = 25,
    otherMouseUp = 26,
    otherMouseDragged = 27,
    gesture = 29,
};

using EventMask = std::uint64_t;

constexpr EventMask maskOf(EventType type) { return EventMask{1} << static_cast<int>(type); }

/// Touch phases as bit values.
enum TouchPhase : std::uint32_t {
    touchPhaseBegan = 1,
    touchPhaseMoved = 2,
    touchPhaseStationary = 4,
    touchPhaseEnded = 8,
    touchPhaseCancelled = 16,
};

/// One finger on a touch surface, as one frame of the device reports it.
struct Touch {
    /// Stable for the finger's whole contact (the device's tracking id).
    std::uint64_t identity = 0;
    std::uint32_t phase = touchPhaseStationary;
    /// Position on the surface, 0...1 on each axis, y growing upwards.
    double normalizedX = 0, normalizedY = 0;
    /// The surface's size in points.
    double deviceWidth = 0, deviceHeight = 0;
};

/// One input event in the program's own terms. Adapters decode device events into this once.
struct InputEvent {
    EventType type = EventType::mouseMoved;
    /// Modifier flags in the device-independent layout: caps lock 0x10000, shift 0x20000,
    /// control 0x40000, option 0x80000, command 0x100000, function 0x800000.
    std::uint64_t modifierFlags = 0;
    /// Zero-based: 0 left, 1 right, 2 middle, 3 and 4 the extra buttons.
    std::int64_t buttonNumber = 0;
    /// Seconds since an arbitrary start (system start-up); only differences mean anything.
    double timestamp = 0;
    /// Every touch of a gesture event; empty for other events.
    std::vector<Touch> touches = {};
};

} // namespace zentrivo
