#pragma once

#include "app/input/EventTapService.h"

#include <optional>

namespace zentrivo::test {

class FakeEventTapService;

/// A tap that hands what the test delivers through a pipe, so that its callback runs on whichever
/// loop serves it, as a device tap's would. Only events of its mask pass.
class FakeEventTap final : public EventTap {
public:
    FakeEventTap(FakeEventTapService& service, EventMask mask, EventTapService::Callback callback);
    ~FakeEventTap() override;

    void addToRunLoop(RunLoop& runLoop) override {
        source = runLoop.addSource(pipeFds[0], [this] { serve(); });
        loop = &runLoop;
    }
    void removeFromRunLoop(RunLoop& runLoop) override {
        runLoop.removeSource(source);
        loop = nullptr;
    }
    void setEnabled(bool) override {} // the listener disables a tap only to drop it

    /// Queues an event (none: one the device could not decode) or a notice for the serving loop;
    /// callable from any thread.
    void deliver(std::optional<InputEvent> event, TapNotice notice = TapNotice::event);
    void noticeDisabled() { deliver(std::nullopt, TapNotice::disabledBySystem); }

    const EventMask mask;

private:
    struct Pending {
        std::optional<InputEvent> event;
        TapNotice notice;
    };
    void serve();

    FakeEventTapService& service;
    EventTapService::Callback callback;
    int pipeFds[2] = {-1, -1}; // carries `Pending*`s
    RunLoop* loop = nullptr;
    RunLoop::SourceId source = 0;
};

/// Makes `FakeEventTap`s; refuses while `permitted` is false, like a device the process may not
/// read.
class FakeEventTapService final : public EventTapService {
public:
    std::unique_ptr<EventTap> createTap(EventMask mask, Callback callback) override {
        ++createAttempts;
        return permitted ? std::make_unique<FakeEventTap>(*this, mask, std::move(callback))
                         : nullptr;
    }
    /// The newest tap still alive, or null.
    FakeEventTap* latest() const { return live.empty() ? nullptr : live.back(); }

    bool permitted = true;
    int createAttempts = 0;
    std::vector<FakeEventTap*> live;
};

} // namespace zentrivo::test
