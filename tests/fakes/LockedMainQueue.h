#pragma once

#include "app/core/MainQueue.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace zentrivo::test {

/// A main queue that other threads may post to, for tests with a real second thread. Tasks run
/// only when the test thread (the "main thread") takes them with `runPosted`. Delayed tasks never
/// fall due: its clock stands still.
class LockedMainQueue final : public MainQueue {
public:
    void post(std::function<void()> task) override;
    std::shared_ptr<WorkItem> postAfter(std::chrono::milliseconds delay,
                                        std::function<void()> task) override;
    MonoTime now() const override { return MonoTime{0}; }

    /// Waits (at most `timeout`) until at least `count` tasks have been posted since the last
    /// call, then runs every posted task on the calling thread. Returns how many ran.
    int runPosted(int count, std::chrono::milliseconds timeout);

private:
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<std::function<void()>> tasks;
};

} // namespace zentrivo::test
