#pragma once

#include "app/core/MainQueue.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <tuple>
#include <vector>

namespace zentrivo::test {

/// A main queue on a virtual clock. Nothing runs until the test says so: `runUntilIdle()` runs
/// what is due now, `advance(d)` moves the clock and runs everything that falls due on the way,
/// in time order (ties in the order they were posted).
class FakeMainQueue final : public MainQueue {
public:
    void post(std::function<void()> task) override {
        entries.push_back({clock, nextSequence++, nullptr, std::move(task)});
    }
    std::shared_ptr<WorkItem> postAfter(std::chrono::milliseconds delay,
                                        std::function<void()> task) override {
        auto item = std::make_shared<WorkItem>();
        entries.push_back({clock + delay, nextSequence++, item, std::move(task)});
        return item;
    }
    MonoTime now() const override { return clock; }

    /// Runs every task due at the current time, including ones those tasks post for now.
    void runUntilIdle() { advance({}); }
    /// Moves the clock forward by `delta`, running due tasks at their own times.
    void advance(std::chrono::nanoseconds delta) {
        const MonoTime target = clock + delta;
        while (runOneDueBy(target)) {
        }
        clock = target;
    }
    /// Tasks not yet run and not cancelled.
    std::size_t pendingCount() const {
        return std::ranges::count_if(entries, [](const Entry& e) { return !cancelled(e); });
    }

private:
    struct Entry {
        MonoTime due;
        std::uint64_t sequence;
        std::shared_ptr<WorkItem> item;
        std::function<void()> task;
    };
    static bool cancelled(const Entry& e) { return e.item && e.item->isCancelled(); }
    bool runOneDueBy(MonoTime limit) {
        const auto best = std::ranges::min_element(
            entries, {}, [](const Entry& e) { return std::tuple(e.due, e.sequence); });
        if (best == entries.end() || best->due > limit)
            return false;
        Entry entry = std::move(*best);
        entries.erase(best);
        clock = std::max(clock, entry.due);
        if (!cancelled(entry))
            entry.task();
        return true;
    }

    MonoTime clock{0};
    std::uint64_t nextSequence = 0;
    std::vector<Entry> entries;
};

} // namespace zentrivo::test
