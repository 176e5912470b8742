#pragma once

namespace zentrivo {

/// Something that watches input once started: the event monitors and the event tap. The gesture
/// coordinator holds any of them through this interface.
class EventListener {
public:
    EventListener() = default;
    virtual ~EventListener() = default;
    EventListener(const EventListener&) = delete;
    EventListener& operator=(const EventListener&) = delete;

    /// Begins watching; starting a started listener first stops it, so it never watches twice.
    virtual void start() = 0;
    /// Stops watching; stopping a stopped listener does nothing.
    virtual void stop() = 0;
};

} // namespace zentrivo
