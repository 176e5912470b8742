#pragma once

#include "RunLoop.h"

namespace zentrivo {

/// One low-level tap on the touch device, made by `EventTapService`. It is enabled as created and
/// delivers nothing until it is added to a run loop; its callback then runs on that loop's thread.
class EventTap {
public:
    EventTap() = default;
    /// Removes the tap from any loop it is still on.
    virtual ~EventTap() = default;
    EventTap(const EventTap&) = delete;
    EventTap& operator=(const EventTap&) = delete;

    /// Starts serving the tap on `loop`. A tap is on one loop at a time.
    virtual void addToRunLoop(RunLoop& loop) = 0;
    /// Stops serving the tap on `loop`; when it returns the callback no longer runs there.
    virtual void removeFromRunLoop(RunLoop& loop) = 0;
    /// A disabled tap delivers nothing, not even notices.
    virtual void setEnabled(bool enabled) = 0;
};

} // namespace zentrivo
