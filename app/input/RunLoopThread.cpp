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

RunLoop::SourceId RunLoopThread::addSource(int fd, ReadyHandler ready, FailedHandler failed) {
    std::lock_guard lock(mutex);
    const SourceId id = nextSourceId++;
    sources.push_back({id, fd, std::make_shared<ReadyHandler>(std::move(ready)),
                       std::make_shared<FailedHandler>(std::move(failed))});
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

bool RunLoopThread::dispatch(const Source& source, bool failure) {
    {
        std::lock_guard lock(mutex);
        if (cancelled)
            return false;
        // Removed since the snapshot: its owner no longer expects calls.
        const bool live = std::any_of(sources.begin(), sources.end(),
                                      [&](const Source& s) { return s.id == source.id; });
        if (!live)
            return true;
        dispatching = source.id;
    }
    if (!failure)
        (*source.ready)();
    else if (*source.failed)
        (*source.failed)();
    {
        std::lock_guard lock(mutex);
        dispatching = 0;
        // Dropped only now, so that a removal from another thread waits for the handler above.
        if (failure)
            std::erase_if(sources, [&](const Source& s) { return s.id == source.id; });
    }
    dispatchDone.notify_all();
    return true;
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
            // Waiting again would fail again, at full speed: the owners hear that their sources
            // are gone, so they can start over on a new loop, and this one ends.
            {
                std::lock_guard lock(mutex);
                snapshot = sources;
            }
            for (const auto& source : snapshot)
                if (!dispatch(source, true))
                    break;
            break;
        }
        if (polled[0].revents & POLLIN) {
            std::uint64_t count = 0;
            [[maybe_unused]] const auto got = ::read(fd, &count, sizeof count);
        }
        for (std::size_t i = 0; i < snapshot.size(); ++i) {
            const short revents = polled[i + 1].revents;
            // poll(2) reports these until the descriptor is dropped, so a source kept would spin.
            const bool failure = revents & (POLLNVAL | POLLERR | POLLHUP);
            if ((failure || (revents & POLLIN)) && !dispatch(snapshot[i], failure))
                break;
        }
    }

    std::lock_guard lock(mutex);
    ::close(fd);
    wakeFd = -1;
    loopExists = false;
    loopThreadId = {};
}

} // namespace zentrivo
