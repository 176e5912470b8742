#pragma once

#include "EventListener.h"
#include "EventMonitorService.h"

#include <functional>
#include <optional>

namespace zentrivo {

/// Watches matching events sent to the program's own windows; the handler decides what the
/// windows receive: the event (possibly changed) or none, which swallows it.
class LocalEventMonitor final : public EventListener {
public:
    using Handler = std::function<std::optional<InputEvent>(const InputEvent&)>;

    LocalEventMonitor(EventMonitorService& service, EventMask mask, Handler handler);
    ~LocalEventMonitor() override;

    void start() override;
    void stop() override;

    bool isRunning() const { return monitor.has_value(); }

private:
    EventMonitorService& service;
    std::optional<EventMonitorService::Token> monitor;
    EventMask mask;
    Handler handler;
};

} // namespace zentrivo
