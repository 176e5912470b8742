#pragma once

#include "app/input/EventMonitorService.h"

#include <vector>

namespace zentrivo::test {

/// Event monitors in memory. Delivery follows the X11 adapter: `send` reaches every global monitor
/// whose mask selects the event's type, and local handlers are never called.
class FakeEventMonitorService final : public EventMonitorService {
public:
    struct Monitor {
        Token token;
        EventMask mask;
        GlobalHandler global; // empty for a local monitor
    };

    std::optional<Token> addGlobalMonitor(EventMask mask, GlobalHandler handler) override {
        monitors.push_back({++lastToken, mask, std::move(handler)});
        return lastToken;
    }
    std::optional<Token> addLocalMonitor(EventMask mask, LocalHandler) override {
        monitors.push_back({++lastToken, mask, nullptr});
        return lastToken;
    }
    void removeMonitor(Token token) override {
        std::erase_if(monitors, [token](const Monitor& m) { return m.token == token; });
    }

    /// Delivers `event` to the matching global monitors; undecoded: as an event that could not be
    /// decoded (none), of `event`'s type.
    void send(const InputEvent& event, bool decoded = true) {
        for (const auto& monitor : std::vector(monitors)) // handlers may add or remove monitors
            if (monitor.global && (monitor.mask & maskOf(event.type)))
                monitor.global(decoded ? &event : nullptr);
    }

    std::vector<Monitor> monitors;

private:
    Token lastToken = 0;
};

} // namespace zentrivo::test
