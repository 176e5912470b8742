#pragma once

#include "EventListener.h"
#include "EventTapService.h"
#include "RunLoopThread.h"
#include "app/core/MainQueue.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace zentrivo {

/// Receives the touch device's low-level events (the trackpad's gesture frames) through a tap,
/// served either by the main loop or by a `RunLoopThread` of its own. Each event is offered to the
/// filterer on the serving thread and then handed to the handler on the main queue.
class EventTapListener final : public EventListener {
public:
    /// Called on the serving thread; true asks to suppress the event (taps only listen, so the
    /// answer never changes what the desktop receives, nor whether the handler runs).
    using Filterer = std::function<bool(const InputEvent&)>;
    /// Called on the main queue, after the tap's callback has returned.
    using Handler = std::function<void(const InputEvent&)>;

    /// Creates nothing yet: the tap is made by `start()`. `mainLoop` serves the tap when `onMain`
    /// is true; otherwise a new `RunLoopThread` does. `start()` and `stop()` belong to the main
    /// thread.
    EventTapListener(EventTapService& taps, RunLoop& mainLoop, MainQueue& mainQueue, EventMask mask,
                     bool onMain, Filterer filterer, Handler handler);
    ~EventTapListener() override;

    /// Creates the tap and attaches it to its loop. When the tap cannot be created (no permission
    /// to read the device) the listener stays stopped; a later `start()` tries again.
    void start() override;
    /// Detaches and disables the tap and ends the serving thread.
    void stop() override;

    /// Started: a tap exists.
    bool isStarted() const { return tap != nullptr; }
    /// The thread serving the tap while started with `onMain` false; none otherwise.
    const RunLoopThread* servingThread() const { return thread.get(); }

private:
    bool tapCallback(std::uint64_t generation, TapNotice notice, const InputEvent* event);

    EventTapService& taps;
    RunLoop& mainLoop;
    MainQueue& mainQueue;
    std::unique_ptr<EventTap> tap;
    std::unique_ptr<RunLoopThread> thread;
    EventMask mask;
    Filterer filterer;
    Handler handler;
    bool onMain;
    /// Which tap a queued recreation belongs to, so that a stale one does nothing.
    std::uint64_t tapGeneration = 0;
    /// Lets work queued for the main thread find out whether this listener still exists.
    std::shared_ptr<EventTapListener*> alive;
};

} // namespace zentrivo
