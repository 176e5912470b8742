#pragma once

#include "EventListener.h"
#include "EventMonitorService.h"

#include <functional>
#include <optional>

namespace zentrivo {

/// Watches matching events sent anywhere on the desktop.
class GlobalEventMonitor final : public EventListener {
public:
    using Handler = std::function<void(const InputEvent*)>;

    GlobalEventMonitor(EventMonitorService& service, EventMask mask, Handler handler);
    ~GlobalEventMonitor() override;

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
