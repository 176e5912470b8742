#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

namespace zentrivo {

/// Monotonic time as the main queue sees it. Only differences mean anything.
using MonoTime = std::chrono::nanoseconds;

/// A task scheduled with `MainQueue::postAfter`. Cancelling it before it runs keeps it from
/// running; cancelling it afterwards does nothing.
class WorkItem {
public:
    void cancel() noexcept { cancelled.store(true, std::memory_order_relaxed); }
    bool isCancelled() const noexcept { return cancelled.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> cancelled{false};
};

/// The main thread's queue of deferred work. Everything in the core runs on the main thread; this
/// is the only way it defers anything.
class MainQueue {
public:
    MainQueue() = default;
    virtual ~MainQueue() = default;
    MainQueue(const MainQueue&) = delete;
    MainQueue& operator=(const MainQueue&) = delete;

    /// Runs `task` on the main thread after the current event has been handled. Never runs it
    /// synchronously. May be called from any thread.
    virtual void post(std::function<void()> task) = 0;

    /// Runs `task` on the main thread once `delay` has passed, unless the returned item has been
    /// cancelled by then.
    virtual std::shared_ptr<WorkItem> postAfter(std::chrono::milliseconds delay,
                                                std::function<void()> task) = 0;

    /// The queue's clock: the same clock that `postAfter` measures delays on.
    virtual MonoTime now() const = 0;
};

} // namespace zentrivo
