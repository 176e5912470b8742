#pragma once

#include "app/input/EventMonitorService.h"

#include <memory>
#include <optional>
#include <vector>

namespace zentrivo::test {

/// Event monitors in memory. Delivery follows the X11 adapter: `send` reaches every global monitor
/// whose mask selects the event's type; `sendLocal` models events aimed at the program's own
/// windows. Monitors removed by a handler during a delivery receive nothing more of it.
class FakeEventMonitorService final : public EventMonitorService {
public:
    std::optional<Token> addGlobalMonitor(EventMask mask, GlobalHandler handler) override;
    std::optional<Token> addLocalMonitor(EventMask mask, LocalHandler handler) override;
    void removeMonitor(Token token) override;

    /// Delivers to the matching global monitors; returns how many handlers ran.
    int send(const InputEvent& event);
    /// Delivers "an event that could not be decoded" (none) to global monitors of `type`.
    int sendUndecodable(EventType type);
    /// Passes the event through the matching local monitors in installation order; returns what
    /// the program's windows finally receive (none: swallowed).
    std::optional<InputEvent> sendLocal(const InputEvent& event);

    int globalCount() const;
    int localCount() const;
    /// Installed monitors whose mask is exactly `mask`.
    int countWithMask(EventMask mask) const;

    bool refuseGlobal = false;
    bool refuseLocal = false;
    int removals = 0;

private:
    struct Monitor {
        Token token;
        EventMask mask;
        std::shared_ptr<GlobalHandler> global;
        std::shared_ptr<LocalHandler> local;
    };
    bool installed(Token token) const;
    int deliverGlobal(EventType type, const InputEvent* event);

    std::vector<Monitor> monitors;
    Token nextToken = 1;
};

} // namespace zentrivo::test
