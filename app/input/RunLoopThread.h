#pragma once

#include "RunLoop.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <semaphore>
#include <thread>
#include <vector>

namespace zentrivo {

/// A thread of its own that runs a loop serving descriptor sources: poll(2) on the sources plus
/// an eventfd that wakes the loop when the sources change or the thread is cancelled. A failed
/// source is reported and dropped; when poll(2) itself fails, every source is reported as failed
/// and the loop ends. Must not be destroyed on its own thread.
class RunLoopThread final : public RunLoop {
public:
    RunLoopThread() = default;
    /// Stops the thread if it still runs.
    ~RunLoopThread() override;

    /// Starts the thread and returns once its loop exists, so that sources can be added at once.
    /// Returns false (and leaves no thread running) when the loop cannot be set up. Starting a
    /// running loop does nothing and returns true.
    bool start();
    /// Cancels the loop and waits for the thread to end. Called on the loop's own thread it only
    /// cancels: the thread ends after the current pass and is joined by the next `start()`,
    /// `stop()` or the destructor.
    void stop();

    /// Whether the loop runs: started and not cancelled.
    bool isRunning() const;
    /// The serving thread while it exists; a default id otherwise.
    std::thread::id threadId() const;

    SourceId addSource(int fd, ReadyHandler ready, FailedHandler failed) override;
    void removeSource(SourceId id) override;

private:
    struct Source {
        SourceId id;
        int fd;
        std::shared_ptr<ReadyHandler> ready;
        std::shared_ptr<FailedHandler> failed;
    };

    void main();
    /// Runs one of `source`'s handlers unless it was removed or the loop cancelled meanwhile; a
    /// failure also drops the source. Returns false once the loop is cancelled.
    bool dispatch(const Source& source, bool failure);
    void wakeLocked();
    bool onLoopThreadLocked() const { return std::this_thread::get_id() == loopThreadId; }

    mutable std::mutex mutex;
    std::condition_variable dispatchDone;
    std::binary_semaphore startSemaphore{0};
    std::vector<Source> sources;
    SourceId nextSourceId = 1;
    /// The source whose handler runs right now (0: none), so that a removal from another thread
    /// can wait for it to return.
    SourceId dispatching = 0;
    int wakeFd = -1;
    bool loopExists = false;
    bool cancelled = false;
    std::thread::id loopThreadId;
    std::thread thread;
};

} // namespace zentrivo
