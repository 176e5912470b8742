#pragma once

#include "app/input/EventTapService.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace zentrivo::test {

/// The main loop for taps that deliver by themselves: a fake tap only remembers its loop.
class FakeRunLoop final : public RunLoop {
public:
    SourceId addSource(int, ReadyHandler) override { return 0; }
    void removeSource(SourceId) override {}
};

/// A tap whose `deliver` runs the callback at once, as its serving loop would; a tap on no loop or
/// disabled delivers nothing, and only events of its mask pass.
class FakeEventTap final : public EventTap {
public:
    FakeEventTap(std::vector<FakeEventTap*>& live, EventMask mask, EventTapService::Callback call)
        : mask(mask), live(live), callback(std::move(call)) {
        live.push_back(this);
    }
    ~FakeEventTap() override { std::erase(live, this); }
    void addToRunLoop(RunLoop& runLoop) override { loop = &runLoop; }
    void removeFromRunLoop(RunLoop&) override { loop = nullptr; }
    void setEnabled(bool on) override { enabled = on; }

    /// An event (none: one the device could not decode) or a notice.
    void deliver(std::optional<InputEvent> event, TapNotice notice = TapNotice::event) {
        if (loop && enabled && (!event || (mask & maskOf(event->type))))
            callback(notice, event ? &*event : nullptr);
    }

    const EventMask mask;
    RunLoop* loop = nullptr;
    bool enabled = true;

private:
    std::vector<FakeEventTap*>& live;
    EventTapService::Callback callback;
};

/// Makes `FakeEventTap`s; refuses while `permitted` is false, like a device the process may not
/// read.
class FakeEventTapService final : public EventTapService {
public:
    std::unique_ptr<EventTap> createTap(EventMask mask, Callback callback) override {
        ++createAttempts;
        return permitted ? std::make_unique<FakeEventTap>(live, mask, std::move(callback))
                         : nullptr;
    }
    /// The newest tap still alive, or null.
    FakeEventTap* latest() const { return live.empty() ? nullptr : live.back(); }

    bool permitted = true;
    int createAttempts = 0;
    std::vector<FakeEventTap*> live;
};

} // namespace zentrivo::test
