#include "LockedMainQueue.h"

namespace zentrivo::test {

void LockedMainQueue::post(std::function<void()> task) {
    {
        std::lock_guard lock(mutex);
        tasks.push_back(std::move(task));
    }
    posted.notify_all();
}

std::shared_ptr<WorkItem> LockedMainQueue::postAfter(std::chrono::milliseconds,
                                                     std::function<void()>) {
    return std::make_shared<WorkItem>();
}

int LockedMainQueue::runPosted(int count, std::chrono::milliseconds timeout) {
    std::deque<std::function<void()>> taken;
    {
        std::unique_lock lock(mutex);
        posted.wait_for(lock, timeout, [&] { return static_cast<int>(tasks.size()) >= count; });
        taken.swap(tasks);
    }
    for (auto& task : taken)
        task();
    return static_cast<int>(taken.size());
}

} // namespace zentrivo::test
