#pragma once

#include "EventTap.h"
#include "InputEvent.h"

#include <functional>
#include <memory>

namespace zentrivo {

/// What a tap reports to its callback.
enum class TapNotice {
    /// An event of the tapped types, or one the tap could not decode (then no event comes along).
    event,
    /// The system stopped the tap (the device went away, or its buffer overflowed and events were
    /// dropped). The tap delivers nothing more; a new one must be created.
    disabledBySystem,
};

/// Creates taps on the touch device (the trackpad). Taps only listen: they never change or hold
/// back the events the rest of the desktop receives.
class EventTapService {
public:
    /// Called on the thread of the loop that serves the tap, with the event for `TapNotice::event`
    /// (or none when it could not be decoded) and none for the other notices. Returns whether the
    /// caller wanted the event suppressed; a listen-only tap ignores that answer.
    using Callback = std::function<bool(TapNotice notice, const InputEvent* event)>;

    EventTapService() = default;
    virtual ~EventTapService() = default;
    EventTapService(const EventTapService&) = delete;
    EventTapService& operator=(const EventTapService&) = delete;

    /// A new enabled tap for the event types in `mask`, or none when it cannot be created (most
    /// often because the process may not read the device).
    virtual std::unique_ptr<EventTap> createTap(EventMask mask, Callback callback) = 0;
};

} // namespace zentrivo
