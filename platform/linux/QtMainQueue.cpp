#include "QtMainQueue.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <QTimer>
#include <limits>
#include <utility>

namespace zentrivo::platform {

QtMainQueue::QtMainQueue() : context(std::make_unique<QObject>()) {}

QtMainQueue::~QtMainQueue() = default;

void QtMainQueue::post(std::function<void()> task) {
    // A queued call always runs from the event loop, never inside this call.
    QMetaObject::invokeMethod(context.get(), std::move(task), Qt::QueuedConnection);
}

std::shared_ptr<WorkItem> QtMainQueue::postAfter(std::chrono::milliseconds delay,
                                                 std::function<void()> task) {
    auto item = std::make_shared<WorkItem>();
    if (delay < std::chrono::milliseconds::zero()) {
        delay = std::chrono::milliseconds::zero();
    }
    if (QThread::currentThread() == context->thread()) {
        startTimer(delay, item, std::move(task));
    } else {
        // Timers belong to the thread that runs them: start this one from the main thread.
        QMetaObject::invokeMethod(
            context.get(),
            [this, delay, item, task = std::move(task)]() mutable {
                startTimer(delay, item, std::move(task));
            },
            Qt::QueuedConnection);
    }
    return item;
}

MonoTime QtMainQueue::now() const {
    return std::chrono::duration_cast<MonoTime>(
        std::chrono::steady_clock::now().time_since_epoch());
}

void QtMainQueue::startTimer(std::chrono::milliseconds delay, std::shared_ptr<WorkItem> item,
                             std::function<void()> task) {
    // Qt timers count in int milliseconds (about 24.8 days); a longer delay takes several laps.
    constexpr std::chrono::milliseconds longestLap(std::numeric_limits<int>::max());
    if (delay > longestLap) {
        QTimer::singleShot(longestLap, Qt::PreciseTimer, context.get(),
                           [this, rest = delay - longestLap, item = std::move(item),
                            task = std::move(task)]() mutable {
                               if (!item->isCancelled()) {
                                   startTimer(rest, std::move(item), std::move(task));
                               }
                           });
        return;
    }
    QTimer::singleShot(delay, Qt::PreciseTimer, context.get(),
                       [item = std::move(item), task = std::move(task)] {
                           if (!item->isCancelled()) {
                               task();
                           }
                       });
}

} // namespace zentrivo::platform
