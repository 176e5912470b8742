#pragma once

#include "app/core/MainQueue.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace zentrivo::test {

/// A main queue on a virtual clock. Nothing runs until the test says so: `runUntilIdle()` runs
/// what is due now, `advance(d)` moves the clock and runs everything that falls due on the way,
/// in time order (ties in the order they were posted).
class FakeMainQueue final : public MainQueue {
public:
    void post(std::function<void()> task) override;
    std::shared_ptr<WorkItem> postAfter(std::chrono::milliseconds delay,
                                        std::function<void()> task) override;
    MonoTime now() const override { return clock; }

    /// Runs every task due at the current time, including ones those tasks post for now.
    void runUntilIdle();
    /// Moves the clock forward by `delta`, running due tasks at their own times.
    void advance(std::chrono::nanoseconds delta);

    /// Tasks not yet run and not cancelled.
    std::size_t pendingCount() const;
    /// The due time of the earliest live task, or none.
    std::optional<MonoTime> nextDue() const;

private:
    struct Entry {
        MonoTime due;
        std::uint64_t sequence;
        std::shared_ptr<WorkItem> item;
        std::function<void()> task;
    };
    bool runOneDueBy(MonoTime limit);

    MonoTime clock{0};
    std::uint64_t nextSequence = 0;
    std::vector<Entry> entries;
};

} // namespace zentrivo::test
