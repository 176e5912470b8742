#pragma once

#include "app/input/InputEvent.h"

#include <cstdint>
#include <linux/input.h>
#include <optional>
#include <vector>

namespace zentrivo::platform {

/// One absolute axis of a touchpad as the kernel describes it.
struct TouchpadAxis {
    int minimum = 0;
    int maximum = 0;
    /// Units per millimetre; 0 when the device does not say.
    int resolution = 0;
};

/// What a multitouch (protocol B) touchpad reports about itself.
struct TouchpadGeometry {
    TouchpadAxis x, y;
    /// Contacts the device tracks individually (`ABS_MT_SLOT` range).
    int slots = 0;
};

/// Turns a touchpad's evdev event stream into gesture events: every `SYN_REPORT` that closes a
/// frame with at least one touch becomes one event holding all the frame's touches. Pure: it
/// never touches a device, so recorded streams can be fed to it.
///
/// Identity is the contact's tracking id. A device with fewer slots than the fingers it counts
/// (`BTN_TOOL_TRIPLETAP` on a two-slot pad) gets the missing fingers as extra touches placed at
/// the centre of the tracked ones. `SYN_DROPPED` cancels every open touch at once; the state
/// libevdev then replays (`LIBEVDEV_READ_FLAG_SYNC`) reports the fingers still down as new
/// touches, because what happened to them in between is unknown.
class TouchpadFrameDecoder {
public:
    /// When the device gives no resolution, a typical laptop touchpad's size, in millimetres.
    static constexpr double fallbackWidthMm = 69, fallbackHeightMm = 50;

    explicit TouchpadFrameDecoder(const TouchpadGeometry& geometry);

    /// Feeds one event in the order the device delivered it. Answers the gesture event that this
    /// event completes (a `SYN_REPORT` or `SYN_DROPPED`), or none.
    std::optional<InputEvent> feed(const input_event& event);

private:
    struct Slot {
        int trackingId = -1;
        int x = 0, y = 0;
        /// The contact last reported for this slot (-1: none) and where it was.
        int reportedId = -1;
        double reportedX = 0, reportedY = 0;
    };
    struct ExtraTouch {
        std::uint64_t identity;
        double x, y;
    };

    std::optional<InputEvent> endFrame(double timestamp);
    std::optional<InputEvent> cancelAll(double timestamp);
    double normalised(int value, const TouchpadAxis& axis) const;
    Touch touch(std::uint64_t identity, std::uint32_t phase, double x, double y) const;

    TouchpadGeometry geometry;
    double widthPoints, heightPoints;
    std::vector<Slot> slots;
    /// -1 while the device points at a slot beyond the ones it announced.
    int currentSlot = 0;
    /// Bit n set: the tool key for n + 1 fingers is down.
    unsigned toolKeys = 0;
    std::vector<ExtraTouch> extras;
    /// Extra touches are numbered above every possible tracking id.
    std::uint64_t nextExtraIdentity = std::uint64_t{1} << 32;
};

} // namespace zentrivo::platform
