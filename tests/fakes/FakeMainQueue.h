#pragma once

#include "app/core/MainQueue.h"

#include <algorithm>
#include <map>

namespace zentrivo::test {

/// A main queue on a virtual clock. Nothing runs until the test says so: `runUntilIdle()` runs
/// what is due now, `advance(d)` moves the clock and runs everything that falls due on the way,
/// in time order (ties in the order they were posted).
class FakeMainQueue final : public MainQueue {
public:
    void post(std::function<void()> task) override { postAfter({}, std::move(task)); }
    std::shared_ptr<WorkItem> postAfter(std::chrono::milliseconds delay,
                                        std::function<void()> task) override {
        auto item = std::make_shared<WorkItem>();
        entries.emplace(std::pair(clock + delay, nextSequence++), std::pair(item, std::move(task)));
        return item;
    }
    MonoTime now() const override { return clock; }

    void runUntilIdle() { advance({}); }
    void advance(std::chrono::nanoseconds delta) {
        const MonoTime target = clock + delta;
        while (!entries.empty() && entries.begin()->first.first <= target) {
            clock = std::max(clock, entries.begin()->first.first);
            const auto [item, task] = std::move(entries.begin()->second);
            entries.erase(entries.begin()); // the task may post more
            if (!item->isCancelled())
                task();
        }
        clock = target;
    }
    /// Tasks not yet run and not cancelled.
    std::size_t pendingCount() const {
        return std::ranges::count_if(entries,
                                     [](auto& e) { return !e.second.first->isCancelled(); });
    }

private:
    MonoTime clock{0};
    std::uint64_t nextSequence = 0;
    std::map<std::pair<MonoTime, std::uint64_t>,
             std::pair<std::shared_ptr<WorkItem>, std::function<void()>>>
        entries; // by due time, then posting order
};

} // namespace zentrivo::test
