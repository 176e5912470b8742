#pragma once

#include "app/core/MainQueue.h"

#include <memory>

class QObject;

namespace zentrivo::platform {

/// The main queue on the Qt event loop of the thread that creates it (the main thread).
/// `post` may be called from any thread. Delayed tasks use one precise single-shot timer each, so
/// an idle queue costs no wake-ups. Tasks still pending when the queue is destroyed never run.
class QtMainQueue final : public MainQueue {
public:
    QtMainQueue();
    ~QtMainQueue() override;

    void post(std::function<void()> task) override;
    std::shared_ptr<WorkItem> postAfter(std::chrono::milliseconds delay,
                                        std::function<void()> task) override;
    /// `std::chrono::steady_clock`.
    MonoTime now() const override;

private:
    void startTimer(std::chrono::milliseconds delay, std::shared_ptr<WorkItem> item,
                    std::function<void()> task);

    /// Lives on the main thread; queued calls and timers are bound to it, so they die with it.
    std::unique_ptr<QObject> context;
};

} // namespace zentrivo::platform
