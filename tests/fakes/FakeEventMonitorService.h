#pragma once

#include "app/input/EventMonitorService.h"

#include <map>

namespace zentrivo::test {

/// Event monitors in memory, by token. Delivery follows the X11 adapter: `send` reaches every
/// global monitor whose mask selects the event's type, and local handlers are never called.
class FakeEventMonitorService final : public EventMonitorService {
public:
    std::optional<Token> addGlobalMonitor(EventMask mask, GlobalHandler handler) override {
        monitors[++lastToken] = {mask, std::move(handler)};
        return lastToken;
    }
    std::optional<Token> addLocalMonitor(EventMask mask, LocalHandler) override {
        monitors[++lastToken] = {mask, nullptr}; // local: no global handler
        return lastToken;
    }
    void removeMonitor(Token token) override { monitors.erase(token); }

    /// Delivers `event` to the matching global monitors; not decoded: as an event of its type
    /// that could not be decoded (none).
    void send(const InputEvent& event, bool decoded = true) {
        for (const auto& [token, monitor] : std::map(monitors)) // handlers may add or remove some
            if (monitor.second && (monitor.first & maskOf(event.type)))
                monitor.second(decoded ? &event : nullptr);
    }

    std::map<Token, std::pair<EventMask, GlobalHandler>> monitors;
    Token lastToken = 0;
};

} // namespace zentrivo::test
