#include "RunLoopThread.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace zentrivo {

RunLoopThread::~RunLoopThread() {
    stop();
}

bool RunLoopThread::start() {
    {
        std::lock_guard lock(mutex);
        if (loopExists && !cancelled)
            return true;
    }
    // A loop cancelled from its own thread may still be on its way out.
    if (thread.joinable())
        thread.join();
    {
        std::lock_guard lock(mutex);
        cancelled = false;
    }
    thread = std::thread([this] { main(); });
    startSemaphore.acquire();
    std::lock_guard lock(mutex);
    if (loopExists)
        return true;
    thread.join();
    return false;
}

void RunLoopThread::stop() {
    {
        std::lock_guard lock(mutex);
        if (!thread.joinable() && !loopExists)
            return;
        cancelled = true;
        wakeLocked();
        if (onLoopThreadLocked())
            return;
    }
    if (thread.joinable())
        thread.join();
}

bool RunLoopThread::isRunning() const {
    std::lock_guard lock(mutex);
    return loopExists && !cancelled;
}

std::thread::id RunLoopThread::threadId() const {
    std::lock_guard lock(mutex);
    return loopThreadId;
}

RunLoop::SourceId RunLoopThread::addSource(int fd, ReadyHandler ready) {
    std::lock_guard lock(mutex);
    const SourceId id = nextSourceId++;
    sources.push_back({id, fd, std::make_shared<ReadyHandler>(std::move(ready))});
    wakeLocked();
    return id;
}

void RunLoopThread::removeSource(SourceId id) {
    std::unique_lock lock(mutex);
    const auto it =
        std::find_if(sources.begin(), sources.end(), [id](const Source& s) { return s.id == id; });
    if (it == sources.end())
        return;
    sources.erase(it);
    wakeLocked();
    if (!onLoopThreadLocked())
        dispatchDone.wait(lock, [&] { return dispatching != id; });
}

void RunLoopThread::wakeLocked() {
    if (wakeFd < 0)
        return;
    const std::uint64_t one = 1;
    // The counter only overflows after 2^64 - 1 wake-ups; a failed write means one is pending.
    [[maybe_unused]] const auto written = ::write(wakeFd, &one, sizeof one);
}

void RunLoopThread::main() {
    const int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    {
        std::lock_guard lock(mutex);
        wakeFd = fd;
        loopExists = fd >= 0;
        loopThreadId = std::this_thread::get_id();
    }
    startSemaphore.release();
    if (fd < 0)
        return;

    std::vector<pollfd> polled;
    std::vector<Source> snapshot;
    for (;;) {
        {
            std::lock_guard lock(mutex);
            if (cancelled)
                break;
            snapshot = sources;
        }
        polled.assign(1, pollfd{fd, POLLIN, 0});
        for (const auto& source : snapshot)
            polled.push_back(pollfd{source.fd, POLLIN, 0});
        if (::poll(polled.data(), polled.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (polled[0].revents & POLLIN) {
            std::uint64_t count = 0;
            [[maybe_unused]] const auto got = ::read(fd, &count, sizeof count);
        }
        for (std::size_t i = 0; i < snapshot.size(); ++i) {
            if (!(polled[i + 1].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            {
                std::lock_guard lock(mutex);
                if (cancelled)
                    break;
                // Removed since the snapshot: its owner no longer expects calls.
                const bool live = std::any_of(sources.begin(), sources.end(), [&](const Source& s) {
                    return s.id == snapshot[i].id;
                });
                if (!live)
                    continue;
                dispatching = snapshot[i].id;
            }
            (*snapshot[i].ready)();
            {
                std::lock_guard lock(mutex);
                dispatching = 0;
            }
            dispatchDone.notify_all();
        }
    }

    std::lock_guard lock(mutex);
    ::close(fd);
    wakeFd = -1;
    loopExists = false;
    loopThreadId = {};
}

} // namespace zentrivo
