#pragma once

#include <QAbstractEventDispatcher>
#include <QTimer>
#include <chrono>
#include <functional>

namespace zentrivo::test {

/// Runs this thread's Qt event loop, blocking between events, until `done` holds or `timeout`
/// passed; returns `done()`.
inline bool pumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    QAbstractEventDispatcher* const loop = QAbstractEventDispatcher::instance();
    QTimer deadline; // wakes the loop once the time is up
    deadline.setSingleShot(true);
    deadline.start(timeout);
    // Work done as the loop is about to sleep (events a round trip has queued) may fulfil `done`
    // and leave nothing to wake it.
    QObject::connect(loop, &QAbstractEventDispatcher::aboutToBlock, &deadline, [&] {
        if (done())
            loop->wakeUp();
    });
    while (!done() && deadline.isActive())
        loop->processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

} // namespace zentrivo::test
