#include "TouchpadFrameDecoder.h"

#include <algorithm>

namespace zentrivo::platform {
namespace {

constexpr double pointsPerMm = 72.0 / 25.4;

double sizeInPoints(const TouchpadAxis& axis, double fallbackMm) {
    const double units = double(axis.maximum) - double(axis.minimum);
    if (axis.resolution <= 0 || units <= 0)
        return fallbackMm * pointsPerMm;
    return units / axis.resolution * pointsPerMm;
}

/// The finger count of a tool key (BTN_TOOL_FINGER 1 … BTN_TOOL_QUINTTAP 5), 0 for other keys.
int fingersOfToolKey(unsigned code) {
    switch (code) {
    case BTN_TOOL_FINGER:
        return 1;
    case BTN_TOOL_DOUBLETAP:
        return 2;
    case BTN_TOOL_TRIPLETAP:
        return 3;
    case BTN_TOOL_QUADTAP:
        return 4;
    case BTN_TOOL_QUINTTAP:
        return 5;
    default:
        return 0;
    }
}

} // namespace

TouchpadFrameDecoder::TouchpadFrameDecoder(const TouchpadGeometry& geometry)
    : geometry(geometry), widthPoints(sizeInPoints(geometry.x, fallbackWidthMm)),
      heightPoints(sizeInPoints(geometry.y, fallbackHeightMm)),
      slots(std::size_t(std::max(geometry.slots, 1))) {}

std::optional<InputEvent> TouchpadFrameDecoder::feed(const input_event& event) {
    const double timestamp = double(event.input_event_sec) + double(event.input_event_usec) / 1e6;
    switch (event.type) {
    case EV_SYN:
        if (event.code == SYN_REPORT)
            return endFrame(timestamp);
        if (event.code == SYN_DROPPED)
            return cancelAll(timestamp);
        return std::nullopt;
    case EV_KEY:
        if (const int fingers = fingersOfToolKey(event.code)) {
            const unsigned bit = 1u << (fingers - 1);
            toolKeys = event.value ? (toolKeys | bit) : (toolKeys & ~bit);
        }
        return std::nullopt;
    case EV_ABS:
        break;
    default:
        return std::nullopt;
    }
    if (event.code == ABS_MT_SLOT) {
        currentSlot =
            event.value >= 0 && std::size_t(event.value) < slots.size() ? event.value : -1;
        return std::nullopt;
    }
    if (currentSlot < 0)
        return std::nullopt;
    Slot& slot = slots[std::size_t(currentSlot)];
    switch (event.code) {
    case ABS_MT_TRACKING_ID:
        slot.trackingId = event.value < 0 ? -1 : event.value;
        break;
    case ABS_MT_POSITION_X:
        slot.x = event.value;
        break;
    case ABS_MT_POSITION_Y:
        slot.y = event.value;
        break;
    default:
        break;
    }
    return std::nullopt;
}

std::optional<InputEvent> TouchpadFrameDecoder::endFrame(double timestamp) {
    InputEvent frame{.type = EventType::gesture, .timestamp = timestamp, .touches = {}};
    int open = 0;
    double sumX = 0, sumY = 0;
    for (Slot& slot : slots) {
        if (slot.reportedId >= 0 && slot.trackingId != slot.reportedId) {
            frame.touches.push_back(touch(std::uint32_t(slot.reportedId), touchPhaseEnded,
                                          slot.reportedX, slot.reportedY));
            slot.reportedId = -1;
        }
        if (slot.trackingId < 0)
            continue;
        const double x = normalised(slot.x, geometry.x);
        // Devices count y downwards; gesture positions grow upwards.
        const double y = 1.0 - normalised(slot.y, geometry.y);
        std::uint32_t phase = touchPhaseBegan;
        if (slot.reportedId == slot.trackingId)
            phase =
                x != slot.reportedX || y != slot.reportedY ? touchPhaseMoved : touchPhaseStationary;
        frame.touches.push_back(touch(std::uint32_t(slot.trackingId), phase, x, y));
        slot.reportedId = slot.trackingId;
        slot.reportedX = x, slot.reportedY = y;
        ++open, sumX += x, sumY += y;
    }

    // The highest tool key down counts every finger, also those the slots cannot hold.
    int fingers = 0;
    for (unsigned keys = toolKeys; keys; keys >>= 1)
        ++fingers;
    // Without a tracked finger there is no place to put the others: they end with the last one.
    const std::size_t wanted =
        open > 0 && fingers > int(slots.size()) && fingers > open ? std::size_t(fingers - open) : 0;
    while (extras.size() > wanted) {
        const ExtraTouch& gone = extras.back();
        frame.touches.push_back(touch(gone.identity, touchPhaseEnded, gone.x, gone.y));
        extras.pop_back();
    }
    if (wanted > 0) {
        const double x = sumX / open, y = sumY / open;
        for (ExtraTouch& extra : extras) {
            const bool moved = x != extra.x || y != extra.y;
            frame.touches.push_back(
                touch(extra.identity, moved ? touchPhaseMoved : touchPhaseStationary, x, y));
            extra.x = x, extra.y = y;
        }
        while (extras.size() < wanted) {
            extras.push_back({nextExtraIdentity++, x, y});
            frame.touches.push_back(touch(extras.back().identity, touchPhaseBegan, x, y));
        }
    }
    if (frame.touches.empty())
        return std::nullopt;
    return frame;
}

std::optional<InputEvent> TouchpadFrameDecoder::cancelAll(double timestamp) {
    InputEvent frame{.type = EventType::gesture, .timestamp = timestamp, .touches = {}};
    for (Slot& slot : slots) {
        if (slot.reportedId >= 0)
            frame.touches.push_back(touch(std::uint32_t(slot.reportedId), touchPhaseCancelled,
                                          slot.reportedX, slot.reportedY));
        slot.reportedId = -1;
    }
    for (const ExtraTouch& extra : extras)
        frame.touches.push_back(touch(extra.identity, touchPhaseCancelled, extra.x, extra.y));
    extras.clear();
    if (frame.touches.empty())
        return std::nullopt;
    return frame;
}

double TouchpadFrameDecoder::normalised(int value, const TouchpadAxis& axis) const {
    const double range = double(axis.maximum) - double(axis.minimum);
    if (range <= 0)
        return 0;
    return std::clamp((double(value) - axis.minimum) / range, 0.0, 1.0);
}

Touch TouchpadFrameDecoder::touch(std::uint64_t identity, std::uint32_t phase, double x,
                                  double y) const {
    return Touch{identity, phase, x, y, widthPoints, heightPoints};
}

} // namespace zentrivo::platform
