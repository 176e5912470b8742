#pragma once

#include "EventListener.h"
#include "EventMonitorService.h"

#include <functional>
#include <optional>

namespace zentrivo {

/// Watches matching events wherever they go: a global and a local monitor with one handler. The
/// local monitor passes every event on unchanged, so the program's own windows still get it.
class EventMonitor final : public EventListener {
public:
    using Handler = std::function<void(const InputEvent*)>;

    EventMonitor(EventMonitorService& service, EventMask mask, Handler handler);
    /// Removes the monitors if still running, so no handler outlives its owner.
    ~EventMonitor() override;

    void start() override;
    void stop() override;

    bool isRunning() const { return globalMonitor || localMonitor; }

private:
    EventMonitorService& service;
    std::optional<EventMonitorService::Token> globalMonitor;
    std::optional<EventMonitorService::Token> localMonitor;
    EventMask mask;
    Handler handler;
};

} // namespace zentrivo
