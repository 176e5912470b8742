#pragma once

#include <QAbstractEventDispatcher>
#include <QTimer>
#include <chrono>
#include <functional>

namespace zentrivo::test {

/// Runs the Qt event loop of this thread until `done` holds, blocking between events; false when
/// `timeout` passed first. The wait ends on the condition, never on a guessed delay.
inline bool pumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    QTimer deadline; // wakes the loop once the time is up
    deadline.setSingleShot(true);
    deadline.start(timeout);
    while (!done() && deadline.isActive())
        QAbstractEventDispatcher::instance()->processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

} // namespace zentrivo::test
