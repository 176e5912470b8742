#pragma once

#include "app/core/MainQueue.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

namespace zentrivo::test {

/// A main queue that other threads may post to, for tests with a real second thread. Tasks run
/// only when the test thread (the "main thread") takes them with `runPosted`. Delayed tasks never
/// fall due: its clock stands still.
class LockedMainQueue final : public MainQueue {
public:
    void post(std::function<void()> task) override {
        const std::lock_guard lock(mutex);
        tasks.push_back(std::move(task));
        posted.notify_all();
    }
    std::shared_ptr<WorkItem> postAfter(std::chrono::milliseconds, std::function<void()>) override {
        return std::make_shared<WorkItem>();
    }
    MonoTime now() const override { return MonoTime{0}; }

    /// Waits (at most `timeout`) until at least `count` tasks are waiting, then runs every waiting
    /// task on the calling thread. Returns how many ran.
    std::size_t runPosted(std::size_t count, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex);
        posted.wait_for(lock, timeout, [&] { return tasks.size() >= count; });
        auto taken = std::exchange(tasks, {});
        lock.unlock();
        for (auto& task : taken)
            task();
        return taken.size();
    }

private:
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<std::function<void()>> tasks;
};

} // namespace zentrivo::test
