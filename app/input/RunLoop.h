#pragma once

#include <cstdint>
#include <functional>

namespace zentrivo {

/// A loop on one thread that serves file-descriptor sources: the program's main loop, or the loop
/// of a `RunLoopThread`. Event taps attach themselves to one of these.
class RunLoop {
public:
    using SourceId = std::uint64_t;
    /// Called on the loop's thread while the descriptor is readable; it must read what is
    /// pending, or it is called again straight away.
    using ReadyHandler = std::function<void()>;
    /// Called once on the loop's thread, instead of `ready`, when the source can no longer be
    /// served: its descriptor is invalid, in error or hung up, or the loop itself failed to wait.
    /// The source is removed once this returns.
    using FailedHandler = std::function<void()>;

    RunLoop() = default;
    virtual ~RunLoop() = default;
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    /// Watches `fd` for reading until the source is removed or has failed. The loop does not own
    /// `fd`.
    virtual SourceId addSource(int fd, ReadyHandler ready, FailedHandler failed) = 0;
    /// Stops watching. Once this returns, neither handler is running on another thread and neither
    /// is called again; called from within a handler, only the later calls are dropped. An unknown
    /// id (or one whose source has failed) is ignored.
    virtual void removeSource(SourceId id) = 0;
};

} // namespace zentrivo
