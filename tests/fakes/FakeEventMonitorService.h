#pragma once

#include "app/input/EventMonitorService.h"

#include <vector>

namespace zentrivo::test {

/// Event monitors in memory. Delivery follows the X11 adapter: `send` reaches every global monitor
/// whose mask selects the event's type; `sendLocal` models events aimed at the program's own
/// windows.
class FakeEventMonitorService final : public EventMonitorService {
public:
    struct Monitor {
        Token token;
        EventMask mask;
        GlobalHandler global; // empty for a local monitor
        LocalHandler local;
    };

    std::optional<Token> addGlobalMonitor(EventMask mask, GlobalHandler handler) override {
        monitors.push_back({++lastToken, mask, std::move(handler), nullptr});
        return lastToken;
    }
    std::optional<Token> addLocalMonitor(EventMask mask, LocalHandler handler) override {
        monitors.push_back({++lastToken, mask, nullptr, std::move(handler)});
        return lastToken;
    }
    void removeMonitor(Token token) override {
        std::erase_if(monitors, [token](const Monitor& m) { return m.token == token; });
    }

    /// Delivers to the matching global monitors (no event: one that could not be decoded).
    void send(EventType type, const InputEvent* event) {
        for (const auto& monitor : std::vector(monitors)) // handlers may add or remove monitors
            if (monitor.global && (monitor.mask & maskOf(type)))
                monitor.global(event);
    }
    void send(const InputEvent& event) { send(event.type, &event); }
    /// Passes the event through the matching local monitors in installation order; returns what
    /// the program's windows finally receive (none: swallowed).
    std::optional<InputEvent> sendLocal(const InputEvent& event) {
        std::optional<InputEvent> current = event;
        for (const auto& monitor : std::vector(monitors))
            if (current && monitor.local && (monitor.mask & maskOf(current->type)))
                current = monitor.local(*current);
        return current;
    }

    std::vector<Monitor> monitors;

private:
    Token lastToken = 0;
};

} // namespace zentrivo::test
