#pragma once

#include "InputEvent.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace zentrivo {

/// Installs and removes application-event monitors. Handlers run on the main thread.
class EventMonitorService {
public:
    using Token = std::uint64_t;
    /// Receives the event, or none when the platform delivered an event it could not decode.
    using GlobalHandler = std::function<void(const InputEvent*)>;
    /// Returns the event to pass on to the program's own windows, or none to swallow it.
    using LocalHandler = std::function<std::optional<InputEvent>(const InputEvent&)>;

    EventMonitorService() = default;
    virtual ~EventMonitorService() = default;
    EventMonitorService(const EventMonitorService&) = delete;
    EventMonitorService& operator=(const EventMonitorService&) = delete;

    /// Watches matching events sent anywhere on the desktop. None when it cannot be installed.
    virtual std::optional<Token> addGlobalMonitor(EventMask mask, GlobalHandler handler) = 0;
    /// Watches matching events sent to the program's own windows. None when it cannot be
    /// installed.
    virtual std::optional<Token> addLocalMonitor(EventMask mask, LocalHandler handler) = 0;
    /// Removes a monitor; an unknown token is ignored.
    virtual void removeMonitor(Token token) = 0;
};

} // namespace zentrivo
