#pragma once

#include "app/input/EventMonitorService.h"
#include "app/input/EventTapService.h"

#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

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

    /// To the matching global monitors; not decoded: as an undecodable event of its type (none).
    void send(const InputEvent& event, bool decoded = true) {
        for (const auto& [token, monitor] : std::map(monitors)) // handlers may add or remove some
            if (monitor.second && (monitor.first & maskOf(event.type)))
                monitor.second(decoded ? &event : nullptr);
    }

    std::map<Token, std::pair<EventMask, GlobalHandler>> monitors;
    Token lastToken = 0;
};

/// A tap whose `deliver` runs the callback at once, as its serving loop would; a tap on no loop
/// delivers nothing, and only events of its mask pass.
struct FakeEventTap final : EventTap {
    FakeEventTap(std::vector<FakeEventTap*>& live, EventMask mask, EventTapService::Callback call)
        : live(live), mask(mask), callback(std::move(call)) {
        live.push_back(this);
    }
    ~FakeEventTap() override { std::erase(live, this); }
    void addToRunLoop(RunLoop& runLoop) override {
        loop = &runLoop;
        if (sourceFd >= 0) // its failure is the system disabling the tap
            source = runLoop.addSource(
                sourceFd, [] {},
                [this] { callback(TapNotice::disabledBySystem, nullptr), sourceFailed(); });
    }
    void removeFromRunLoop(RunLoop& runLoop) override {
        if (sourceFd >= 0)
            runLoop.removeSource(source);
        loop = nullptr;
    }
    void setEnabled(bool) override {}

    /// An event (none: one the device could not decode) or a notice.
    void deliver(std::optional<InputEvent> event, TapNotice notice = TapNotice::event) {
        if (loop && (!event || (mask & maskOf(event->type))))
            callback(notice, event ? &*event : nullptr);
    }

    std::vector<FakeEventTap*>& live;
    const EventMask mask;
    EventTapService::Callback callback;
    RunLoop* loop = nullptr;
    int sourceFd = -1;                  // a descriptor the tap serves (-1: none)
    std::function<void()> sourceFailed; // on the loop's thread, after the notice
    RunLoop::SourceId source = 0;
};

/// Makes `FakeEventTap`s; refuses while `permitted` is false, like a device the process may not
/// read. Only a tap given a `sourceFd` adds a source; the others do with any loop, even a
/// `RunLoopThread` never started.
struct FakeEventTapService final : EventTapService {
    std::unique_ptr<EventTap> createTap(EventMask mask, Callback callback) override {
        ++createAttempts;
        if (!permitted)
            return nullptr;
        auto tap = std::make_unique<FakeEventTap>(live, mask, std::move(callback));
        tap->sourceFd = std::exchange(sourceFd, -1);
        tap->sourceFailed = sourceFailed;
        return tap;
    }
    bool permitted = true;
    int sourceFd = -1; // for the next tap only, with `sourceFailed`
    std::function<void()> sourceFailed;
    int createAttempts = 0;
    std::vector<FakeEventTap*> live; // oldest first
};

} // namespace zentrivo::test
