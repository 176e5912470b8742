#pragma once

#include "app/input/EventTapService.h"

#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace zentrivo::test {

class FakeEventTapService;

/// A tap that delivers what the test hands it through a pipe, so that its callback runs on
/// whichever loop serves it, as a device tap's would.
class FakeEventTap final : public EventTap {
public:
    FakeEventTap(FakeEventTapService& service, EventMask mask, EventTapService::Callback callback);
    ~FakeEventTap() override;

    void addToRunLoop(RunLoop& loop) override;
    void removeFromRunLoop(RunLoop& loop) override;
    void setEnabled(bool enabled) override;

    /// Queues an event for the serving loop; callable from any thread.
    void deliver(const InputEvent& event);
    /// Queues an event the device could not decode.
    void deliverUndecodable();
    /// Queues the system's "tap disabled" notice.
    void noticeDisabled();

    bool isEnabled() const;
    bool isOnLoop() const;
    EventMask mask() const { return tapMask; }
    /// What the callback answered (suppress) and on which thread it ran, per call.
    std::vector<bool> answers() const;
    std::vector<std::thread::id> callbackThreads() const;

private:
    struct Pending {
        TapNotice notice;
        std::optional<InputEvent> event;
    };
    void push(Pending pending);
    void serve();

    FakeEventTapService& service;
    EventMask tapMask;
    EventTapService::Callback callback;
    int pipeFds[2] = {-1, -1};
    mutable std::mutex mutex;
    std::deque<Pending> pending;
    std::vector<bool> answerLog;
    std::vector<std::thread::id> threadLog;
    bool enabled = true;
    RunLoop* loop = nullptr;
    RunLoop::SourceId source = 0;
};

/// Makes `FakeEventTap`s; refuses while `permitted` is false, like a device the process may not
/// read.
class FakeEventTapService final : public EventTapService {
public:
    std::unique_ptr<EventTap> createTap(EventMask mask, Callback callback) override;

    /// The newest tap still alive, or null.
    FakeEventTap* latest() const { return live.empty() ? nullptr : live.back(); }
    int liveCount() const { return static_cast<int>(live.size()); }

    bool permitted = true;
    int createAttempts = 0;

private:
    friend class FakeEventTap;
    std::vector<FakeEventTap*> live;
};

} // namespace zentrivo::test
