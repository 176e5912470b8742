#include "FakeMainQueue.h"

#include <algorithm>
#include <optional>

namespace zentrivo::test {

void FakeMainQueue::post(std::function<void()> task) {
    entries.push_back({clock, nextSequence++, nullptr, std::move(task)});
}

std::shared_ptr<WorkItem> FakeMainQueue::postAfter(std::chrono::milliseconds delay,
                                                   std::function<void()> task) {
    auto item = std::make_shared<WorkItem>();
    entries.push_back({clock + delay, nextSequence++, item, std::move(task)});
    return item;
}

bool FakeMainQueue::runOneDueBy(MonoTime limit) {
    auto best = entries.end();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it->due > limit)
            continue;
        if (best == entries.end() || it->due < best->due ||
            (it->due == best->due && it->sequence < best->sequence))
            best = it;
    }
    if (best == entries.end())
        return false;
    Entry entry = std::move(*best);
    entries.erase(best);
    clock = std::max(clock, entry.due);
    if (!entry.item || !entry.item->isCancelled())
        entry.task();
    return true;
}

void FakeMainQueue::runUntilIdle() {
    while (runOneDueBy(clock)) {
    }
}

void FakeMainQueue::advance(std::chrono::nanoseconds delta) {
    const MonoTime target = clock + delta;
    while (runOneDueBy(target)) {
    }
    clock = target;
}

std::size_t FakeMainQueue::pendingCount() const {
    return static_cast<std::size_t>(std::count_if(entries.begin(), entries.end(), [](const Entry& e) {
        return !e.item || !e.item->isCancelled();
    }));
}

std::optional<MonoTime> FakeMainQueue::nextDue() const {
    std::optional<MonoTime> due;
    for (const auto& e : entries)
        if ((!e.item || !e.item->isCancelled()) && (!due || e.due < *due))
            due = e.due;
    return due;
}

} // namespace zentrivo::test
