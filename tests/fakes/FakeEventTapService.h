#pragma once

#include "app/input/EventTapService.h"

#include <optional>
#include <vector>

namespace zentrivo::test {

/// A tap whose `deliver` runs the callback at once, as its serving loop would; a tap on no loop
/// delivers nothing, and only events of its mask pass.
struct FakeEventTap final : EventTap {
    FakeEventTap(std::vector<FakeEventTap*>& live, EventMask mask, EventTapService::Callback call)
        : live(live), mask(mask), callback(std::move(call)) {
        live.push_back(this);
    }
    ~FakeEventTap() override { std::erase(live, this); }
    void addToRunLoop(RunLoop& runLoop) override { loop = &runLoop; }
    void removeFromRunLoop(RunLoop&) override { loop = nullptr; }
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
};

/// Makes `FakeEventTap`s; refuses while `permitted` is false, like a device the process may not
/// read. The taps never add a source, so any loop will do, even a `RunLoopThread` never started.
struct FakeEventTapService final : EventTapService {
    std::unique_ptr<EventTap> createTap(EventMask mask, Callback callback) override {
        ++createAttempts;
        return permitted ? std::make_unique<FakeEventTap>(live, mask, std::move(callback))
                         : nullptr;
    }
    bool permitted = true;
    int createAttempts = 0;
    std::vector<FakeEventTap*> live; // oldest first
};

} // namespace zentrivo::test
